#include "reminders/ReminderStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QScopeGuard>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

bool writeImage(QIODevice& device, const QByteArray& image, QString* error,
                const std::function<bool()>& flush) {
    auto fail = [&](const QString& what) {
        if (error)
            *error = what + QStringLiteral("（%1）").arg(device.errorString());
        return false;
    };
    qsizetype done = 0;
    while (done < image.size()) {
        const qint64 n = device.write(image.constData() + done, image.size() - done);
        if (n <= 0)
            return fail(QStringLiteral("写入失败，已写 %1 / %2 字节").arg(done).arg(image.size()));
        done += n;
    }
    bool flushed = true;
    if (flush)
        flushed = flush();
    else if (auto* file = qobject_cast<QFileDevice*>(&device))
        flushed = file->flush();
    if (!flushed)
        return fail(QStringLiteral("数据未能写到磁盘上"));
    return true;
}

ReminderStore::ReminderStore(QString path)
    : m_path(std::move(path)), m_now([] { return QDateTime::currentDateTime(); }) {}

QString ReminderStore::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + u'/' +
           defaultFileName();
}

namespace {

// The file's type in plain words, for the message that it cannot be used.
QString kindText(mode_t mode) {
    if (S_ISDIR(mode))
        return QStringLiteral("文件夹");
    if (S_ISFIFO(mode))
        return QStringLiteral("命名管道");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("设备");
    if (S_ISSOCK(mode))
        return QStringLiteral("套接字");
    return QStringLiteral("特殊文件");
}

QString errnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// No entry under that name at all (a dangling link counts as one: saving
// creates its target).
bool taken(const QString& name) {
    struct stat st {};
    return ::lstat(QFile::encodeName(name).constData(), &st) == 0;
}

// The type of the entry itself (a link as a link), or 0 when there is none.
mode_t kind(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

} // namespace

LoadResult ReminderStore::load() {
    LoadResult result;
    const QByteArray native = QFile::encodeName(m_path);
    // Looked at before it is opened: a FIFO would block the open, a device
    // would never end, so only a regular file (or a link to one) is read.
    struct stat st {};
    if (::stat(native.constData(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return result; // Missing; a file in a folder's place makes saving fail instead
        return unreadable(QStringLiteral("无法读取（%1）").arg(errnoText(errno)));
    }
    if (!S_ISREG(st.st_mode))
        return unreadable(
            QStringLiteral("数据文件的位置上是一个%1，不是普通文件").arg(kindText(st.st_mode)));
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return unreadable(QStringLiteral("无法读取（%1）").arg(errnoText(errno)));
    const auto closeFd = qScopeGuard([fd] { ::close(fd); });
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) // replaced between the two looks
        return unreadable(QStringLiteral("数据文件的位置上不是普通文件"));
    // The header, then the records a piece at a time, as far as they go.
    int readError = 0;
    const auto readFd = [fd, &readError](char* into, qint64 max) -> qint64 {
        for (;;) {
            const ssize_t got = ::read(fd, into, size_t(max));
            if (got >= 0)
                return got;
            if (errno != EINTR) {
                readError = errno;
                return -1;
            }
        }
    };
    try {
        result = ReminderImage::decodeFrom(readFd, st.st_size);
    } catch (const std::bad_alloc&) {
        return unreadable(QStringLiteral("内存不足，读不下 %1 字节").arg(st.st_size));
    }
    if (result.status == LoadStatus::Unreadable)
        return unreadable(QStringLiteral("无法读取（%1）").arg(errnoText(readError)));
    if (result.status == LoadStatus::Damaged)
        keepDamaged(result);
    return result;
}

void ReminderStore::keepDamaged(LoadResult& result) {
    // The file itself gets a second name: a hard link copies nothing, so a
    // huge or sparse file costs no room, and the data file stays in place
    // until the rows read from it replace it at once. A crash at any point
    // leaves the file whole under one name or the other. Behind a link, the
    // file the link leads to is kept, beside itself.
    const QString file = kind(m_path) == S_IFLNK ? QFileInfo(m_path).canonicalFilePath() : m_path;
    const QByteArray from = QFile::encodeName(file);
    QString error;
    result.damagedCopy = setAside(
        file,
        [&](const QString& name, QString* error) {
            const QByteArray to = QFile::encodeName(name);
            if (::link(from.constData(), to.constData()) == 0)
                return true;
            // Where a file system has no hard links, a rename keeps it as well.
            if (errno != EEXIST && ::rename(from.constData(), to.constData()) == 0)
                return true;
            *error = errnoText(errno);
            return false;
        },
        &error);
    if (result.damagedCopy.isEmpty()) {
        result.reason += QStringLiteral("；未能另存副本：") + error;
        return;
    }
    const SaveResult saved = save(result.state);
    if (!saved.ok)
        result.reason += QStringLiteral("；读入的提醒未能立即保存：") + saved.error;
}

LoadResult ReminderStore::unreadable(const QString& reason) const {
    // A file that is there but cannot be read would be replaced by the first
    // save; it is moved aside whole instead (a link as the link itself).
    LoadResult result;
    result.status = LoadStatus::Unreadable;
    result.reason = reason;
    QString moveError;
    result.damagedCopy = setAside(
        m_path,
        [&](const QString& name, QString* error) {
            if (::rename(QFile::encodeName(m_path).constData(),
                         QFile::encodeName(name).constData()) == 0)
                return true;
            *error = errnoText(errno);
            return false;
        },
        &moveError);
    if (result.damagedCopy.isEmpty())
        result.reason += QStringLiteral("；未能移到别处：") + moveError;
    return result;
}

QString ReminderStore::setAside(const QString& file,
                                const std::function<bool(const QString&, QString*)>& place,
                                QString* error) const {
    const QString stem =
        file + QStringLiteral(".damaged-") + m_now().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int k = 1; k < 1000; ++k) {
        const QString name = k == 1 ? stem : stem + QStringLiteral("-%1").arg(k);
        if (taken(name))
            continue;
        return place(name, error) ? name : QString();
    }
    *error = QStringLiteral("副本太多");
    return {};
}

SaveResult ReminderStore::save(const StoreState& state) {
    // Saving runs in the tick and at exit: it reports, it never throws.
    try {
        return saveImage(state);
    } catch (const std::exception& e) {
        SaveResult result;
        result.error = QStringLiteral("内存不足（%1）").arg(QString::fromLocal8Bit(e.what()));
        return result;
    }
}

SaveResult ReminderStore::saveImage(const StoreState& state) {
    SaveResult result;
    const QFileInfo info(m_path);
    const QString folder = info.absolutePath();
    if (!QDir().mkpath(folder)) {
        result.error = QStringLiteral("无法创建文件夹 %1").arg(native(folder));
        return result;
    }
    // A link to anything but a regular file is replaced, never written
    // through: saving through a link to a device would replace the device.
    const QByteArray native = QFile::encodeName(m_path);
    struct stat st {};
    if (::lstat(native.constData(), &st) == 0 && S_ISLNK(st.st_mode) &&
        ::stat(native.constData(), &st) == 0 && !S_ISREG(st.st_mode) &&
        ::unlink(native.constData()) != 0) {
        result.error = QStringLiteral("无法替换指向%1的链接（%2）")
                           .arg(kindText(st.st_mode), errnoText(errno));
        return result;
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        result.error = QStringLiteral("无法打开文件（%1）").arg(file.errorString());
        return result;
    }
    QString error;
    if (!writeImage(file, ReminderImage::encode(state), &error)) {
        file.cancelWriting(); // the previous file stays as it was
        result.error = error;
        return result;
    }
    if (!file.commit()) {
        result.error = QStringLiteral("无法替换原文件（%1）").arg(file.errorString());
        return result;
    }
    result.ok = true;
    return result;
}
