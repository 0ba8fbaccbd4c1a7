#include "alarm/TickEngine.h"

#include "alarm/Clock.h"
#include "alarm/TuneDeck.h"
#include "catalogue/CropCatalogue.h"
#include "catalogue/TimeText.h"
#include "reminders/ReminderTable.h"

#include <algorithm>

namespace {

// std::push_heap builds a max-heap; this order puts the earliest on top.
struct Later {
    template <class E> bool operator()(const E& a, const E& b) const { return a.key > b.key; }
};

} // namespace

TickEngine::TickEngine(ReminderTable& table, const Clock& clock, QObject* parent)
    : QObject(parent), m_table(table), m_clock(clock) {
    connect(&m_table, &QAbstractItemModel::rowsInserted, this, &TickEngine::onRowsInserted);
    connect(&m_table, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            &TickEngine::onRowsAboutToBeRemoved);
    connect(&m_table, &QAbstractItemModel::modelReset, this, &TickEngine::rebuild);
    connect(&m_table, &QAbstractItemModel::layoutAboutToBeChanged, this,
            &TickEngine::onLayoutAboutToBeChanged);
    connect(&m_table, &QAbstractItemModel::layoutChanged, this, &TickEngine::onLayoutChanged);
    connect(&m_table, &ReminderTable::rowIdsRenumbered, this, &TickEngine::onRowIdsRenumbered);
    rebuild();
}

void TickEngine::push(Heap& h, qint64 key, quint64 serial) {
    h.push_back({key, serial});
    std::push_heap(h.begin(), h.end(), Later{});
}

void TickEngine::pop(Heap& h) {
    std::pop_heap(h.begin(), h.end(), Later{});
    h.pop_back();
}

// A row that arrives with an alert instant already past never gets that alert.
void TickEngine::track(int position) {
    const ReminderRow& r = m_table.row(position);
    const quint64 serial = m_nextSerial++;
    m_rowOf.insert(serial, r.rowId);
    m_order.insert(position, serial);
    const qint64 now = m_clock.now();
    if (r.ripe > now)
        push(m_ripeDue, r.ripe, serial);
    if (r.ripe - 60 * qint64(m_nLeadMinutes) > now)
        push(m_warnDue, r.ripe, serial);
    // Equality on purpose: a season beyond the crop's count is never removed.
    if (r.seasonNo == CropCatalogue::ResolveCrop(r.cropIndex, r.cropName).seasons)
        push(m_lastDue, r.ripe, serial);
}

void TickEngine::rebuild() {
    m_rowOf.clear();
    m_order.clear();
    m_ripeDue.clear();
    m_warnDue.clear();
    m_lastDue.clear();
    const int n = m_table.count();
    m_rowOf.reserve(n);
    m_order.reserve(n);
    for (int i = 0; i < n; ++i)
        track(i);
}

void TickEngine::compact() {
    const auto dead = [this](const Entry& e) { return !m_rowOf.contains(e.serial); };
    for (Heap* h : {&m_ripeDue, &m_warnDue, &m_lastDue}) {
        h->erase(std::remove_if(h->begin(), h->end(), dead), h->end());
        std::make_heap(h->begin(), h->end(), Later{});
    }
}

void TickEngine::onRowsInserted(const QModelIndex& parent, int first, int last) {
    if (parent.isValid())
        return;
    for (int i = first; i <= last; ++i)
        track(i);
}

void TickEngine::onRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last) {
    if (parent.isValid() || first < 0 || last >= m_order.size() || first > last)
        return;
    for (int i = first; i <= last; ++i)
        m_rowOf.remove(m_order[i]);
    m_order.remove(first, last - first + 1);
    // Entries of removed rows wait in the heaps until they surface; keep them
    // from piling up when many rows go long before their time.
    const qsizetype live = m_rowOf.size();
    if (m_ripeDue.size() + m_warnDue.size() + m_lastDue.size() > std::size_t(6 * live + 1024))
        compact();
}

