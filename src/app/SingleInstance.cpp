#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QtDebug>
#include <unistd.h>

namespace {

// Unix socket paths hold 108 bytes with the terminator.
constexpr int kMaxSocketPath = 100;

} // namespace

SingleInstance::SingleInstance(QString lockPath, QString serverName, QObject* parent)
    : QObject(parent), m_lockPath(std::move(lockPath)), m_serverName(std::move(serverName)),
      m_lock(m_lockPath) {
    // Only a holder that died counts as stale, however long it has been running.
    m_lock.setStaleLockTime(0);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
}

SingleInstance::~SingleInstance() {
    m_server.close();
    if (m_lock.isLocked())
        m_lock.unlock();
}

QString SingleInstance::ServerNameFor(const QString& dataDir) {
    const QByteArray digest =
        QCryptographicHash::hash(QDir::cleanPath(QFileInfo(dataDir).absoluteFilePath()).toUtf8(),
                                 QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    const QString base =
        QStringLiteral("fruitwake-%1-%2").arg(getuid()).arg(QString::fromLatin1(digest));
    // The user's runtime folder is private to the user; the temp folder is the
    // fallback, with the uid in the name and the socket user-only.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty()) {
        const QString path = QDir(runtime).filePath(base + QStringLiteral(".sock"));
        if (path.toLocal8Bit().size() <= kMaxSocketPath)
            return path;
    }
    return base;
}

std::unique_ptr<SingleInstance> SingleInstance::ForDataDir(const QString& dataDir,
                                                           QObject* parent) {
    return std::make_unique<SingleInstance>(
        QDir(dataDir).filePath(QStringLiteral("fruitwake.lock")), ServerNameFor(dataDir), parent);
}

SingleInstance::Outcome SingleInstance::start(bool askForward) {
    if (m_lock.isLocked())
        return Outcome::Primary;
    QDir().mkpath(QFileInfo(m_lockPath).absolutePath());
    // A lock left by a crashed run names a dead process and is taken over here.
    if (!m_lock.tryLock(0)) {
        if (m_lock.error() == QLockFile::LockFailedError) {
            if (askForward && !askRunningInstance())
                qWarning("Fruitwake is already running but did not answer: %s",
                         qUtf8Printable(m_error));
            return Outcome::AlreadyRunning;
        }
        m_error = QStringLiteral("cannot create the lock file %1").arg(m_lockPath);
        return Outcome::Unguarded;
    }
    // Holding the lock, any socket of that name is a leftover of a crash.
    QLocalServer::removeServer(m_serverName);
    if (!m_server.listen(m_serverName)) {
        // Still the only writer; only a second start cannot reach this one.
        m_error = m_server.errorString();
        qWarning("Fruitwake cannot listen on %s: %s", qUtf8Printable(m_serverName),
                 qUtf8Printable(m_error));
    }
    return Outcome::Primary;
}

bool SingleInstance::askRunningInstance() {
    QLocalSocket socket;
    // The first instance may be between taking the lock and listening.
    for (int attempt = 0; attempt < 10; ++attempt) {
        socket.connectToServer(m_serverName);
        if (socket.waitForConnected(1000))
            break;
        socket.abort();
        usleep(200 * 1000);
    }
    if (socket.state() != QLocalSocket::ConnectedState) {
        m_error = socket.errorString();
        return false;
    }
    socket.write(ActivateMessage());
    const bool sent = socket.waitForBytesWritten(2000);
    if (!sent)
        m_error = socket.errorString();
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(1000);
    return sent;
}

void SingleInstance::onNewConnection() {
    while (QLocalSocket* peer = m_server.nextPendingConnection()) {
        connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        auto read = [this, peer] {
            // Only a whole line counts, and a peer gets one line at most.
            if (!peer->canReadLine()) {
                if (peer->bytesAvailable() > 64)
                    peer->abort();
                return;
            }
            const QByteArray line = peer->readLine(64);
            peer->disconnectFromServer();
            if (line == ActivateMessage())
                emit activationRequested();
        };
        connect(peer, &QLocalSocket::readyRead, this, read);
        if (peer->bytesAvailable() > 0)
            read();
    }
}
