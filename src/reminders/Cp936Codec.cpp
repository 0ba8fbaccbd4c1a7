#include "reminders/Cp936Codec.h"

#include <cerrno>
#include <iconv.h>

namespace Cp936 {

namespace {

// One iconv descriptor per direction, opened once; the GUI thread is the only user.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    // Converts as much as possible; returns false at an input sequence the
    // target cannot take, with *in and *left pointing at it.
    bool run(const char** in, size_t* inLeft, QByteArray& out) {
        char buffer[512];
        while (*inLeft > 0) {
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            const size_t r = iconv(m_cd, const_cast<char**>(in), inLeft, &dst, &dstLeft);
            out.append(buffer, qsizetype(sizeof buffer - dstLeft));
            if (r == size_t(-1) && errno != E2BIG) {
                iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
                return false;
            }
        }
        return true;
    }

private:
    iconv_t m_cd;
};

// Never torn down: a save from an exit handler (the display went away) may
// still need them after the statics made since have been destroyed.
Converter& encoder() {
    static Converter* const c = new Converter("CP936", "UTF-16LE");
    return *c;
}
Converter& decoder() {
    static Converter* const c = new Converter("UTF-16LE", "CP936");
    return *c;
}

bool isLeadByte(unsigned char b) {
    return b >= 0x81 && b <= 0xFE;
}

} // namespace

QByteArray encode(const QString& text) {
    QByteArray out;
    out.reserve(text.size() * 2);
    Converter& c = encoder();
    const char* in = reinterpret_cast<const char*>(text.utf16());
    size_t left = size_t(text.size()) * 2;
    while (left > 0) {
        if (c.ok() && c.run(&in, &left, out))
            break;
        // Skip one unencodable character (a surrogate pair counts as one).
        const char16_t u = *reinterpret_cast<const char16_t*>(in);
        // A lone high surrogate goes alone, so the character after it stays.
        const bool pair = QChar::isHighSurrogate(u) && left >= 4 &&
                          QChar::isLowSurrogate(*reinterpret_cast<const char16_t*>(in + 2));
        const size_t skip = pair ? 4 : 2;
        if (!c.ok() && u < 0x80)
            out.append(char(u));
        else
            out.append('?');
        in += skip;
        left -= skip;
    }
    return out;
}

QString decode(QByteArrayView bytes) {
    return decode(bytes, nullptr);
}

QString decode(QByteArrayView bytes, bool* clean) {
    if (clean)
        *clean = true;
    QByteArray utf16;
    Converter& c = decoder();
    const char* in = bytes.data();
    size_t left = size_t(bytes.size());
    while (left > 0) {
        if (c.ok() && c.run(&in, &left, utf16))
            break;
        const unsigned char b = static_cast<unsigned char>(*in);
        if (clean && (c.ok() || b >= 0x80))
            *clean = false;
        const char16_t replacement = (!c.ok() && b < 0x80) ? char16_t(b) : char16_t(0xFFFD);
        utf16.append(reinterpret_cast<const char*>(&replacement), 2);
        // A lead byte with a bad or missing trail byte is dropped alone, so
        // the next byte gets its own chance.
        ++in;
        --left;
    }
    return QString(reinterpret_cast<const QChar*>(utf16.constData()), utf16.size() / 2);
}

QByteArray encodeCut(const QString& text, qsizetype maxBytes) {
    QByteArray bytes = encode(text);
    if (bytes.size() <= maxBytes)
        return bytes;
    qsizetype end = 0;
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype width = isLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
        if (i + width > maxBytes)
            break;
        i += width;
        end = i;
    }
    bytes.truncate(qMax<qsizetype>(0, end));
    return bytes;
}

qsizetype encodedLength(const QString& text) {
    return encode(text).size();
}

} // namespace Cp936
