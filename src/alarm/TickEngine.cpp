#include "alarm/TickEngine.h"

#include "alarm/Clock.h"
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
    if (r.ripe > now) {
        push(m_ripeDue, r.ripe, serial);
        // Inside the lead already: kept in case the lead is lowered.
        push(r.ripe - 60 * qint64(m_nLeadMinutes) > now ? m_warnDue : m_warnLate, r.ripe, serial);
    }
    // Equality on purpose: a season beyond the crop's count is never removed.
    if (r.seasonNo == CropCatalogue::ResolveCrop(r.cropIndex, r.cropName).seasons)
        push(m_lastDue, r.ripe, serial);
}

void TickEngine::rebuild() {
    m_rowOf.clear();
    m_order.clear();
    m_ripeDue.clear();
    m_warnDue.clear();
    m_warnLate.clear();
    m_lastDue.clear();
    const int n = m_table.count();
    m_rowOf.reserve(n);
    m_order.reserve(n);
    for (int i = 0; i < n; ++i)
        track(i);
    emit scheduleChanged();
}

void TickEngine::compact() {
    const auto dead = [this](const Entry& e) { return !m_rowOf.contains(e.serial); };
    for (Heap* h : {&m_ripeDue, &m_warnDue, &m_warnLate, &m_lastDue}) {
        h->erase(std::remove_if(h->begin(), h->end(), dead), h->end());
        std::make_heap(h->begin(), h->end(), Later{});
    }
}

void TickEngine::onRowsInserted(const QModelIndex& parent, int first, int last) {
    if (parent.isValid())
        return;
    for (int i = first; i <= last; ++i)
        track(i);
    emit scheduleChanged();
}

void TickEngine::onRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last) {
    if (m_removing || parent.isValid() || first < 0 || last >= m_order.size() || first > last)
        return;
    for (int i = first; i <= last; ++i)
        m_rowOf.remove(m_order[i]);
    m_order.remove(first, last - first + 1);
    // Entries of removed rows wait in the heaps until they surface; keep them
    // from piling up when many rows go long before their time.
    const qsizetype live = m_rowOf.size();
    if (m_ripeDue.size() + m_warnDue.size() + m_warnLate.size() + m_lastDue.size() >
        std::size_t(8 * live + 1024))
        compact();
    emit scheduleChanged();
}

void TickEngine::onLayoutAboutToBeChanged() {
    if (m_removing)
        return;
    m_layoutSerials.clear();
    m_layoutSerials.reserve(m_order.size());
    for (int i = 0; i < m_order.size() && i < m_table.count(); ++i)
        m_layoutSerials.insert(m_table.row(i).rowId, m_order[i]);
}

void TickEngine::onLayoutChanged() {
    if (m_removing)
        return;
    // A reordering, or rows removed in one go: the rows left keep their serials.
    const int n = m_table.count();
    QVector<quint64> order(n, 0);
    for (int i = 0; i < n; ++i) {
        order[i] = m_layoutSerials.take(m_table.row(i).rowId);
        if (!order[i]) {
            rebuild(); // a row never seen: start over from the rows
            m_layoutSerials.clear();
            return;
        }
    }
    for (const quint64 serial : std::as_const(m_layoutSerials))
        m_rowOf.remove(serial);
    m_order = std::move(order);
    m_layoutSerials.clear();
    emit scheduleChanged();
}

void TickEngine::onRowIdsRenumbered() {
    if (m_order.size() != m_table.count()) {
        rebuild();
        return;
    }
    for (int i = 0; i < m_table.count(); ++i)
        m_rowOf[m_order[i]] = m_table.row(i).rowId;
}

// The last second a tick has dealt with; before the first tick, now.
qint64 TickEngine::handled() const {
    return m_lastNow == kNoTick ? m_clock.now() : m_lastNow;
}

// Warnings not given go where the lead puts them: ahead, or passed.
void TickEngine::splitWarnings() {
    Heap all;
    all.reserve(m_warnDue.size() + m_warnLate.size());
    all.insert(all.end(), m_warnDue.begin(), m_warnDue.end());
    all.insert(all.end(), m_warnLate.begin(), m_warnLate.end());
    m_warnDue.clear();
    m_warnLate.clear();
    const qint64 limit = handled() + 60 * qint64(m_nLeadMinutes);
    for (const Entry& e : all)
        if (m_rowOf.contains(e.serial))
            (e.key > limit ? m_warnDue : m_warnLate).push_back(e);
    std::make_heap(m_warnDue.begin(), m_warnDue.end(), Later{});
    std::make_heap(m_warnLate.begin(), m_warnLate.end(), Later{});
}

void TickEngine::setLeadMinutes(int minutes) {
    if (minutes == m_nLeadMinutes)
        return;
    m_nLeadMinutes = minutes;
    splitWarnings();
    emit scheduleChanged();
}

// Entries of rows that went would only wake a tick for nothing.
void TickEngine::dropGone() {
    for (Heap* h : {&m_ripeDue, &m_warnDue, &m_lastDue})
        while (!h->empty() && !m_rowOf.contains(h->front().serial))
            pop(*h);
}

TickEngine::NextAlert TickEngine::nextAlert() {
    dropGone();
    NextAlert next;
    if (!m_ripeDue.empty())
        next = {m_ripeDue.front().key, true};
    if (!m_warnDue.empty()) {
        const qint64 warning = m_warnDue.front().key - 60 * qint64(m_nLeadMinutes);
        if (warning < next.at)
            next = {warning, false};
    }
    return next;
}

qint64 TickEngine::nextDue() {
    dropGone();
    qint64 due = kNever;
    if (!m_ripeDue.empty())
        due = m_ripeDue.front().key;
    if (!m_warnDue.empty())
        due = qMin(due, m_warnDue.front().key - 60 * qint64(m_nLeadMinutes));
    if (!m_lastDue.empty())
        due = qMin(due, m_lastDue.front().key + 1);
    return due;
}

// Every row past its last season goes in one pass over the table.
void TickEngine::removeExpired(qint64 now) {
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
    if (gone.isEmpty())
        return;
    std::sort(gone.begin(), gone.end());
    gone.erase(std::unique(gone.begin(), gone.end()), gone.end());
    qsizetype next = 0, kept = 0;
    for (qsizetype i = 0; i < m_order.size(); ++i) {
        if (next < gone.size() && gone[next] == i) {
            m_rowOf.remove(m_order[i]);
            ++next;
        } else {
            m_order[kept++] = m_order[i];
        }
    }
    m_order.resize(kept);
    m_removing = true;
    m_table.removePositions(gone);
    m_removing = false;
}

void TickEngine::tick() {
    const qint64 now = m_clock.now();
    m_lastNow = now;

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
    while (!m_warnLate.empty() && m_warnLate.front().key <= now)
        pop(m_warnLate);

    removeExpired(now);

    if (due.isEmpty())
        return;
    AlertBatch batch;
    // How late the alerts are decides, not how far apart the ticks came.
    for (const Due& d : due)
        batch.catchUp = batch.catchUp || now - d.alert.due > kCatchUpGap;
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
