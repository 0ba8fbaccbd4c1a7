#pragma once

#include "alarm/Alert.h"
#include "reminders/ReminderTable.h"

#include <QObject>
#include <limits>
#include <vector>

class Clock;

// The heart of the alarm: clock text, countdowns, warnings, ripe alerts and
// the removal of reminders after their last season.
//
// Each tick handles the seconds since the tick before, so an alert fires once
// however late, early or far apart the ticks come; nextDue() says when the
// next tick has anything to do, so a hidden window can sleep until then.
// Pending alerts sit in min-heaps of (ripening instant, row id), so a tick
// costs O(due + log n) and never walks the rows. Ids are never given twice,
// so an entry whose row has gone is simply dropped when it reaches the top;
// the engine follows only rows inserted, rows removed and a reset.
class TickEngine : public QObject {
    Q_OBJECT
public:
    // Alerts raised more than this late come as one catch-up batch.
    static constexpr qint64 kCatchUpGap = 60;
    static constexpr qint64 kNoTick = ReminderTable::kNoNow;
    static constexpr qint64 kNever = std::numeric_limits<qint64>::max();

    TickEngine(ReminderTable& table, const Clock& clock, int leadMinutes,
               QObject* parent = nullptr);

    // Every warning not yet given whose instant under the new lead lies after
    // the last handled second comes at that instant; one already given is not
    // given again, one whose instant has passed is skipped.
    void setLeadMinutes(int minutes);
    int leadMinutes() const { return m_leadMinutes; }

    // The now of the latest tick, kNoTick before the first.
    qint64 lastNow() const { return m_lastNow; }
    // The first second at which a tick would raise or remove anything, kNever
    // when nothing is pending.
    qint64 nextDue();

public slots:
    void tick();

signals:
    void clockTextChanged(const QString& text);
    void alertsRaised(const AlertBatch& batch);
    // nextDue() may have moved other than by a tick (rows, lead).
    void scheduleChanged();

private:
    struct Entry {
        qint64 key; // the ripening instant
        quint64 rowId;
    };
    using Heap = std::vector<Entry>;

    static void push(Heap& h, const Entry& e);
    static void pop(Heap& h);
    bool isLive(const Entry& e) const { return m_table.findRow(e.rowId) >= 0; }
    void track(const ReminderRow& r);
    void rebuild();
    void dropGone();
    qint64 handled() const;
    void splitWarnings();
    void removeExpired(qint64 now);
    void onRowsInserted(const QModelIndex& parent, int first, int last);

    ReminderTable& m_table;
    const Clock& m_clock;
    int m_leadMinutes;
    qint64 m_lastNow = kNoTick;

    Heap m_ripeDue;  // ripe alerts not yet raised
    Heap m_warnDue;  // warnings not yet given, due at key - 60 * lead, after handled()
    Heap m_warnLate; // warnings not given whose instant passed; a lower lead may revive them
    Heap m_lastDue;  // last-season rows, removed once key < now
};
