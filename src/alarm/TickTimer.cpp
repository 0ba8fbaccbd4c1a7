#include "alarm/TickTimer.h"

#include <QDateTime>

TickTimer::TickTimer(QObject* parent) : QObject(parent) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &TickTimer::onTimeout);
}

void TickTimer::start() {
    arm();
}

void TickTimer::stop() {
    m_timer.stop();
}

int TickTimer::DelayToNextSecond(qint64 ms) {
    qint64 intoSecond = ms % 1000;
    if (intoSecond < 0)
        intoSecond += 1000;
    return static_cast<int>(1000 - intoSecond + kSlackMs);
}

void TickTimer::arm() {
    m_timer.start(DelayToNextSecond(QDateTime::currentMSecsSinceEpoch()));
}

void TickTimer::onTimeout() {
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    // Re-armed before the tick runs, so a slow tick does not delay the next one.
    m_timer.start(DelayToNextSecond(ms));
    // Woken just short of the boundary: the armed wake-up a few ms on ticks.
    if (DelayToNextSecond(ms) <= kEarlyMs)
        return;
    emit tick();
}
