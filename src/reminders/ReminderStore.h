#pragma once

#include "reminders/ReminderImage.h"

#include <QDateTime>
#include <QString>
#include <functional>

class QIODevice;

struct SaveResult {
    bool ok = false;
    QString error; // user-facing reason when !ok
};

// Where saves go; the persistence policy sees only this, so tests can make
// saving fail on purpose.
class StoreWriter {
public:
    virtual ~StoreWriter() = default;
    virtual SaveResult save(const StoreState& state) = 0;
    virtual QString path() const = 0;
};

// Writes the whole image and flushes it; false with a reason on any failed
// write, or when the flush fails (a full device may only tell then). A file
// device is flushed by itself; other devices pass their own flush.
bool writeImage(QIODevice& device, const QByteArray& image, QString* error,
                const std::function<bool()>& flush = {});

// The data file in one place. Loading reads only what its layout covers; saving replaces it
// atomically, so a crash or a full disk mid-save leaves the previous file whole.
class ReminderStore : public StoreWriter {
public:
    explicit ReminderStore(QString path);

    // $XDG_DATA_HOME/fruitwake/foodinfo.dat once the application is named.
    static QString defaultPath();
    static QString defaultFileName() { return QStringLiteral("foodinfo.dat"); }

    QString path() const override { return m_path; }

    // Only a regular file is read, and only as far as its layout reaches. A
    // damaged file is kept aside under a new name (never over an earlier
    // copy) and what could be read from it is saved at once; one that cannot
    // be read or is no regular file is moved aside. Nothing is lost when the
    // next save replaces it.
    LoadResult load();
    SaveResult save(const StoreState& state) override;

    // The time that names a damaged file's copy.
    void setNowSource(std::function<QDateTime()> now) { m_now = std::move(now); }

private:
    SaveResult saveImage(const StoreState& state);
    LoadResult unreadable(const QString& reason) const;
    void keepDamaged(LoadResult& result);
    // Puts the file at the first free "<file>.damaged-<time>[-k]" through
    // place(name, error); returns that name, or empty on failure.
    QString setAside(const QString& file,
                     const std::function<bool(const QString&, QString*)>& place,
                     QString* error) const;

    QString m_path;
    std::function<QDateTime()> m_now;
};
