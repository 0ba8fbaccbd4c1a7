#include "reminders/ReminderStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <exception>

namespace {

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

bool WriteImage(QIODevice& device, const QByteArray& image, QString* error,
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

QString ReminderStore::DefaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + u'/' +
           DefaultFileName();
}

LoadResult ReminderStore::load() {
    LoadResult result;
    QFile file(m_path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        if (!QFileInfo(m_path).isFile())
            return result; // Missing; a folder in its place makes saving fail instead
        // A file that is there but cannot be read would be replaced by the
        // first save; it is moved aside whole instead.
        result.status = LoadStatus::Unreadable;
        result.reason = QStringLiteral("无法读取（%1）").arg(file.errorString());
        file.close();
        QString moveError;
        result.damagedCopy = setAside(
            [&](const QString& name, QString* error) {
                QFile original(m_path);
                if (original.rename(name))
                    return true;
                *error = original.errorString();
                return false;
            },
            &moveError);
        if (result.damagedCopy.isEmpty())
            result.reason += QStringLiteral("；未能移到别处：") + moveError;
        return result;
    }
    file.close();
    result = ReminderImage::Decode(bytes);
    if (result.status == LoadStatus::Damaged) {
        QString copyError;
        result.damagedCopy = setAside(
            [&](const QString& name, QString* error) {
                QFile copy(name);
                // NewOnly: an earlier copy of the same second is never overwritten.
                if (!copy.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
                    *error = copy.errorString();
                    return false;
                }
                if (WriteImage(copy, bytes, error))
                    return true;
                copy.close();
                copy.remove();
                return false;
            },
            &copyError);
        if (result.damagedCopy.isEmpty())
            result.reason += QStringLiteral("；未能另存副本：") + copyError;
    }
    return result;
}

QString ReminderStore::setAside(const std::function<bool(const QString&, QString*)>& place,
                                QString* error) const {
    const QString stem =
        m_path + QStringLiteral(".damaged-") + m_now().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int k = 1; k < 1000; ++k) {
        const QString name = k == 1 ? stem : stem + QStringLiteral("-%1").arg(k);
        if (QFileInfo::exists(name))
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
        result.error = QStringLiteral("无法创建文件夹 %1").arg(Native(folder));
        return result;
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        result.error = QStringLiteral("无法打开文件（%1）").arg(file.errorString());
        return result;
    }
    QString error;
    if (!WriteImage(file, ReminderImage::Encode(state), &error)) {
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

QString DefaultAlarmSoundText() {
    return QStringLiteral("默认提醒声音");
}
QString DefaultMusicLabel() {
    return QStringLiteral("默认音乐");
}

bool FileOrFolderExists(const QString& path) {
    return !path.isEmpty() && QFileInfo::exists(path);
}

LoadedSettings AdoptLoaded(const LoadResult& loaded, const FileExists& exists) {
    LoadedSettings s;
    if (loaded.status == LoadStatus::Missing || loaded.status == LoadStatus::Empty ||
        loaded.status == LoadStatus::Unreadable) {
        s.musicLabel = DefaultMusicLabel();
        return s;
    }
    s.leadMinutes = qMin(loaded.state.leadMinutes, kMaxLeadMinutes);
    s.strMusic = loaded.state.musicPath;
    if (!s.strMusic.isEmpty() && !(exists && exists(s.strMusic)))
        s.strMusic.clear();
    if (s.strMusic.isEmpty())
        s.strMusic = DefaultAlarmSoundText();
    else
        s.playerPath = s.strMusic;
    s.musicLabel = s.strMusic;
    return s;
}
