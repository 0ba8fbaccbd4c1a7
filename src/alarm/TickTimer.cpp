#include "alarm/TickTimer.h"

#include <QDateTime>

TickTimer::TickTimer(QObject* parent) : QObject(parent) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &TickTimer::onTimeout);
    setWaker(Waker::system());
}

void TickTimer::setWaker(std::unique_ptr<Waker> waker) {
    m_waker = std::move(waker);
    connect(m_waker.get(), &Waker::woke, this, &TickTimer::onWoke);
    m_aim = kNever;
    reaim();
}

void TickTimer::start() {
    m_running = true;
    if (m_hidden)
        reaim();
    else
        arm();
}

void TickTimer::stop() {
    m_running = false;
    m_timer.stop();
    m_waker->cancel();
    m_aim = kNever;
}

void TickTimer::setHidden(bool hidden) {
    if (hidden == m_hidden)
        return;
    m_hidden = hidden;
    if (!m_running)
        return;
    if (hidden) {
        m_timer.stop();
        reaim();
        return;
    }
    m_waker->cancel();
    m_aim = kNever;
    emit tick();
    arm();
}

void TickTimer::reaim() {
    if (!m_running || !m_hidden)
        return;
    qint64 due = m_due ? m_due() : kNever;
    // A source that lags the wall clock (a test's clock) would wake at once
    // for ever; it gets a tick a second instead.
    const qint64 wall = m_waker->wallNow();
    if (due < wall - 1)
        due = wall + 1;
    if (due == m_aim)
        return;
    m_aim = due;
    if (due == kNever)
        m_waker->cancel();
    else
        m_waker->wakeAt(due);
}

void TickTimer::onWoke() {
    if (!m_running || !m_hidden)
        return;
    m_aim = kNever; // whatever the tick leaves due is aimed at afresh
    emit tick();
    reaim();
}

int TickTimer::delayToNextSecond(qint64 ms) {
    qint64 intoSecond = ms % 1000;
    if (intoSecond < 0)
        intoSecond += 1000;
    return static_cast<int>(1000 - intoSecond + kSlackMs);
}

void TickTimer::arm() {
    m_timer.start(delayToNextSecond(QDateTime::currentMSecsSinceEpoch()));
}

void TickTimer::onTimeout() {
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    // Re-armed before the tick runs, so a slow tick does not delay the next one.
    m_timer.start(delayToNextSecond(ms));
    // Woken just short of the boundary: the armed wake-up a few ms on ticks.
    if (delayToNextSecond(ms) <= kEarlyMs)
        return;
    emit tick();
}
