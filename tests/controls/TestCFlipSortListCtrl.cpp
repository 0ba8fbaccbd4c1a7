#include "controls/CFlipSortListCtrl.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

namespace {

// Records the sort requests instead of sorting.
class RecordingModel : public QStandardItemModel {
public:
    using QStandardItemModel::QStandardItemModel;
    void sort(int column, Qt::SortOrder order) override { calls.append({column, order}); }
    QList<QPair<int, Qt::SortOrder>> calls;
};

void Fill(RecordingModel& m, int rows) {
    m.setColumnCount(7);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < 7; ++c)
            m.setItem(r, c, new QStandardItem(QStringLiteral("r%1c%2").arg(r).arg(c)));
}

void ClickHeader(CFlipSortListCtrl& view, int column) {
    QHeaderView* h = view.horizontalHeader();
    const QPoint at(h->sectionViewportPosition(column) + h->sectionSize(column) / 2,
                    h->height() / 2);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
}

constexpr auto A = Qt::AscendingOrder;
constexpr auto D = Qt::DescendingOrder;

} // namespace

using Clicks = QList<int>;
using Orders = QList<Qt::SortOrder>;

class TestCFlipSortListCtrl : public QObject {
    Q_OBJECT
private slots:
    void headerClicks_data();
    void headerClicks();
    void emptyModelOnlyToggles();
    void headerClickKeepsSelection();
    void rowClicks();
    void columnWidths();
    void viewSetUp();
};

void TestCFlipSortListCtrl::headerClicks_data() {
    QTest::addColumn<Clicks>("clicks");
    QTest::addColumn<Orders>("orders");
    QTest::addColumn<int>("lastColumn");
    QTest::newRow("same header thrice") << Clicks{0, 0, 0} << Orders{A, D, A} << 0;
    QTest::newRow("new column restarts") << Clicks{0, 1} << Orders{A, A} << 1;
    QTest::newRow("back and forth") << Clicks{2, 2, 5, 5, 2} << Orders{A, D, A, D, A} << 2;
    QTest::newRow("key column itself") << Clicks{3, 3} << Orders{A, D} << 3;
}

void TestCFlipSortListCtrl::headerClicks() {
    QFETCH(Clicks, clicks);
    QFETCH(Orders, orders);
    QFETCH(int, lastColumn);
    RecordingModel model;
    Fill(model, 3);
    CFlipSortListCtrl view;
    view.setModel(&model);
    view.resize(500, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view, 10000));
    QCOMPARE(view.SortColumn(), -1);
    for (int c : clicks)
        ClickHeader(view, c);
    QCOMPARE(model.calls.size(), orders.size());
    for (qsizetype i = 0; i < orders.size(); ++i) {
        // Whatever the header, the key is the ripening time.
        QCOMPARE(model.calls.at(i).first, CFlipSortListCtrl::kSortKeyColumn);
        QCOMPARE(model.calls.at(i).second, orders.at(i));
    }
    QCOMPARE(view.SortColumn(), lastColumn);
    QCOMPARE(view.IsAscending(), orders.last() == A);
}

void TestCFlipSortListCtrl::emptyModelOnlyToggles() {
    RecordingModel model;
    Fill(model, 0);
    CFlipSortListCtrl view;
    view.setModel(&model);
    view.OnColumnClick(0);
    QVERIFY(view.IsAscending());
    view.OnColumnClick(0);
    QVERIFY(!view.IsAscending());
    QCOMPARE(view.SortColumn(), 0);
    QVERIFY(model.calls.isEmpty());
    // Rows appear: the next click sorts, continuing from the toggled state.
    Fill(model, 2);
    view.OnColumnClick(0);
    QCOMPARE(model.calls.size(), 1);
    QCOMPARE(model.calls.first().second, A);

    CFlipSortListCtrl bare;
    bare.OnColumnClick(4);
    QCOMPARE(bare.SortColumn(), 4);
}

void TestCFlipSortListCtrl::headerClickKeepsSelection() {
    RecordingModel model;
    Fill(model, 4);
    CFlipSortListCtrl view;
    view.setModel(&model);
    view.resize(500, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view, 10000));
    view.selectRow(1);
    ClickHeader(view, 2);
    const QModelIndexList rows = view.selectionModel()->selectedRows();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().row(), 1);
}

void TestCFlipSortListCtrl::rowClicks() {
    RecordingModel model;
    Fill(model, 3);
    CFlipSortListCtrl view;
    view.setModel(&model);
    view.resize(500, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view, 10000));
    QSignalSpy spy(&view, &CFlipSortListCtrl::rowClicked);
    const auto rowPoint = [&](int r) {
        return QPoint(view.columnViewportPosition(1) + 5, view.rowViewportPosition(r) + 3);
    };
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, rowPoint(1));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, rowPoint(2));
    const int below = view.rowViewportPosition(2) + view.rowHeight(2) + 20;
    QVERIFY(below < view.viewport()->height());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(40, below));
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, rowPoint(0));
    QTest::keyClick(view.viewport(), Qt::Key_Up);
    QCOMPARE(spy.size(), 3);
    QCOMPARE(spy.at(0).at(0).toInt(), 1);
    QCOMPARE(spy.at(1).at(0).toInt(), 2);
    QCOMPARE(spy.at(2).at(0).toInt(), -1);

    // Several rows may be selected at once, whole rows.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, rowPoint(0));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier, rowPoint(2));
    QCOMPARE(view.selectionModel()->selectedRows().size(), 2);
    QCOMPARE(view.selectionModel()->selectedIndexes().size(), 2 * 7);
}

void TestCFlipSortListCtrl::columnWidths() {
    RecordingModel model;
    Fill(model, 1);
    CFlipSortListCtrl view;
    view.setModel(&model);
    view.setColumnWidths({0, 80, 120, 120, 60, 90, 40});
    QCOMPARE(view.columnWidth(0), 0);
    QVERIFY(!view.isColumnHidden(0));
    QCOMPARE(view.columnWidth(2), 120);
    QCOMPARE(view.columnWidth(6), 40);
}

void TestCFlipSortListCtrl::viewSetUp() {
    CFlipSortListCtrl view;
    QVERIFY(view.showGrid());
    QVERIFY(view.verticalHeader()->isHidden());
    QVERIFY(!view.isSortingEnabled());
    QVERIFY(view.horizontalHeader()->sectionsClickable());
    QCOMPARE(view.selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(view.selectionMode(), QAbstractItemView::ExtendedSelection);
    const QPalette pal = view.palette();
    QCOMPARE(pal.color(QPalette::Inactive, QPalette::Highlight),
             pal.color(QPalette::Active, QPalette::Highlight));
}

QTEST_MAIN(TestCFlipSortListCtrl)
#include "TestCFlipSortListCtrl.moc"
