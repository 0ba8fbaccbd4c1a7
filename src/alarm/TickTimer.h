#pragma once

#include "alarm/Waker.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <limits>
#include <memory>

// When the tick runs. Shown: once a second, just after the turn of each
// wall-clock second, for the clock and the countdowns; every wake-up re-aims
// at the next boundary, so drift and late wake-ups never add up. Hidden: no
// periodic timer at all, one tick at each second the due source names (the
// engine's next alert or removal), woken by the waker.
class TickTimer : public QObject {
    Q_OBJECT
public:
    // Past the boundary by this much, so a wake-up a hair early still reads
    // the new second.
    static constexpr int kSlackMs = 4;
    // A wake-up this close before its aim point is early, not a new second.
    static constexpr int kEarlyMs = 50;
    static constexpr qint64 kNever = std::numeric_limits<qint64>::max();

    explicit TickTimer(QObject* parent = nullptr);

    void start();
    void stop();
    bool isActive() const { return m_running; }

    // Coming back from hidden ticks at once, so what is shown is right before
    // the first second turns.
    void setHidden(bool hidden);
    bool isHidden() const { return m_hidden; }
    // The second of the next tick while hidden, kNever for none.
    void setDueSource(std::function<qint64()> due) { m_due = std::move(due); }
    // The due second may have moved other than by a tick.
    void reaim();
    void setWaker(std::unique_ptr<Waker> waker);
    bool isWaiting() const { return m_aim != kNever; }
    qint64 aim() const { return m_aim; }

    // Milliseconds from the wall-clock instant msecsSinceEpoch to the next
    // aim point (the next second's turn plus the slack).
    static int delayToNextSecond(qint64 msecsSinceEpoch);

signals:
    void tick();

private:
    void onTimeout();
    void onWoke();
    void arm();

    QTimer m_timer;
    std::unique_ptr<Waker> m_waker;
    std::function<qint64()> m_due;
    bool m_running = false;
    bool m_hidden = false;
    qint64 m_aim = kNever;
};
