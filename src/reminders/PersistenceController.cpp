#include "reminders/PersistenceController.h"

#include <QDir>
#include <algorithm>

PersistenceController::PersistenceController(Snapshot snapshot, StoreWriter& store, QObject* parent)
    : QObject(parent), m_snapshot(std::move(snapshot)), m_store(store) {
    m_dirty.setSingleShot(true);
    m_dirty.setInterval(kDirtyDelayMs);
    connect(&m_dirty, &QTimer::timeout, this, &PersistenceController::saveIfChanged);
    m_retry.setSingleShot(true);
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &PersistenceController::saveIfChanged);
}

namespace {

bool same(const StoreState& a, const StoreState& b) {
    if (a.musicPath != b.musicPath || a.leadMinutes != b.leadMinutes ||
        a.rows.size() != b.rows.size())
        return false;
    // Unchanged rows still share the table's data: no walk needed.
    if (a.rows.constData() == b.rows.constData())
        return true;
    return std::equal(a.rows.cbegin(), a.rows.cend(), b.rows.cbegin(),
                      [](const ReminderRow& x, const ReminderRow& y) { return x.sameContent(y); });
}

} // namespace

void PersistenceController::markSaved() {
    if (!m_snapshot)
        return;
    m_saved = m_snapshot();
    m_hasSaved = true;
}

bool PersistenceController::differsFromSaved() const {
    return !m_hasSaved || !m_snapshot || !same(m_snapshot(), m_saved);
}

void PersistenceController::saveIfChanged() {
    // While failing, the file may hold less than the last good save wrote.
    if (m_failing || differsFromSaved())
        save();
    else
        m_dirty.stop();
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
        saveIfChanged();
    }
}

SaveResult PersistenceController::saveNow() {
    return save();
}

QString PersistenceController::failureMessage(const QString& path, const QString& reason) {
    return QStringLiteral("提醒数据未能保存到 %1：%2。稍后会自动重试。")
        .arg(QDir::toNativeSeparators(path), reason);
}

SaveResult PersistenceController::save() {
    // Whatever was pending goes into this save.
    m_dirty.stop();
    m_retry.stop();
    SaveResult result;
    m_fenced = m_fenced || (m_fence && !m_fence());
    if (m_fenced) {
        result.error = fencedText();
        return result;
    }
    StoreState state;
    if (m_snapshot) {
        state = m_snapshot();
        result = m_store.save(state);
    } else {
        result.error = QStringLiteral("没有可保存的数据");
    }
    if (result.ok) {
        m_saved = std::move(state);
        m_hasSaved = true;
        emit saved();
        if (m_failing) {
            m_failing = false;
            emit saveRecovered();
        }
    } else {
        m_retry.start();
        if (!m_failing) {
            m_failing = true;
            emit saveFailed(failureMessage(m_store.path(), result.error));
        }
    }
    return result;
}
