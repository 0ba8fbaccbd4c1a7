#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <limits>
#include <optional>

// Instants are seconds since the epoch; texts are local wall-clock time.
namespace TimeText {

// The data file keeps instants as signed 32-bit seconds.
constexpr qint64 kMinStorable = 0;
constexpr qint64 kMaxStorable = std::numeric_limits<qint32>::max();

inline bool IsStorable(qint64 t) { return t >= kMinStorable && t <= kMaxStorable; }

// "yyyy-MM-dd HH:mm:ss" in local time.
QString Format(qint64 secs);

// Reads "%d-%d-%d %d:%d:%d" (any run of white space between date and time)
// as local wall-clock time; nullopt when the text is no such time.
std::optional<qint64> Parse(QStringView text);

} // namespace TimeText
