#include "controls/CDigitGateEdit.h"

namespace {

// Only this many bytes of the text (in the double-byte code page) are examined.
constexpr int kLookedAtBytes = 19;

// Bytes a character takes in the double-byte code page: ASCII one, the rest two.
int codePageBytes(char32_t ch) {
    return ch < 0x80 ? 1 : 2;
}

} // namespace

CDigitGateEdit::CDigitGateEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, &CDigitGateEdit::onChange);
}

std::optional<QString> CDigitGateEdit::filter(const QString& text) {
    QString out;
    bool pointAllowed = true;
    bool changed = false;
    int bytes = 0;
    for (const char32_t ch : text.toUcs4()) {
        if (bytes >= kLookedAtBytes)
            break;
        bytes += codePageBytes(ch);
        if (ch == U'.') {
            if (pointAllowed)
                out.append(QLatin1Char('.'));
            else
                changed = true;
            pointAllowed = false;
        } else if (ch == U'-') {
            if (out.isEmpty())
                out.append(QLatin1Char('-'));
            else
                changed = true;
        } else if (ch >= U'0' && ch <= U'9') {
            out.append(QChar(char16_t(ch)));
        } else {
            // Anything else, a double-byte character included, goes whole.
            changed = true;
        }
    }
    if (!changed)
        return std::nullopt;
    return out;
}

void CDigitGateEdit::onChange() {
    const std::optional<QString> filtered = filter(text());
    if (!filtered)
        return;
    // The caret stays after what was kept in front of it, so that typing goes on
    // where it was. The filter works left to right: the kept part of the text in
    // front of the caret is the front of the result.
    const QString before = text().left(cursorPosition());
    const qsizetype kept = filter(before).value_or(before).size();
    // Setting the text comes back here once more and then finds nothing to drop.
    setText(*filtered);
    setCursorPosition(int(std::min(kept, filtered->size())));
}
