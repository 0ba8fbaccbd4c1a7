#include "alarm/Clock.h"

#include <QDateTime>

Clock::~Clock() = default;

qint64 SystemClock::now() const {
    return QDateTime::currentSecsSinceEpoch();
}
