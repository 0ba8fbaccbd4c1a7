#pragma once

#include <QtGlobal>

// The engine's only source of time: whole seconds since the epoch.
class Clock {
public:
    virtual ~Clock();
    virtual qint64 now() const = 0;
};

class SystemClock final : public Clock {
public:
    qint64 now() const override;
};

// Time that moves only when told to, so tests can run days in microseconds.
class ManualClock final : public Clock {
public:
    explicit ManualClock(qint64 start = 0) : m_now(start) {}
    qint64 now() const override { return m_now; }
    void set(qint64 t) { m_now = t; }
    void advance(qint64 seconds) { m_now += seconds; }

private:
    qint64 m_now;
};
