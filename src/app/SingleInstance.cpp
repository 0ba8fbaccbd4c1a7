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

QString Digest(const QString& text) {
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

// Anyone may bind an abstract name: only a peer of this user counts.
bool SameUser(qintptr fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(int(fd), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::geteuid();
}

} // namespace

SingleInstance::SingleInstance(const QString& dataFile, QObject* parent)
    : QObject(parent), m_dataFile(QDir::cleanPath(QFileInfo(dataFile).absoluteFilePath())),
      m_lock(QFileInfo(m_dataFile).absolutePath()) {
    const QString base = QStringLiteral("fruitwake-%1-%2-").arg(::geteuid()).arg(
        Digest(m_lock.folder()));
    for (int k = 0; k < kNames; ++k)
        m_names << base + QString::number(k);
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
    switch (m_lock.acquire()) {
    case DataLock::Result::Held:
        return Outcome::Primary;
    case DataLock::Result::Unavailable:
        m_error = QStringLiteral("cannot create the lock file %1: %2")
                      .arg(m_lock.path(), m_lock.errorText());
        return Outcome::Unguarded;
    case DataLock::Result::Broken:
        return failed();
    case DataLock::Result::Busy:
        break;
    }
    // Held by another: one that started meanwhile answers now; one that
    // listens but stays silent is hung; none listening is an older version
    // (on a socket named after the data file's path) or out of reach.
    QStringList others = m_names;
    others.removeAll(m_server.serverName());
    for (const QString& name : std::as_const(silent))
        others.removeAll(name);
    if (ask(others, askForward, &silent))
        return m_server.close(), Outcome::AlreadyRunning;
    if (silent.isEmpty()) {
        const QString older =
            QStringLiteral("fruitwake-%1-%2").arg(::getuid()).arg(Digest(m_dataFile));
        if (ask({older}, askForward, &silent, false))
            return m_server.close(), Outcome::AlreadyRunning;
        return failed();
    }
    const qint64 pid = m_lock.holderPid();
    const QString holder = pid > 0 ? QStringLiteral(" (process %1)").arg(pid) : QString();
    qWarning("Fruitwake: no answer from the running Fruitwake%s within a few seconds; taking "
             "its place",
             qUtf8Printable(holder));
    if (m_lock.takeOver())
        return Outcome::Primary;
    // Another start took over first.
    return ask(others, askForward, &silent) ? (m_server.close(), Outcome::AlreadyRunning)
                                            : failed();
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

bool SingleInstance::ask(const QStringList& names, bool askForward, QStringList* silent,
                         bool abstract) {
    std::vector<std::unique_ptr<QLocalSocket>> peers;
    QStringList waiting;
    for (const QString& name : names) {
        auto socket = std::make_unique<QLocalSocket>();
        if (abstract)
            socket->setSocketOptions(QLocalSocket::AbstractNamespaceOption);
        socket->connectToServer(name);
        if (!socket->waitForConnected(250) || !SameUser(socket->socketDescriptor()))
            continue;
        socket->write(askForward ? ActivateMessage() : PingMessage());
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
            if (peer.canReadLine() && peer.readLine(16) == AnswerMessage())
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
        if (!SameUser(peer->socketDescriptor())) {
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
            const bool known = line == ActivateMessage() || line == PingMessage();
            if (known && holdsGuard()) {
                peer->write(AnswerMessage());
                peer->flush();
            }
            peer->disconnectFromServer();
            if (line == ActivateMessage() && !m_lost)
                emit activationRequested();
        };
        connect(peer, &QLocalSocket::readyRead, this, read);
        if (peer->bytesAvailable() > 0)
            read();
    }
}
