#include "media/SoundThread.h"

#include <QDir>
#include <QObject>
#include <QThread>
#include <QtDebug>

#ifdef Q_OS_LINUX
#include <sys/socket.h>
#include <sys/un.h>
#endif

SoundThread::SoundThread(const QString& name) : m_thread(new QThread) {
    if (!qEnvironmentVariableIsSet("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    m_thread->setObjectName(name);
    m_thread->start();
}

SoundThread::~SoundThread() {
    if (m_worker)
        m_worker->deleteLater(); // a thread's end deletes these even after quit()
    m_thread->quit();
    if (!m_thread->wait(kEndWithinMs) &&
        (cutAudioServerLines() == 0 || !m_thread->wait(kEndWithinMs))) {
        // Destroying a running QThread aborts: it goes once it ends, if
        // the event loop still runs then, else with the process.
        qWarning("Fruitwake: the %s thread does not answer; left to the end of the process",
                 qPrintable(m_thread->objectName()));
        QObject::connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
        if (!m_thread->isFinished())
            return;
    }
    delete m_thread;
}

void SoundThread::adopt(QObject* worker) {
    m_worker = worker;
    worker->moveToThread(m_thread);
}

int SoundThread::cutAudioServerLines() {
    int cut = 0;
#ifdef Q_OS_LINUX
    const QStringList fds = QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files);
    for (const QString& name : fds) {
        const int fd = name.toInt();
        sockaddr_un peer{};
        socklen_t length = sizeof peer;
        if (fd <= 2 || ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0 ||
            peer.sun_family != AF_UNIX)
            continue;
        const QByteArray path(peer.sun_path, qstrnlen(peer.sun_path, sizeof peer.sun_path));
        if (path.endsWith("/pulse/native") && ::shutdown(fd, SHUT_RDWR) == 0)
            ++cut;
    }
#endif
    return cut;
}
