#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QtDebug>
#include <unistd.h>

namespace {

// Unix socket paths hold 108 bytes with the terminator.
constexpr int kMaxSocketPath = 100;
// A first answers once its event loop runs, which a slow start-up (a big data
// file, a loaded machine) delays; a hung one never does.
constexpr qint64 kAnswerWithinMs = 5000;

} // namespace

SingleInstance::SingleInstance(QString lockPath, QString serverName, QObject* parent)
    : QObject(parent), m_lockPath(std::move(lockPath)), m_serverName(std::move(serverName)),
      m_lock(std::make_unique<QLockFile>(m_lockPath)) {
    // Only a holder that died counts as stale, however long it has been running.
    m_lock->setStaleLockTime(0);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
}

SingleInstance::~SingleInstance() {
    m_server.close();
    if (!m_lock->isLocked())
        return;
    // Taken over while hung: the lock file is the new holder's now, and
    // QLockFile would delete it on unlocking. Left to the end of the process.
    qint64 pid = 0;
    QString host, app;
    if (QLockFile(m_lockPath).getLockInfo(&pid, &host, &app) && pid != ::getpid())
        (void)m_lock.release();
}

std::unique_ptr<SingleInstance> SingleInstance::ForDataFile(const QString& dataFile,
                                                            QObject* parent) {
    const QString file = QDir::cleanPath(QFileInfo(dataFile).absoluteFilePath());
    const QString digest = QString::fromLatin1(
        QCryptographicHash::hash(file.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
    const QString base = QStringLiteral("fruitwake-%1-%2").arg(getuid()).arg(digest);
    // The user's runtime folder is private to the user; without one the lock
    // stays beside the data and the socket goes to the temp folder, with the
    // uid in its name and user-only.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    QString lock = QFileInfo(file).dir().filePath(QStringLiteral("fruitwake.lock"));
    QString server = base;
    if (!runtime.isEmpty()) {
        lock = QDir(runtime).filePath(base + QStringLiteral(".lock"));
        const QString path = QDir(runtime).filePath(base + QStringLiteral(".sock"));
        if (path.toLocal8Bit().size() <= kMaxSocketPath)
            server = path;
    }
    return std::make_unique<SingleInstance>(lock, server, parent);
}

SingleInstance::Outcome SingleInstance::start(bool askForward) {
    if (m_lock->isLocked())
        return Outcome::Primary;
    QDir().mkpath(QFileInfo(m_lockPath).absolutePath());
    // A lock left by a crashed run names a dead process and is taken over here.
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() != QLockFile::LockFailedError) {
            m_error = QStringLiteral("cannot create the lock file %1").arg(m_lockPath);
            return Outcome::Unguarded;
        }
        if (askRunningInstance(askForward))
            return Outcome::AlreadyRunning;
        const Outcome taken = takeOver(askForward);
        if (taken != Outcome::Primary)
            return taken;
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

SingleInstance::Outcome SingleInstance::takeOver(bool askForward) {
    qint64 pid = 0;
    QString host, app;
    m_lock->getLockInfo(&pid, &host, &app);
    const QString holder = pid > 0 ? QStringLiteral(" (process %1)").arg(pid) : QString();
    qWarning("Fruitwake: no answer from the running Fruitwake%s within a few seconds; taking "
             "its place",
             qUtf8Printable(holder));
    // The holder may still keep its file open: the name is freed, not the file.
    if (QFile::remove(m_lockPath)) {
        if (m_lock->tryLock(0))
            return Outcome::Primary;
        // Another start took over first.
        if (m_lock->error() == QLockFile::LockFailedError && askRunningInstance(askForward))
            return Outcome::AlreadyRunning;
    }
    m_error = QStringLiteral("另一个 Fruitwake%1没有响应，它的锁文件 %2 也无法替换。")
                  .arg(pid > 0 ? QStringLiteral("（进程 %1）").arg(pid) : QString(),
                       QDir::toNativeSeparators(m_lockPath));
    qWarning("Fruitwake cannot start: %s", qUtf8Printable(m_error));
    return Outcome::Failed;
}

bool SingleInstance::askRunningInstance(bool askForward) {
    QLocalSocket socket;
    // The first instance may be between taking the lock and listening.
    for (int attempt = 0; attempt < 8; ++attempt) {
        socket.connectToServer(m_serverName);
        if (socket.waitForConnected(250))
            break;
        socket.abort();
        usleep(250 * 1000);
    }
    if (socket.state() != QLocalSocket::ConnectedState)
        return false;
    socket.write(askForward ? ActivateMessage() : PingMessage());
    socket.waitForBytesWritten(1000);
    // A hung holder accepts and takes the line in the kernel; only its answer counts.
    QElapsedTimer waited;
    waited.start();
    while (!socket.canReadLine() && waited.elapsed() < kAnswerWithinMs &&
           socket.state() == QLocalSocket::ConnectedState)
        socket.waitForReadyRead(int(kAnswerWithinMs - waited.elapsed()));
    const QByteArray answer = socket.readLine(16);
    socket.abort();
    return answer == AnswerMessage();
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
            // Answered at once, before the window comes forward.
            if (line == ActivateMessage() || line == PingMessage()) {
                peer->write(AnswerMessage());
                peer->flush();
            }
            peer->disconnectFromServer();
            if (line == ActivateMessage())
                emit activationRequested();
        };
        connect(peer, &QLocalSocket::readyRead, this, read);
        if (peer->bytesAvailable() > 0)
            read();
    }
}
