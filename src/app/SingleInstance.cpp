#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QtDebug>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

// A first answers once its event loop runs, which a slow start-up (a big data
// file, a loaded machine) delays; a hung one never does.
constexpr qint64 kAnswerWithinMs = 5000;
// The holder and the hung copies it took over from, each on a name of its own.
constexpr int kNames = 8;

// Anyone may bind an abstract name: only a peer of this user counts.
bool sameUser(qintptr fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(int(fd), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::geteuid();
}

} // namespace

SingleInstance::SingleInstance(const QString& dataFile, QObject* parent)
    : QObject(parent), m_lock(QFileInfo(dataFile).absolutePath()) {
    const QString digest = QString::fromLatin1(
        QCryptographicHash::hash(m_lock.folder().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16));
    for (int k = 0; k < kNames; ++k)
        m_names << QStringLiteral("fruitwake-%1-%2-%3").arg(::geteuid()).arg(digest).arg(k);
    m_server.setSocketOptions(QLocalServer::AbstractNamespaceOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
}

SingleInstance::Outcome SingleInstance::start(bool askForward) {
    QStringList silent;
    if (ask(m_names, askForward, &silent))
        return Outcome::AlreadyRunning;
    // Listening before locking: a holder can always be asked.
    for (const QString& name : m_names)
        if (!silent.contains(name) && m_server.listen(name))
            break;
    if (!m_server.isListening())
        qWarning("Fruitwake cannot listen for a second start: %s",
                 qUtf8Printable(m_server.errorString()));
    DataLock::Result lock = m_lock.acquire();
    if (lock == DataLock::Result::Busy) {
        // One that started meanwhile answers now; one that listens but stays
        // silent is hung and taken over; with none listening the holder is an
        // older version, or out of reach.
        QStringList others = m_names;
        others.removeIf(
            [&](const QString& n) { return n == m_server.serverName() || silent.contains(n); });
        if (ask(others, askForward, &silent)) {
            m_server.close();
            return Outcome::AlreadyRunning;
        }
        if (!silent.isEmpty()) {
            const qint64 pid = m_lock.holderPid();
            qWarning("Fruitwake: no answer from the running Fruitwake%s within a few seconds; "
                     "taking its place",
                     pid > 0 ? qUtf8Printable(QStringLiteral(" (process %1)").arg(pid)) : "");
            lock = m_lock.takeOver() ? DataLock::Result::Held : DataLock::Result::Broken;
        }
    }
    switch (lock) {
    case DataLock::Result::Held:
        return Outcome::Primary;
    case DataLock::Result::Unavailable:
        qWarning("Fruitwake cannot create the lock file %s (%s); running unguarded",
                 qUtf8Printable(m_lock.path()), qUtf8Printable(m_lock.errorText()));
        return Outcome::Unguarded;
    default:
        return failed();
    }
}

SingleInstance::Outcome SingleInstance::failed() {
    m_server.close();
    const qint64 pid = m_lock.holderPid();
    m_error = QStringLiteral("另一个 Fruitwake%1没有响应，它的锁文件 %2 也无法替换。")
                  .arg(pid > 0 ? QStringLiteral("（进程 %1）").arg(pid) : QString(),
                       QDir::toNativeSeparators(m_lock.path()));
    qWarning("Fruitwake cannot start: %s", qUtf8Printable(m_error));
    return Outcome::Failed;
}

bool SingleInstance::holdsGuard() {
    if (m_lost)
        return false;
    if (m_lock.holds())
        return true;
    m_lost = true;
    m_server.close(); // a later start is to find the new holder
    qWarning("Fruitwake: another Fruitwake has taken over the data in %s; this one no longer "
             "writes it and ends",
             qUtf8Printable(m_lock.folder()));
    QMetaObject::invokeMethod(this, &SingleInstance::guardLost, Qt::QueuedConnection);
    return false;
}

bool SingleInstance::ask(const QStringList& names, bool askForward, QStringList* silent) {
    std::vector<std::unique_ptr<QLocalSocket>> peers;
    QStringList waiting;
    for (const QString& name : names) {
        auto socket = std::make_unique<QLocalSocket>();
        socket->setSocketOptions(QLocalSocket::AbstractNamespaceOption);
        socket->connectToServer(name);
        if (!socket->waitForConnected(250) || !sameUser(socket->socketDescriptor()))
            continue;
        socket->write(askForward ? activateMessage() : pingMessage());
        socket->waitForBytesWritten(250);
        peers.push_back(std::move(socket));
        waiting << name;
    }
    // A hung holder takes the line in the kernel; only its answer counts. One
    // that hangs up without answering was taken over and is ending.
    QElapsedTimer waited;
    waited.start();
    while (!peers.empty() && waited.elapsed() < kAnswerWithinMs) {
        for (size_t i = 0; i < peers.size();) {
            QLocalSocket& peer = *peers[i];
            if (!peer.canReadLine())
                peer.waitForReadyRead(20);
            if (peer.canReadLine() && peer.readLine(16) == answerMessage())
                return true;
            if (peer.state() != QLocalSocket::ConnectedState && !peer.canReadLine()) {
                peers.erase(peers.begin() + qsizetype(i));
                waiting.removeAt(qsizetype(i));
            } else {
                ++i;
            }
        }
    }
    *silent += waiting;
    return false;
}

void SingleInstance::onNewConnection() {
    while (QLocalSocket* peer = m_server.nextPendingConnection()) {
        connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        if (!sameUser(peer->socketDescriptor())) {
            peer->abort();
            continue;
        }
        auto read = [this, peer] {
            // Only a whole line counts, and a peer gets one line at most.
            if (!peer->canReadLine()) {
                if (peer->bytesAvailable() > 64)
                    peer->abort();
                return;
            }
            const QByteArray line = peer->readLine(64);
            // Answered at once, before the window comes forward; a copy that
            // was taken over answers no one.
            const bool known = line == activateMessage() || line == pingMessage();
            if (known && holdsGuard()) {
                peer->write(answerMessage());
                peer->flush();
            }
            peer->disconnectFromServer();
            if (line == activateMessage() && !m_lost)
                emit activationRequested();
        };
        connect(peer, &QLocalSocket::readyRead, this, read);
        if (peer->bytesAvailable() > 0)
            read();
    }
}
