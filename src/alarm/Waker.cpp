#include "alarm/Waker.h"

#include <QDateTime>
#include <QTimer>

#ifdef Q_OS_LINUX
#include <QSocketNotifier>
#include <cerrno>
#include <sys/timerfd.h>
#include <unistd.h>
#endif

qint64 Waker::wallNow() const {
    return QDateTime::currentSecsSinceEpoch();
}

namespace {

// Portable: a monotonic timer cannot see the wall clock move, so it looks
// again at least once a minute.
class TimerWaker final : public Waker {
public:
    static constexpr qint64 kLookAgainMs = 60'000;

    TimerWaker() {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (QDateTime::currentMSecsSinceEpoch() >= m_aimMs)
                emit woke();
            else
                arm();
        });
    }
    void wakeAt(qint64 second) override {
        m_aimMs = second * 1000;
        arm();
    }
    void cancel() override { m_timer.stop(); }

private:
    void arm() {
        const qint64 left = m_aimMs - QDateTime::currentMSecsSinceEpoch();
        m_timer.start(int(qBound<qint64>(0, left, kLookAgainMs)));
    }
    QTimer m_timer;
    qint64 m_aimMs = 0;
};

#ifdef Q_OS_LINUX
// An absolute CLOCK_REALTIME timer: it fires when the wall clock reaches the
// instant however the clock got there, and is cancelled (ECANCELED on read)
// when the clock is set, which wakes the program to look again.
class TimerFdWaker final : public Waker {
public:
    explicit TimerFdWaker(int fd) : m_fd(fd), m_notifier(fd, QSocketNotifier::Read) {
        connect(&m_notifier, &QSocketNotifier::activated, this, [this] {
            quint64 expirations = 0;
            const ssize_t n = ::read(m_fd, &expirations, sizeof expirations);
            if (n == sizeof expirations || (n < 0 && errno == ECANCELED))
                emit woke();
        });
    }
    ~TimerFdWaker() override { ::close(m_fd); }
    void wakeAt(qint64 second) override {
        itimerspec aim{};
        // Zero would disarm the timer; anything at or before the epoch is past anyway.
        aim.it_value.tv_sec = time_t(qMax<qint64>(second, 1));
        ::timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &aim, nullptr);
    }
    void cancel() override {
        const itimerspec off{};
        ::timerfd_settime(m_fd, 0, &off, nullptr);
    }

private:
    int m_fd;
    QSocketNotifier m_notifier;
};
#endif

} // namespace

std::unique_ptr<Waker> Waker::system() {
#ifdef Q_OS_LINUX
    const int fd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd >= 0)
        return std::make_unique<TimerFdWaker>(fd);
#endif
    return std::make_unique<TimerWaker>();
}
