#pragma once

#include <QObject>
#include <QTimer>

// One tick a second, just after the turn of each wall-clock second. Every
// wake-up re-aims at the next boundary, so drift and late wake-ups never add
// up and the process sleeps in between.
class TickTimer : public QObject {
    Q_OBJECT
public:
    // Past the boundary by this much, so a wake-up a hair early still reads
    // the new second.
    static constexpr int kSlackMs = 4;
    // A wake-up this close before its aim point is early, not a new second.
    static constexpr int kEarlyMs = 50;

    explicit TickTimer(QObject* parent = nullptr);

    void start();
    void stop();
    bool isActive() const { return m_timer.isActive(); }

    // Milliseconds from the wall-clock instant msecsSinceEpoch to the next
    // aim point (the next second's turn plus the slack).
    static int DelayToNextSecond(qint64 msecsSinceEpoch);

signals:
    void tick();

private:
    void onTimeout();
    void arm();

    QTimer m_timer;
};
