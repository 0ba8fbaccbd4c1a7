#include "reminders/PersistenceController.h"

#include <QDir>

PersistenceController::PersistenceController(Snapshot snapshot, StoreWriter& store, QObject* parent)
    : QObject(parent), m_snapshot(std::move(snapshot)), m_store(store) {
    m_dirty.setSingleShot(true);
    m_dirty.setInterval(kDirtyDelayMs);
    connect(&m_dirty, &QTimer::timeout, this, [this] { save(); });
}

void PersistenceController::markDirty() {
    // Not restarted by later changes, so a steady stream of edits still
    // reaches the disk within about a second.
    if (!m_dirty.isActive())
        m_dirty.start();
}

void PersistenceController::onTick() {
    ++m_nSaveTicks;
    if (m_nSaveTicks >= kSaveEveryTicks) {
        m_nSaveTicks = 0;
        save();
    }
}

SaveResult PersistenceController::saveNow() {
    return save();
}

QString PersistenceController::FailureMessage(const QString& path, const QString& reason) {
    return QStringLiteral("提醒数据未能保存到 %1：%2。稍后会自动重试。")
        .arg(QDir::toNativeSeparators(path), reason);
}

SaveResult PersistenceController::save() {
    // Whatever was pending goes into this save.
    m_dirty.stop();
    SaveResult result;
    if (m_snapshot)
        result = m_store.save(m_snapshot());
    else
        result.error = QStringLiteral("没有可保存的数据");
    if (result.ok) {
        emit saved();
        if (m_failing) {
            m_failing = false;
            emit saveRecovered();
        }
    } else if (!m_failing) {
        m_failing = true;
        emit saveFailed(FailureMessage(m_store.path(), result.error));
    }
    return result;
}
