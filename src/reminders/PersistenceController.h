#pragma once

#include "reminders/ReminderStore.h"

#include <QObject>
#include <QTimer>
#include <functional>

// When the data file is written: about a second after every change, every 120
// ticks, and once at an orderly end. The first two write only when the state
// differs from what the last good save wrote, so an idle program writes
// nothing. A failed save is told once per streak of failures and tried again
// at the next save point, and at the latest after kRetryMs; nothing here ever
// stops the tick or the exit.
class PersistenceController : public QObject {
    Q_OBJECT
public:
    using Snapshot = std::function<StoreState()>;
    static constexpr int kSaveEveryTicks = 120;
    static constexpr int kDirtyDelayMs = 1000;
    static constexpr int kRetryMs = 120'000;

    PersistenceController(Snapshot snapshot, StoreWriter& store, QObject* parent = nullptr);

    // A burst of changes is written once, a second after the first of them.
    void markDirty();
    bool isDirty() const { return m_dirty.isActive(); }
    void onTick();
    // Always writes (the ways out).
    SaveResult saveNow();
    // What the file holds now, as just loaded whole.
    void markSaved();
    bool differsFromSaved() const;
    void setRetryDelay(int ms) { m_retry.setInterval(ms); }

    void setDirtyDelay(int ms) { m_dirty.setInterval(ms); }
    // Asked before every write, the periodic, the change and the exit save
    // alike; once it says no (another process writes the file now), nothing
    // is written again and no failure is told.
    void setWriteFence(std::function<bool()> mayWrite) { m_fence = std::move(mayWrite); }
    static QString fencedText() { return QStringLiteral("另一个 Fruitwake 已接管这个数据文件"); }

    static QString failureMessage(const QString& path, const QString& reason);

signals:
    void saved();
    void saveFailed(const QString& message);
    void saveRecovered();

private:
    SaveResult save();
    void saveIfChanged();

    Snapshot m_snapshot;
    StoreWriter& m_store;
    QTimer m_dirty;
    QTimer m_retry;
    bool m_hasSaved = false;
    StoreState m_saved; // as the last good save wrote it
    int m_nSaveTicks = 0;
    bool m_failing = false;
    std::function<bool()> m_fence;
    bool m_fenced = false;
};
