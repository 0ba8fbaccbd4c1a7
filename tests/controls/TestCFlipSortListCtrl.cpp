#include "controls/CFlipSortListCtrl.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

namespace {
// Records the sort requests instead of sorting.
struct RecordingModel : QStandardItemModel {
    RecordingModel(int rows) : QStandardItemModel(rows, 7) {}
    void sort(int column, Qt::SortOrder order) override { calls.append({column, order}); }
    QList<QPair<int, Qt::SortOrder>> calls;
};

struct Shown {
    RecordingModel model;
    CFlipSortListCtrl view;
    explicit Shown(int rows) : model(rows) {
        view.setModel(&model);
        view.resize(500, 300);
        view.show();
    }

    void ClickHeader(int c) {
        QHeaderView* h = view.horizontalHeader();
        const QPoint at(h->sectionViewportPosition(c) + h->sectionSize(c) / 2, h->height() / 2);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
    }

    QPoint Row(int r) const {
        return {view.columnViewportPosition(1) + 5, view.rowViewportPosition(r) + 3};
    }
};
constexpr auto A = Qt::AscendingOrder, D = Qt::DescendingOrder;
} // namespace

using Clicks = QList<int>;
using Orders = QList<Qt::SortOrder>;

class TestCFlipSortListCtrl : public QObject {
    Q_OBJECT
private slots:
    void headerClicks_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<Clicks>("clicks");
        QTest::addColumn<Orders>("orders");
        QTest::addColumn<bool>("ascending");
        QTest::newRow("same header thrice") << 3 << Clicks{0, 0, 0} << Orders{A, D, A} << true;
        QTest::newRow("new column restarts") << 3 << Clicks{0, 1} << Orders{A, A} << true;
        QTest::newRow("back and forth")
            << 3 << Clicks{2, 2, 5, 5, 2} << Orders{A, D, A, D, A} << true;
        QTest::newRow("empty: state only") << 0 << Clicks{0, 0} << Orders{} << false;
    }
    void headerClicks() {
        QFETCH(int, rows);
        QFETCH(Clicks, clicks);
        QFETCH(Orders, orders);
        QFETCH(bool, ascending);
        Shown s(rows);
        QVERIFY(QTest::qWaitForWindowExposed(&s.view, 10000));
        QCOMPARE(s.view.SortColumn(), -1);
        if (rows)
            s.view.selectRow(1);
        for (int c : clicks)
            s.ClickHeader(c);
        QCOMPARE(s.model.calls.size(), orders.size());
        for (qsizetype i = 0; i < orders.size(); ++i) {
            QCOMPARE(s.model.calls.at(i).first, 3); // the ripening time, whatever the header
            QCOMPARE(s.model.calls.at(i).second, orders.at(i));
        }
        QCOMPARE(s.view.SortColumn(), clicks.last());
        QCOMPARE(s.view.IsAscending(), ascending);
        // A header click selects nothing by itself.
        QCOMPARE(s.view.selectionModel()->selectedRows().size(), rows ? 1 : 0);
    }

    void rowClicks() {
        Shown s(3);
        s.view.setColumnWidths({0, 80, 120, 120, 60, 90, 40});
        QCOMPARE(s.view.columnWidth(0), 0);
        QVERIFY(!s.view.isColumnHidden(0));
        QVERIFY(s.view.verticalHeader()->isHidden());
        QVERIFY(QTest::qWaitForWindowExposed(&s.view, 10000));
        QSignalSpy spy(&s.view, &CFlipSortListCtrl::rowClicked);
        QTest::mouseClick(s.view.viewport(), Qt::LeftButton, {}, s.Row(1));
        QTest::mouseClick(s.view.viewport(), Qt::LeftButton, Qt::ControlModifier, s.Row(2));
        QTest::mouseClick(s.view.viewport(), Qt::LeftButton, {}, {40, s.Row(2).y() + 60});
        QTest::mouseClick(s.view.viewport(), Qt::RightButton, {}, s.Row(0));
        QTest::keyClick(s.view.viewport(), Qt::Key_Up);
        QCOMPARE(spy.size(), 3);
        QCOMPARE(spy.at(0).at(0).toInt(), 1);
        QCOMPARE(spy.at(1).at(0).toInt(), 2);
        QCOMPARE(spy.at(2).at(0).toInt(), -1);
        // Whole rows, several at once.
        QTest::mouseClick(s.view.viewport(), Qt::LeftButton, {}, s.Row(0));
        QTest::mouseClick(s.view.viewport(), Qt::LeftButton, Qt::ControlModifier, s.Row(2));
        QCOMPARE(s.view.selectionModel()->selectedIndexes().size(), 2 * 7);
    }
};

QTEST_MAIN(TestCFlipSortListCtrl)
#include "TestCFlipSortListCtrl.moc"
