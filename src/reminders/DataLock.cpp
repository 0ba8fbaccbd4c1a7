#include "reminders/DataLock.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

QString errnoText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// What QLockFile writes, so that an older version sees who holds the lock.
QByteArray contents() {
    const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QByteArray::number(qint64(::getpid())) + '\n' + QFileInfo(exe).fileName().toUtf8() +
           '\n' + QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId() + '\n' +
           QSysInfo::bootUniqueId() + '\n';
}

} // namespace

DataLock::DataLock(const QString& folder) {
    const QString absolute = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    QDir().mkpath(absolute);
    const QString canonical = QFileInfo(absolute).canonicalFilePath();
    m_folder = canonical.isEmpty() ? absolute : canonical;
    m_path = QDir(m_folder).filePath(QStringLiteral("fruitwake.lock"));
}

DataLock::~DataLock() {
    if (m_fd >= 0)
        ::close(m_fd);
}

int DataLock::create(const QString& name) {
    const int fd = ::open(native(name), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return -1;
    // Without flock() on this file system the file's identity still tells the holder.
    ::flock(fd, LOCK_EX | LOCK_NB);
    const QByteArray info = contents();
    [[maybe_unused]] const ssize_t n = ::write(fd, info.constData(), size_t(info.size()));
    return fd;
}

void DataLock::adopt(int fd) {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

bool DataLock::isStale() const {
    const int fd = ::open(native(m_path), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    // A holder keeps its flock until it ends, however it ends.
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    const bool held = !free && errno == EWOULDBLOCK;
    ::close(fd);
    if (free || held)
        return free;
    // No flock() here: the process it names decides.
    const qint64 pid = holderPid();
    return pid <= 0 || (::kill(pid_t(pid), 0) != 0 && errno == ESRCH);
}

DataLock::Result DataLock::acquire() {
    if (m_fd >= 0)
        return Result::Held;
    QDir().mkpath(m_folder);
    const int fd = create(m_path);
    if (fd >= 0) {
        adopt(fd);
        return Result::Held;
    }
    if (errno != EEXIST) {
        m_error = errnoText();
        return Result::Unavailable;
    }
    struct stat st {};
    if (::lstat(native(m_path), &st) != 0 || !S_ISREG(st.st_mode))
        return Result::Broken;
    if (!isStale())
        return Result::Busy;
    if (takeOver())
        return Result::Held;
    // Another start took the stale lock first.
    return QFileInfo(m_path).isFile() ? Result::Busy : Result::Broken;
}

bool DataLock::takeOver() {
    // Made whole under a name of its own, then put in place in one step.
    const QString temp = m_path + QStringLiteral(".%1").arg(::getpid());
    ::unlink(native(temp));
    const int fd = create(temp);
    if (fd < 0 || ::rename(native(temp), native(m_path)) != 0) {
        m_error = errnoText();
        if (fd >= 0) {
            ::close(fd);
            ::unlink(native(temp));
        }
        return false;
    }
    adopt(fd);
    m_lost = false;
    // Another start may have put its own there just after: only the file at the name counts.
    return holds();
}

bool DataLock::holds() {
    if (m_lost)
        return false;
    struct stat mine {};
    struct stat there {};
    if (::stat(native(m_path), &there) == 0) {
        m_lost = !(m_fd >= 0 && ::fstat(m_fd, &mine) == 0 && mine.st_dev == there.st_dev &&
                   mine.st_ino == there.st_ino);
        return !m_lost;
    }
    // Cannot look (no access, an I/O error): the write itself will tell.
    if (errno != ENOENT)
        return true;
    // Gone with its folder: made anew, unless another process made it first.
    QDir().mkpath(m_folder);
    const int fd = create(m_path);
    if (fd >= 0)
        adopt(fd);
    else if (errno == EEXIST)
        m_lost = true;
    return !m_lost;
}

qint64 DataLock::holderPid() const {
    qint64 pid = 0;
    QString host, app;
    return QLockFile(m_path).getLockInfo(&pid, &host, &app) ? pid : 0;
}
