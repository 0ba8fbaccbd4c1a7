#include "reminders/ReminderTable.h"

#include "catalogue/TimeText.h"

#include <algorithm>

ReminderTable::ReminderTable(QObject* parent) : QAbstractTableModel(parent) {}

int ReminderTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

int ReminderTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString ReminderTable::countdownText(qint64 r) {
    if (r < 0)
        return QStringLiteral("点击下一季开始！");
    const qint64 d = r / 86400;
    const qint64 h = r / 3600 - 24 * d;
    const qint64 m = r / 60 - 60 * (r / 3600);
    const qint64 s = r - 60 * (r / 60);
    return QStringLiteral("%1天%2小时%3分%4秒成熟").arg(d).arg(h).arg(m).arg(s);
}

QString ReminderTable::headerText(int column) {
    static const char16_t* const kHeaders[ColumnCount] = {
        u"序号", u"作物名称", u"种植时间", u"成熟时间", u"备注", u"成熟倒计时", u"季数"};
    if (column < 0 || column >= ColumnCount)
        return QString();
    return QString::fromUtf16(kHeaders[column]);
}

QString ReminderTable::cellText(const ReminderRow& r, int column) const {
    switch (column) {
    case ColCropIndex:
        return QString::number(r.cropIndex);
    case ColCropName:
        return r.cropName;
    case ColPlant:
        return TimeText::format(r.plant);
    case ColRipe:
        return TimeText::format(r.ripe);
    case ColNote:
        return r.note;
    case ColCountdown:
        return m_now == kNoNow ? QString() : countdownText(r.ripe - m_now);
    case ColSeason:
        return QString::number(r.seasonNo);
    default:
        return QString();
    }
}

QVariant ReminderTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= count())
        return {};
    const ReminderRow& r = m_rows[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole:
        return cellText(r, index.column());
    case Qt::TextAlignmentRole:
        return index.column() <= ColCropName ? int(Qt::AlignCenter)
                                             : int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant ReminderTable::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return headerText(section);
    if (role == Qt::TextAlignmentRole)
        return section <= ColCropName ? int(Qt::AlignCenter)
                                      : int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

void ReminderTable::sort(int, Qt::SortOrder order) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    QVector<quint64> idsBefore;
    idsBefore.reserve(before.size());
    for (const QModelIndex& i : before)
        idsBefore.push_back(m_rows[i.row()].rowId);
    if (order == Qt::AscendingOrder)
        std::stable_sort(
            m_rows.begin(), m_rows.end(),
            [](const ReminderRow& a, const ReminderRow& b) { return a.ripe < b.ripe; });
    else
        std::stable_sort(
            m_rows.begin(), m_rows.end(),
            [](const ReminderRow& a, const ReminderRow& b) { return a.ripe > b.ripe; });
    invalidatePositions();
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype k = 0; k < before.size(); ++k)
        after.push_back(index(findRow(idsBefore[k]), before[k].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int ReminderTable::findRow(quint64 rowId) const {
    if (!m_positionsValid) {
        m_positions.clear();
        m_positions.reserve(m_rows.size());
        for (int i = 0; i < count(); ++i)
            m_positions.insert(m_rows[i].rowId, i);
        m_positionsValid = true;
    }
    return m_positions.value(rowId, -1);
}

quint64 ReminderTable::append(ReminderRow r) {
    const int n = count();
    r.rowId = m_nextId++;
    beginInsertRows({}, n, n);
    m_rows.push_back(std::move(r));
    if (m_positionsValid)
        m_positions.insert(m_rows.back().rowId, n);
    endInsertRows();
    return m_rows.back().rowId;
}

void ReminderTable::removeAt(int i) {
    if (i < 0 || i >= count())
        return;
    beginRemoveRows({}, i, i);
    m_rows.remove(i);
    invalidatePositions();
    endRemoveRows();
}

void ReminderTable::removePositions(QList<int> positions) {
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    positions.removeIf([this](int p) { return p < 0 || p >= count(); });
    if (positions.isEmpty())
        return;
    QList<std::pair<int, int>> runs;
    for (int p : std::as_const(positions)) {
        if (!runs.isEmpty() && p == runs.back().second + 1)
            runs.back().second = p;
        else
            runs.push_back({p, p});
    }
    if (runs.size() <= kFewRuns) {
        // From the end, so the earlier runs keep their positions.
        for (auto it = runs.crbegin(); it != runs.crend(); ++it) {
            beginRemoveRows({}, it->first, it->second);
            m_rows.remove(it->first, it->second - it->first + 1);
            invalidatePositions();
            endRemoveRows();
        }
        return;
    }
    // One pass: every kept row moves up over the removed ones before it.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QVector<int> moved(count(), -1);
    int kept = 0;
    qsizetype next = 0;
    for (int i = 0; i < count(); ++i) {
        if (next < positions.size() && positions[next] == i) {
            ++next;
            continue;
        }
        moved[i] = kept;
        if (kept != i)
            m_rows[kept] = std::move(m_rows[i]);
        ++kept;
    }
    m_rows.resize(kept);
    invalidatePositions();
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& i : before)
        after.push_back(moved[i.row()] < 0 ? QModelIndex() : index(moved[i.row()], i.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ReminderTable::reset(QVector<ReminderRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    for (ReminderRow& r : m_rows)
        r.rowId = m_nextId++;
    invalidatePositions();
    endResetModel();
}

void ReminderTable::setNow(qint64 now) {
    if (now == m_now)
        return;
    m_now = now;
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, ColCountdown), index(count() - 1, ColCountdown),
                         {Qt::DisplayRole});
}
