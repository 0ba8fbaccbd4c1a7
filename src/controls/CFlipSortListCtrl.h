#pragma once

#include <QList>
#include <QTableView>

// Reminder table view: a click on any header orders the rows by ripening time
// (column 3), ascending first; a second click on the same header reverses it.
// Tab leaves the table (arrows move between rows); with the focus and no row
// to mark, the whole view shows a focus frame.
class CFlipSortListCtrl : public QTableView {
    Q_OBJECT
public:
    static constexpr int kSortKeyColumn = 3;

    explicit CFlipSortListCtrl(QWidget* parent = nullptr);

    void setColumnWidths(const QList<int>& widths);

    bool isAscending() const { return m_bAscending; }
    int sortColumn() const { return m_nSortColumn; }

    // Same as a click on header c.
    void onColumnClick(int column);

signals:
    // A left click on a row, or -1 for a click on no row.
    void rowClicked(int row);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_bAscending = true;
    int m_nSortColumn = -1;
};
