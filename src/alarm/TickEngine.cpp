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

TickEngine::TickEngine(ReminderTable& table, const Clock& clock, int leadMinutes, QObject* parent)
    : QObject(parent), m_table(table), m_clock(clock), m_leadMinutes(leadMinutes) {
    connect(&m_table, &QAbstractItemModel::rowsInserted, this, &TickEngine::onRowsInserted);
    // Entries of removed rows wait in the heaps until they surface or pile up.
    connect(&m_table, &QAbstractItemModel::rowsRemoved, this, [this] {
        dropGone();
        emit scheduleChanged();
    });
    connect(&m_table, &QAbstractItemModel::modelReset, this, &TickEngine::rebuild);
    rebuild();
}

void TickEngine::push(Heap& h, const Entry& e) {
    h.push_back(e);
    std::push_heap(h.begin(), h.end(), Later{});
}

void TickEngine::pop(Heap& h) {
    std::pop_heap(h.begin(), h.end(), Later{});
    h.pop_back();
}

// A row that arrives with an alert instant already past never gets that alert.
void TickEngine::track(const ReminderRow& r) {
    const Entry e{r.ripe, r.rowId};
    const qint64 now = m_clock.now();
    if (r.ripe > now) {
        push(m_ripeDue, e);
        // Inside the lead already: kept in case the lead is lowered.
        push(r.ripe - 60 * qint64(m_leadMinutes) > now ? m_warnDue : m_warnLate, e);
    }
    // Equality on purpose: a season beyond the crop's count is never removed.
    if (r.seasonNo == CropCatalogue::ResolveCrop(r.cropIndex, r.cropName).seasons)
        push(m_lastDue, e);
}

void TickEngine::rebuild() {
    m_ripeDue.clear();
    m_warnDue.clear();
    m_warnLate.clear();
    m_lastDue.clear();
    for (const ReminderRow& r : m_table.rows())
        track(r);
    emit scheduleChanged();
}

void TickEngine::onRowsInserted(const QModelIndex& parent, int first, int last) {
    if (parent.isValid())
        return;
    for (int i = first; i <= last; ++i)
        track(m_table.row(i));
    emit scheduleChanged();
}

// Entries of rows that have gone, once they far outnumber the rows.
void TickEngine::dropGone() {
    const std::size_t entries =
        m_ripeDue.size() + m_warnDue.size() + m_warnLate.size() + m_lastDue.size();
    if (entries <= 8 * std::size_t(m_table.count()) + 1024)
        return;
    const auto gone = [this](const Entry& e) { return !isLive(e); };
    for (Heap* h : {&m_ripeDue, &m_warnDue, &m_warnLate, &m_lastDue}) {
        h->erase(std::remove_if(h->begin(), h->end(), gone), h->end());
        std::make_heap(h->begin(), h->end(), Later{});
    }
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
    const qint64 limit = handled() + 60 * qint64(m_leadMinutes);
    for (const Entry& e : all)
        if (isLive(e))
            (e.key > limit ? m_warnDue : m_warnLate).push_back(e);
    std::make_heap(m_warnDue.begin(), m_warnDue.end(), Later{});
    std::make_heap(m_warnLate.begin(), m_warnLate.end(), Later{});
}

void TickEngine::setLeadMinutes(int minutes) {
    if (minutes == m_leadMinutes)
        return;
    m_leadMinutes = minutes;
    splitWarnings();
    emit scheduleChanged();
}

// Entries of rows that went, on top, would only wake a tick for nothing.
void TickEngine::popGone() {
    for (Heap* h : {&m_ripeDue, &m_warnDue, &m_lastDue})
        while (!h->empty() && !isLive(h->front()))
            pop(*h);
}

TickEngine::NextAlert TickEngine::nextAlert() {
    popGone();
    NextAlert next;
    if (!m_ripeDue.empty())
        next = {m_ripeDue.front().key, true};
    if (!m_warnDue.empty()) {
        const qint64 warning = m_warnDue.front().key - 60 * qint64(m_leadMinutes);
        if (warning < next.at)
            next = {warning, false};
    }
    return next;
}

qint64 TickEngine::nextDue() {
    popGone();
    qint64 due = kNever;
    if (!m_ripeDue.empty())
        due = m_ripeDue.front().key;
    if (!m_warnDue.empty())
        due = qMin(due, m_warnDue.front().key - 60 * qint64(m_leadMinutes));
    if (!m_lastDue.empty())
        due = qMin(due, m_lastDue.front().key + 1);
    return due;
}

// Every row past its last season goes in one pass over the table.
void TickEngine::removeExpired(qint64 now) {
    QList<int> gone;
    for (; !m_lastDue.empty() && m_lastDue.front().key < now; pop(m_lastDue)) {
        const int pos = m_table.findRow(m_lastDue.front().rowId);
        if (pos >= 0)
            gone.push_back(pos);
    }
    m_table.removePositions(std::move(gone));
}

void TickEngine::tick() {
    const qint64 now = m_clock.now();
    m_lastNow = now;

    emit clockTextChanged(TimeText::format(now));
    m_table.setNow(now);

    struct Due {
        int position;
        Alert alert;
    };
    QVector<Due> due;
    const auto raise = [&](const Entry& e, Alert::Kind kind, qint64 at) {
        const int pos = m_table.findRow(e.rowId);
        if (pos < 0)
            return;
        Alert a;
        a.kind = kind;
        a.rowId = e.rowId;
        a.row = m_table.row(pos);
        a.due = at;
        a.text = kind == Alert::Kind::Ripe ? AlertText::ripe(a.row)
                                           : AlertText::warning(m_leadMinutes, a.row);
        due.push_back({pos, std::move(a)});
    };

    for (; !m_ripeDue.empty() && m_ripeDue.front().key <= now; pop(m_ripeDue))
        raise(m_ripeDue.front(), Alert::Kind::Ripe, m_ripeDue.front().key);
    const qint64 lead = 60 * qint64(m_leadMinutes);
    for (; !m_warnDue.empty() && m_warnDue.front().key - lead <= now; pop(m_warnDue)) {
        // Ripe by now as well: the ripe alert says it all.
        const Entry& e = m_warnDue.front();
        if (e.key > now)
            raise(e, Alert::Kind::Warning, e.key - lead);
    }
    while (!m_warnLate.empty() && m_warnLate.front().key <= now)
        pop(m_warnLate);

    removeExpired(now);
    dropGone(); // rows removed in one layout change are not seen otherwise

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
