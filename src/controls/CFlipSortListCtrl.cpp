#include "controls/CFlipSortListCtrl.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

CFlipSortListCtrl::CFlipSortListCtrl(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setShowGrid(true);
    setWordWrap(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    // The order goes into the model itself, so the view's own sorting stays off.
    setSortingEnabled(false);
    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setHighlightSections(false);
    header->setMinimumSectionSize(0);
    header->setStretchLastSection(false);
    connect(header, &QHeaderView::sectionClicked, this, &CFlipSortListCtrl::onColumnClick);
    // Keep the selection visible while the view has no focus.
    QPalette pal = palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    setPalette(pal);
}

void CFlipSortListCtrl::setColumnWidths(const QList<int>& widths) {
    for (int c = 0; c < widths.size(); ++c)
        setColumnWidth(c, std::max(0, widths.at(c)));
}

void CFlipSortListCtrl::onColumnClick(int column) {
    if (column == m_nSortColumn) {
        m_bAscending = !m_bAscending;
    } else {
        m_bAscending = true;
        m_nSortColumn = column;
    }
    QAbstractItemModel* m = model();
    if (!m || m->rowCount() == 0)
        return;
    m->sort(kSortKeyColumn, m_bAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void CFlipSortListCtrl::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    emit rowClicked(index.isValid() ? index.row() : -1);
}

void CFlipSortListCtrl::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    if (!hasFocus() || currentIndex().isValid())
        return;
    QStyleOptionFocusRect option;
    option.initFrom(viewport());
    // However the focus came, as there is no row to show it otherwise.
    option.state |= QStyle::State_KeyboardFocusChange | QStyle::State_HasFocus;
    option.rect = viewport()->rect().adjusted(1, 1, -1, -1);
    option.backgroundColor = palette().color(QPalette::Base);
    QPainter painter(viewport());
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}
