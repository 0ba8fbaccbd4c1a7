#pragma once

#include "reminders/ReminderStore.h"

#include <QObject>
#include <QTimer>
#include <functional>

// When the data file is written: about a second after every change, every 120
// ticks, and once at an orderly end. A failed save is told once per streak of
// failures and tried again at the next save point; nothing here ever stops
// the tick or the exit.
class PersistenceController : public QObject {
    Q_OBJECT
public:
    using Snapshot = std::function<StoreState()>;
    static constexpr int kSaveEveryTicks = 120;
    static constexpr int kDirtyDelayMs = 1000;

    PersistenceController(Snapshot snapshot, StoreWriter& store, QObject* parent = nullptr);

    // A burst of changes is written once, a second after the first of them.
    void markDirty();
    bool isDirty() const { return m_dirty.isActive(); }
    void onTick();
    SaveResult saveNow();

    void setDirtyDelay(int ms) { m_dirty.setInterval(ms); }

    static QString FailureMessage(const QString& path, const QString& reason);

signals:
    void saved();
    void saveFailed(const QString& message);
    void saveRecovered();

private:
    SaveResult save();

    Snapshot m_snapshot;
    StoreWriter& m_store;
    QTimer m_dirty;
    int m_nSaveTicks = 0;
    bool m_failing = false;
};
