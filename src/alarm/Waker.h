#pragma once

#include <QObject>
#include <memory>

// Wakes the program at an instant of the wall clock, so a hidden window needs
// no periodic timer. A clock set by hand or a resume from suspend wakes it as
// well, since what is due may have come or moved.
class Waker : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Aims at the start of this second (since the epoch), replacing any earlier
    // aim; a second already past wakes at once.
    virtual void wakeAt(qint64 second) = 0;
    virtual void cancel() = 0;
    // The wall clock's second that the aims refer to.
    virtual qint64 wallNow() const;

    // timerfd on the real-time clock where there is one, else a QTimer.
    static std::unique_ptr<Waker> system();

signals:
    void woke();
};
