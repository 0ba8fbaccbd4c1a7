#include "alarm/AlarmFakes.h"
#include "alarm/AlertQueue.h"
#include "alarm/TickEngine.h"
#include "app/CReminderDlg.h"
#include "catalogue/TimeText.h"
#include "reminders/ReminderTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <ctime>
#include <memory>

namespace {

qint64 at(const char* text) {
    return TimeText::Parse(QString::fromLatin1(text)).value_or(-1);
}

// The real window with fake sound, boxes, chooser and a clock the test moves.
struct Harness {
    qint64 now = at("2009-10-01 12:00:00");
    QStringList log, messages;
    QString chooserAnswer;
    FakeChime chime{&log};
    FakeDeck deck{&log};
    FakePresenter presenter{&log};
    std::unique_ptr<CReminderDlg> dlg;

    Harness() {
        chime.endAtOnce = true;
        DialogServices s;
        s.now = [this] { return now; };
        s.showMessage = [this](QWidget*, const QString& t) { messages << t; };
        s.chooseMusicFile = [this](QWidget*) { return chooserAnswer; };
        s.chime = &chime;
        s.tuneDeck = &deck;
        s.presenter = &presenter;
        dlg = std::make_unique<CReminderDlg>(s);
    }
    template <class T> T* c(int id) const { return dlg->Control<T>(id); }
    void tickTo(qint64 t) {
        now = t;
        dlg->OnTimer();
    }
    // An own crop of the ordinary catalogue, planted so that it ripens at ripe.
    void addOrdinary(int index, qint64 ripe, int totalHours) {
        c<QComboBox>(1007)->setCurrentIndex(index);
        c<QDateTimeEdit>(1000)->setDateTime(
            QDateTime::fromSecsSinceEpoch(ripe - totalHours * 3600));
        QTest::mouseClick(c<QPushButton>(1003), Qt::LeftButton);
    }
};

} // namespace