void TickEngine::onLayoutAboutToBeChanged() {
    m_layoutSerials.clear();
    m_layoutSerials.reserve(m_order.size());
    for (int i = 0; i < m_order.size() && i < m_table.count(); ++i)
        m_layoutSerials.insert(m_table.row(i).rowId, m_order[i]);
}

void TickEngine::onLayoutChanged() {
    if (m_layoutSerials.size() != m_table.count()) {
        rebuild(); // not a pure reordering: start over from the rows
    } else {
        for (int i = 0; i < m_table.count(); ++i)
            m_order[i] = m_layoutSerials.value(m_table.row(i).rowId);
    }
    m_layoutSerials.clear();
}

void TickEngine::onRowIdsRenumbered() {
    if (m_order.size() != m_table.count()) {
        rebuild();
        return;
    }
    for (int i = 0; i < m_table.count(); ++i)
        m_rowOf[m_order[i]] = m_table.row(i).rowId;
}

void TickEngine::setLeadMinutes(int minutes) {
    if (minutes == m_nLeadMinutes)
        return;
    m_nLeadMinutes = minutes;
    // Warnings whose instant under the new lead has passed are skipped; the
    // heap is keyed by ripening, so they are exactly the ones on top.
    const qint64 limit = m_clock.now() + 60 * qint64(m_nLeadMinutes);
    while (!m_warnDue.empty() && m_warnDue.front().key <= limit)
        pop(m_warnDue);
}

void TickEngine::tick() {
    const qint64 now = m_clock.now();
    const qint64 prev = m_lastNow;
    m_lastNow = now;

    emit stopMusicEnabled(m_deck && m_deck->IsActive());
    emit clockTextChanged(TimeText::Format(now));
    m_table.setNow(now);

    struct Due {
        int position;
        Alert alert;
    };
    QVector<Due> due;
    const auto raise = [&](quint32 rowId, Alert::Kind kind, qint64 at) {
        const int pos = m_table.findRow(rowId);
        if (pos < 0)
            return;
        Alert a;
        a.kind = kind;
        a.rowId = rowId;
        a.row = m_table.row(pos);
        a.due = at;
        a.text = kind == Alert::Kind::Ripe ? AlertText::Ripe(a.row)
                                           : AlertText::Warning(m_nLeadMinutes, a.row);
        due.push_back({pos, std::move(a)});
    };

    while (!m_ripeDue.empty() && m_ripeDue.front().key <= now) {
        const Entry e = m_ripeDue.front();
        pop(m_ripeDue);
        const auto it = m_rowOf.constFind(e.serial);
        if (it != m_rowOf.cend())
            raise(*it, Alert::Kind::Ripe, e.key);
    }
    const qint64 lead = 60 * qint64(m_nLeadMinutes);
    while (!m_warnDue.empty() && m_warnDue.front().key - lead <= now) {
        const Entry e = m_warnDue.front();
        pop(m_warnDue);
        const auto it = m_rowOf.constFind(e.serial);
        // Ripe by now as well: the ripe alert says it all.
        if (it != m_rowOf.cend() && e.key > now)
            raise(*it, Alert::Kind::Warning, e.key - lead);
    }

    QList<int> gone;
    while (!m_lastDue.empty() && m_lastDue.front().key < now) {
        const Entry e = m_lastDue.front();
        pop(m_lastDue);
        const auto it = m_rowOf.constFind(e.serial);
        if (it != m_rowOf.cend()) {
            const int pos = m_table.findRow(*it);
            if (pos >= 0)
                gone.push_back(pos);
        }
    }
    std::sort(gone.begin(), gone.end(), std::greater<int>());
    for (int pos : gone)
        m_table.removeAt(pos);

    if (due.isEmpty())
        return;
    AlertBatch batch;
    batch.catchUp = prev != kNoTick && now - prev > kCatchUpGap;
    std::stable_sort(due.begin(), due.end(), [&batch](const Due& a, const Due& b) {
        if (batch.catchUp && a.alert.isRipe() != b.alert.isRipe())
            return a.alert.isRipe();
        return a.position < b.position;
    });
    batch.alerts.reserve(due.size());
    for (Due& d : due)
        batch.alerts.push_back(std::move(d.alert));
    emit alertsRaised(batch);
}
