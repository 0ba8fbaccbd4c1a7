#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QString>
#include <QVector>
#include <limits>

// One reminder. Instants, not texts, are kept, so a repeated local hour at the
// end of daylight saving cannot shift a reminder.
struct ReminderRow {
    qint32 cropIndex = 0;
    QString cropName;
    qint64 plant = 0;
    qint64 ripe = 0;
    QString note;
    int seasonNo = 1;
    // The item data: given by the table when the reminder is made, never
    // renumbered and never given again, so it names one reminder for good.
    quint64 rowId = 0;

    bool sameContent(const ReminderRow& o) const {
        return cropIndex == o.cropIndex && cropName == o.cropName && plant == o.plant &&
               ripe == o.ripe && note == o.note && seasonNo == o.seasonNo;
    }
};

// The reminders in display order, shown in seven columns. The countdown column
// is computed from the ripe instant and the latest tick's now.
class ReminderTable : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        ColCropIndex = 0,
        ColCropName,
        ColPlant,
        ColRipe,
        ColNote,
        ColCountdown,
        ColSeason,
        ColumnCount
    };
    static constexpr qint64 kNoNow = std::numeric_limits<qint64>::min();
    // More runs than this are removed as one layout change.
    static constexpr int kFewRuns = 8;

    explicit ReminderTable(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation o, int role = Qt::DisplayRole) const override;
    // Any column sorts by ripening time; rows with equal times keep their order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    int count() const { return static_cast<int>(m_rows.size()); }
    const ReminderRow& row(int i) const { return m_rows[i]; }
    const QVector<ReminderRow>& rows() const { return m_rows; }
    // Position of the row with this id, or -1 once it has gone.
    int findRow(quint64 rowId) const;

    // Appends at the end with a fresh id, which is returned.
    quint64 append(ReminderRow r);
    void removeAt(int i);
    // Removes the rows at these positions (any order; duplicates and positions
    // outside the table are ignored) in one pass: a few contiguous runs as row
    // removals, many scattered rows as one layout change, which the view
    // follows far faster (persistent indexes of removed rows become invalid).
    void removePositions(QList<int> positions);
    // Replaces everything; every row gets a fresh id.
    void reset(QVector<ReminderRow> rows);

    // The countdown column follows this instant; empty until the first call.
    void setNow(qint64 now);
    qint64 now() const { return m_now; }

    static QString countdownText(qint64 remaining);
    static QString headerText(int column);

private:
    QString cellText(const ReminderRow& r, int column) const;
    void invalidatePositions() { m_positionsValid = false; }

    QVector<ReminderRow> m_rows;
    quint64 m_nextId = 0;
    qint64 m_now = kNoNow;
    mutable QHash<quint64, int> m_positions;
    mutable bool m_positionsValid = false;
};