class TestDlgAlarm : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        qputenv("TZ", "Asia/Shanghai");
        tzset();
    }

    void ripeAlertSoundsThenBoxes_data() {
        QTest::addColumn<bool>("boxes");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("with box") << true << QStringList{"play", "chime", "box"};
        QTest::newRow("sound only") << false << QStringList{"play", "chime"};
    }
    void ripeAlertSoundsThenBoxes() {
        QFETCH(bool, boxes);
        QFETCH(QStringList, expected);
        Harness h;
        h.c<QCheckBox>(1010)->setChecked(boxes);
        h.tickTo(h.now);
        h.addOrdinary(0, h.now + 2, 8); // 牧草, single season
        h.tickTo(h.now + 1);
        QVERIFY(h.log.isEmpty());
        h.tickTo(h.now + 1);
        QCOMPARE(h.log, expected);
        if (boxes)
            QCOMPARE(h.presenter.shown.at(0).boxText(),
                     QStringLiteral("牧草成熟了！不摘就没有了。。。注："));
        QCOMPARE(h.dlg->Reminders().count(), 1);
        h.tickTo(h.now + 1); // the tick after the last season's ripening removes it
        QCOMPARE(h.dlg->Reminders().count(), 0);
        QCOMPARE(h.c<QLabel>(1009)->text(), TimeText::Format(h.now));
    }

    void warningUsesSelectedLead() {
        Harness h;
        h.tickTo(h.now);
        h.c<QComboBox>(1038)->setCurrentIndex(4);
        emit h.c<QComboBox>(1038)->activated(4);
        QCOMPARE(h.dlg->LeadMinutes(), 1);
        QCOMPARE(h.dlg->Engine().leadMinutes(), 1);
        h.addOrdinary(0, h.now + 120, 8);
        h.tickTo(h.now + 59);
        QVERIFY(h.presenter.shown.isEmpty());
        h.tickTo(h.now + 1);
        QCOMPARE(h.presenter.shown.size(), 1);
        QCOMPARE(h.presenter.shown.at(0).boxText(),
                 QStringLiteral("还有1分钟！第1季，牧草就成熟了, 注："));
    }

    // Next season acts on the clicked reminder even when rows above it went.
    void nextSeasonFollowsTheClickedRow() {
        Harness h;
        h.tickTo(h.now);
        h.addOrdinary(0, h.now + 5, 8);      // 牧草, goes away after ripening
        h.addOrdinary(26, h.now - 3600, 25); // 满天星, three seasons, already ripe
        h.tickTo(h.now + 1);
        QCOMPARE(h.dlg->Reminders().count(), 2);
        h.dlg->OnReminderClick(1);
        QVERIFY(h.c<QPushButton>(1037)->isEnabled());
        h.tickTo(h.now + 10); // removes the 牧草 row above
        QCOMPARE(h.dlg->Reminders().count(), 1);
        QTest::mouseClick(h.c<QPushButton>(1037), Qt::LeftButton);
        QCOMPARE(h.dlg->Reminders().count(), 1);
        const ReminderRow& r = h.dlg->Reminders().row(0);
        QCOMPARE(r.cropName, QStringLiteral("满天星"));
        QCOMPARE(r.seasonNo, 2);
        QCOMPARE(r.ripe, h.now + 10 * 3600);
        QCOMPARE(r.plant, h.now - 25 * 3600);
        QVERIFY(!h.c<QPushButton>(1037)->isEnabled());
        // A second press needs a new click.
        QTest::mouseClick(h.c<QPushButton>(1037), Qt::LeftButton);
        QCOMPARE(h.dlg->Reminders().row(0).seasonNo, 2);
    }

    void musicChoice() {
        Harness h;
        h.chooserAnswer = QStringLiteral("/music/a.mp3");
        QTest::mouseClick(h.c<QPushButton>(1041), Qt::LeftButton);
        QCOMPARE(h.dlg->Music(), QStringLiteral("/music/a.mp3"));
        QCOMPARE(h.deck.path(), QStringLiteral("/music/a.mp3"));
        QCOMPARE(h.c<QLabel>(1042)->text(), QStringLiteral("/music/a.mp3"));
        // Cancelling with a choice made clears it.
        h.chooserAnswer.clear();
        QTest::mouseClick(h.c<QPushButton>(1041), Qt::LeftButton);
        QVERIFY(h.dlg->Music().isEmpty());
        QVERIFY(h.c<QLabel>(1042)->text().isEmpty());
        QTest::mouseClick(h.c<QPushButton>(1044), Qt::LeftButton);
        QCOMPARE(h.messages, QStringList{QStringLiteral("当前没有选择歌曲！")});
        // Cancelling with none shows the default sound's name.
        QTest::mouseClick(h.c<QPushButton>(1041), Qt::LeftButton);
        QCOMPARE(h.c<QLabel>(1042)->text(), QStringLiteral("默认提醒声音"));
    }

    void overlongMusicPathRefused() {
        Harness h;
        h.chooserAnswer = QStringLiteral("/") + QString(200, QChar(0x97F3)); // 400 bytes
        QTest::mouseClick(h.c<QPushButton>(1041), Qt::LeftButton);
        QCOMPARE(h.messages.size(), 1);
        QVERIFY(h.dlg->Music().isEmpty());
        QCOMPARE(h.c<QLabel>(1042)->text(), QStringLiteral("默认音乐"));
    }

    void stopButtonFollowsDeck() {
        Harness h;
        h.tickTo(h.now);
        QVERIFY(!h.c<QPushButton>(1043)->isEnabled());
        h.deck.setState(TuneDeck::State::Playing);
        h.tickTo(h.now + 1);
        QVERIFY(h.c<QPushButton>(1043)->isEnabled());
        QTest::mouseClick(h.c<QPushButton>(1043), Qt::LeftButton);
        QVERIFY(!h.deck.IsActive());
        QVERIFY(!h.c<QPushButton>(1043)->isEnabled());
    }
};

QTEST_MAIN(TestDlgAlarm)
#include "TestDlgAlarm.moc"
