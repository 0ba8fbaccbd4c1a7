#pragma once

#include "alarm/Alert.h"
#include "reminders/ReminderImage.h"

#include <QHash>
#include <QObject>
#include <QVector>
#include <vector>

class Clock;
class ReminderTable;
class TuneDeck;

// The once-a-second heart of the alarm: clock text, countdowns, warnings, ripe
// alerts and the removal of reminders after their last season.
//
// Each tick handles the seconds since the tick before, so an alert fires once
// however late, early or far apart the ticks come. Pending alerts sit in
// min-heaps keyed by ripening instant, so a tick costs O(due + log n) and never
// walks the rows. The engine follows the table's signals to keep them right;
// an entry of a row that has gone is dropped when it reaches the top.
class TickEngine : public QObject {
    Q_OBJECT
public:
    // Ticks further apart than this present their alerts as one catch-up batch.
    static constexpr qint64 kCatchUpGap = 60;
    static constexpr qint64 kNoTick = ReminderTable::kNoNow;

    TickEngine(ReminderTable& table, const Clock& clock, QObject* parent = nullptr);

    // The deck whose state enables the stop-music button; may stay unset.
    void setTuneDeck(const TuneDeck* deck) { m_deck = deck; }

    // From the next tick on. A warning whose new instant has already passed is
    // skipped, not raised late; one already given is not given again.
    void setLeadMinutes(int minutes);
    int leadMinutes() const { return m_nLeadMinutes; }

    // The now of the latest tick, kNoTick before the first.
    qint64 lastNow() const { return m_lastNow; }

public slots:
    void tick();

signals:
    void clockTextChanged(const QString& text);
    void stopMusicEnabled(bool enabled);
    void alertsRaised(const AlertBatch& batch);

private:
    struct Entry {
        qint64 key; // the ripening instant
        quint64 serial;
    };
    using Heap = std::vector<Entry>;

    void push(Heap& h, qint64 key, quint64 serial);
    static void pop(Heap& h);
    void track(int position);
    void rebuild();
    void compact();

    void onRowsInserted(const QModelIndex& parent, int first, int last);
    void onRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last);
    void onLayoutAboutToBeChanged();
    void onLayoutChanged();
    void onRowIdsRenumbered();

    ReminderTable& m_table;
    const Clock& m_clock;
    const TuneDeck* m_deck = nullptr;
    int m_nLeadMinutes = kDefaultLeadMinutes;
    qint64 m_lastNow = kNoTick;

    // Every row gets a serial of its own that is never reused, so heap entries
    // survive id renumbering and cannot be mistaken for a later row's.
    quint64 m_nextSerial = 1;
    QHash<quint64, quint32> m_rowOf; // live serial -> row id
    QVector<quint64> m_order;        // serials in display order
    QHash<quint32, quint64> m_layoutSerials;

    Heap m_ripeDue; // ripe alerts not yet raised
    Heap m_warnDue; // warnings not yet raised, due at key - 60 * lead
    Heap m_lastDue; // last-season rows, removed once key < now
};
