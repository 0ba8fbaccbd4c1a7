#include "app/UnixSignals.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QtDebug>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {

// [0] is read on the GUI thread, [1] written by the handler.
int g_fds[2] = {-1, -1};
struct sigaction g_previous[3];

void onSignal(int signalNumber) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Non-blocking: with the pipe full the signal is already on its way.
    [[maybe_unused]] const ssize_t n = ::write(g_fds[1], &byte, 1);
    errno = saved;
}

std::function<void()>* g_atExit = nullptr;

void runAtExit() {
    const auto* app = QCoreApplication::instance();
    if (!g_atExit || !app || QThread::currentThread() != app->thread())
        return;
    const auto run = std::exchange(g_atExit, nullptr); // once, even if it exits again
    (*run)();
}

} // namespace

ExitHook::ExitHook(std::function<void()> atExit) : m_atExit(std::move(atExit)) {
    // Registered once the program is put together: handlers run before the
    // statics made earlier are torn down.
    static const int registered = std::atexit(runAtExit);
    Q_UNUSED(registered);
    g_atExit = &m_atExit;
}

ExitHook::~ExitHook() {
    if (g_atExit == &m_atExit)
        g_atExit = nullptr;
}

QList<int> UnixSignals::handled() {
    return {SIGTERM, SIGINT, SIGHUP};
}

UnixSignals::UnixSignals(QObject* parent) : QObject(parent) {
    if (g_fds[0] != -1) {
        qWarning("UnixSignals: already installed");
        return;
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_fds) != 0) {
        g_fds[0] = g_fds[1] = -1;
        qWarning("UnixSignals: socketpair failed: %s", strerror(errno));
        return;
    }
    for (const int fd : g_fds)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);

    m_notifier = std::make_unique<QSocketNotifier>(g_fds[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &UnixSignals::drain);

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    const QList<int> numbers = handled();
    for (int i = 0; i < numbers.size(); ++i)
        ::sigaction(numbers[i], &action, &g_previous[i]);
    m_active = true;
}

UnixSignals::~UnixSignals() {
    if (!m_active)
        return;
    const QList<int> numbers = handled();
    for (int i = 0; i < numbers.size(); ++i)
        ::sigaction(numbers[i], &g_previous[i], nullptr);
    m_notifier.reset();
    ::close(g_fds[0]);
    ::close(g_fds[1]);
    g_fds[0] = g_fds[1] = -1;
}

void UnixSignals::drain() {
    unsigned char bytes[16];
    ssize_t n;
    // A receiver may end the program and destroy this object mid-loop.
    const QPointer<UnixSignals> self(this);
    while (self && (n = ::read(g_fds[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < n && self; ++i)
            emit received(bytes[i]);
    }
}
