#pragma once

#include <QString>
#include <QtGlobal>
#include <limits>

// Instants are seconds since the epoch; texts are local wall-clock time.
namespace TimeText {

// The data file keeps instants as signed 32-bit seconds.
constexpr qint64 kMinStorable = 0;
constexpr qint64 kMaxStorable = std::numeric_limits<qint32>::max();

inline bool isStorable(qint64 t) {
    return t >= kMinStorable && t <= kMaxStorable;
}

// "yyyy-MM-dd HH:mm:ss" in local time, for display only: instants are never
// read back from their texts.
QString format(qint64 secs);

} // namespace TimeText
