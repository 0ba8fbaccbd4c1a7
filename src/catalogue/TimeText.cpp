#include "catalogue/TimeText.h"

#include <QDateTime>
#include <QTimeZone>

namespace TimeText {

QString Format(qint64 secs) {
    return QDateTime::fromSecsSinceEpoch(secs, Qt::LocalTime).toString(u"yyyy-MM-dd HH:mm:ss");
}

namespace {

struct Scanner {
    QStringView s;
    qsizetype i = 0;

    void skipSpace() {
        while (i < s.size() && s[i].isSpace())
            ++i;
    }
    // scanf's %d: white space, an optional sign, at least one digit.
    std::optional<int> number() {
        skipSpace();
        bool negative = false;
        if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) {
            negative = s[i] == u'-';
            ++i;
        }
        qint64 v = 0;
        const qsizetype start = i;
        while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
            v = v * 10 + (s[i].unicode() - u'0');
            if (v > 1000000)
                return std::nullopt;
            ++i;
        }
        if (i == start)
            return std::nullopt;
        return static_cast<int>(negative ? -v : v);
    }
    bool literal(char16_t c) {
        if (i < s.size() && s[i] == c) {
            ++i;
            return true;
        }
        return false;
    }
};

} // namespace

std::optional<qint64> Parse(QStringView text) {
    Scanner sc{text};
    int f[6];
    const char16_t seps[6] = {u'-', u'-', u' ', u':', u':', 0};
    for (int k = 0; k < 6; ++k) {
        auto n = sc.number();
        if (!n)
            return std::nullopt;
        f[k] = *n;
        if (k < 5 && seps[k] != u' ' && !sc.literal(seps[k]))
            return std::nullopt;
    }
    const QDate date(f[0], f[1], f[2]);
    const QTime time(f[3], f[4], f[5]);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    const QDateTime dt(date, time, Qt::LocalTime);
    if (!dt.isValid())
        return std::nullopt;
    return dt.toSecsSinceEpoch();
}

} // namespace TimeText
