#include "alarm/AlarmFakes.h"
#include "app/CReminderDlg.h"
#include "catalogue/TimeText.h"
#include "controls/CFlipSortListCtrl.h"
#include "reminders/PersistenceController.h"
#include "reminders/ReminderImage.h"
#include "reminders/ReminderTable.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <ctime>
#include <memory>

namespace {

// The real window over a data file in a temporary folder.
struct Harness {
    QStringList log, messages;
    FakeChime chime{&log};
    FakeDeck deck{&log};
    FakePresenter presenter{&log};
    std::unique_ptr<CReminderDlg> dlg;

    explicit Harness(const QString& storePath) {
        DialogServices s;
        s.now = [] { return qint64(1254374700); };
        s.showMessage = [this](QWidget*, const QString& t) { messages << t; };
        s.chime = &chime;
        s.tuneDeck = &deck;
        s.presenter = &presenter;
        s.storePath = storePath;
        dlg = std::make_unique<CReminderDlg>(s);
        dlg->Persistence()->setDirtyDelay(20);
    }
    template <class T> T* c(int id) const { return dlg->Control<T>(id); }
    void add(int crop) {
        c<QComboBox>(1007)->setCurrentIndex(crop);
        QTest::mouseClick(c<QPushButton>(1003), Qt::LeftButton);
    }
};

qint64 fileSize(const QString& path) {
    return QFileInfo(path).size();
}

} // namespace

class TestDlgPersistence : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        qputenv("TZ", "Asia/Shanghai");
        tzset();
    }

    void changesReachTheFileAndComeBack() {
        QTemporaryDir dir;
        const QString path = dir.filePath("fruitwake/foodinfo.dat");
        {
            Harness h(path);
            h.add(0);
            QTest::mouseClick(h.c<QRadioButton>(1046), Qt::LeftButton);
            h.add(0);
            h.c<QComboBox>(1038)->setCurrentIndex(2);
            emit h.c<QComboBox>(1038)->activated(2);
            QTRY_COMPARE_WITH_TIMEOUT(fileSize(path), qint64(5 * 128), 20000);
            QTRY_VERIFY_WITH_TIMEOUT(!h.dlg->Persistence()->isDirty(), 20000);
        }
        Harness again(path);
        const ReminderTable& t = again.dlg->Reminders();
        QCOMPARE(t.count(), 2);
        QCOMPARE(t.row(0).cropName, QStringLiteral("牧草"));
        QCOMPARE(t.row(1).cropName, QStringLiteral("瓶子树"));
        QCOMPARE(t.row(1).rowId, 1u);
        QCOMPARE(again.dlg->LeadMinutes(), 3);
        QCOMPARE(again.c<QComboBox>(1038)->currentText(), QStringLiteral("3"));
        QCOMPARE(again.dlg->Music(), QStringLiteral("默认提醒声音"));
        QCOMPARE(again.c<QLabel>(1042)->text(), QStringLiteral("默认提醒声音"));
        QVERIFY(again.messages.isEmpty());
    }

    // Deleted reminders stay deleted: the emptied table is written too.
    void emptiedTableIsSaved() {
        QTemporaryDir dir;
        const QString path = dir.filePath("foodinfo.dat");
        Harness h(path);
        h.add(0);
        QTRY_COMPARE_WITH_TIMEOUT(fileSize(path), qint64(512), 20000);
        h.dlg->ReminderView()->selectAll();
        QTest::mouseClick(h.c<QPushButton>(1006), Qt::LeftButton);
        QCOMPARE(h.dlg->Reminders().count(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!h.dlg->Persistence()->isDirty(), 20000);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const LoadResult r = ReminderImage::Decode(f.readAll());
        QCOMPARE(r.status, LoadStatus::Whole);
        QVERIFY(r.state.rows.isEmpty());
    }

    void damagedFileIsKeptAndTold() {
        QTemporaryDir dir;
        const QString path = dir.filePath("foodinfo.dat");
        StoreState st;
        ReminderRow r;
        r.cropName = QStringLiteral("牧草");
        r.plant = 1254374700;
        r.ripe = r.plant + 28800;
        st.rows = {r, r, r};
        QByteArray bytes = ReminderImage::Encode(st);
        bytes.chop(100); // the last record is cut short
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        Harness h(path);
        QCOMPARE(h.dlg->Reminders().count(), 2);
        QTRY_COMPARE_WITH_TIMEOUT(h.messages.size(), 1, 20000);
        QVERIFY(h.messages[0].contains(QStringLiteral("已另存为")));
        const QStringList copies =
            QDir(dir.path()).entryList({QStringLiteral("foodinfo.dat.damaged-*")});
        QCOMPARE(copies.size(), 1);
        QCOMPARE(fileSize(dir.filePath(copies[0])), qint64(bytes.size()));
    }

    void failedSaveToldOnceAndKeepsTicking() {
        QTemporaryDir dir;
        QFile blocker(dir.filePath("not-a-folder"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString path = dir.filePath("not-a-folder/foodinfo.dat");
        Harness h(path);
        h.add(0);
        QTRY_COMPARE_WITH_TIMEOUT(h.messages.size(), 1, 20000);
        QVERIFY(h.dlg->Persistence()->isFailing());
        h.add(1);
        QTRY_VERIFY_WITH_TIMEOUT(!h.dlg->Persistence()->isDirty(), 20000);
        QTest::qWait(50);
        QCOMPARE(h.messages.size(), 1);
        QVERIFY(!h.dlg->SaveReminders().ok);
        h.dlg->OnTimer();
        QCOMPARE(h.dlg->Reminders().count(), 2);
    }
};

QTEST_MAIN(TestDlgPersistence)
#include "TestDlgPersistence.moc"
