#pragma once

#include <QList>
#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP as a Qt signal on the GUI thread, so a shutdown,
// Ctrl+C or a closed terminal saves and ends like the tray's "关闭". The
// handler only writes the signal's number into a socket pair. One instance at
// a time; the previous handlers come back when it is destroyed.
class UnixSignals : public QObject {
    Q_OBJECT
public:
    explicit UnixSignals(QObject* parent = nullptr);
    ~UnixSignals() override;

    static QList<int> handled();
    bool isActive() const { return m_active; }

signals:
    void received(int signalNumber);

private:
    void drain();

    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_active = false;
};

// A lost display ends the process through exit() deep inside the toolkit, past
// the event loop and its handlers: what must still be done then runs from an
// atexit() handler, on the GUI thread, while this object lives.
class ExitHook {
public:
    explicit ExitHook(std::function<void()> atExit);
    ~ExitHook();

private:
    Q_DISABLE_COPY(ExitHook)
    std::function<void()> m_atExit;
};
