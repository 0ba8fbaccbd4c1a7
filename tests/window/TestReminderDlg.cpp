#include "alarm/AlarmFakes.h"
#include "catalogue/TimeText.h"
#include "controls/CFlipSortListCtrl.h"
#include "desk/ReminderDesk.h"
#include "reminders/ReminderTable.h"
#include "window/CReminderDlg.h"

#include <QtTest>
#include <QtWidgets>
#include <ctime>
#include <memory>

using Id = ControlTable::Id;

namespace {

// Wake-ups at the test's own seconds.
class FakeWaker : public Waker {
public:
    explicit FakeWaker(const qint64* now) : m_now(now) {}
    void wakeAt(qint64 second) override { aim = second; }
    void cancel() override { aim = -1; }
    qint64 wallNow() const override { return *m_now; }
    qint64 aim = -1;
    const qint64* m_now;
};

// The real window with fake sound, boxes and chooser, and a clock the test moves.
struct Harness {
    qint64 now = 1254369600; // 2009-10-01 12:00:00 in Asia/Shanghai
    QStringList log, messages;
    QString chooserAnswer;
    FakeChime chime{&log};
    FakeDeck deck{&log};
    FakePresenter presenter{&log};
    std::unique_ptr<CReminderDlg> dlg;

    Harness() {
        dlg = std::make_unique<CReminderDlg>(
            DialogServices{[this] { return now; },
                           [this](QWidget*, const QString& t) { messages << t; },
                           [this](QWidget*) { return chooserAnswer; },
                           &chime,
                           &deck,
                           &presenter,
                           {}});
        dlg->desk().secondTimer().stop(); // the test ticks
    }
    template <class T = QWidget> T* c(Id id) const {
        if (T* w = dlg->control<T>(id))
            return w;
        qFatal("control %d missing", int(id));
    }
    QString text(Id id) const {
        auto* box = qobject_cast<QComboBox*>(c(id));
        return box ? box->currentText() : c(id)->property("text").toString();
    }
    void click(Id id) { QTest::mouseClick(c<QAbstractButton>(id), Qt::LeftButton); }
    void clickRow(int r, Qt::KeyboardModifiers mods = {}) {
        CFlipSortListCtrl* v = dlg->reminderView();
        QTest::mouseClick(v->viewport(), Qt::LeftButton, mods,
                          v->visualRect(v->model()->index(r, 1)).center());
    }
    ReminderTable& table() { return dlg->desk().table(); }
};

} // namespace

class TestReminderDlg : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        qputenv("TZ", "Asia/Shanghai");
        tzset();
    }

    void initialState() {
        // (Its minimising and fixed size are checked on GNOME by tests/e2e/gnome_desktop.sh.)
        Harness h;
        QVERIFY(h.c<QAbstractButton>(Id::Ordinary)->isChecked() &&
                h.c<QCheckBox>(Id::AlertBox)->isChecked() && !h.c(Id::NextSeason)->isEnabled());
        QStringList shown;
        for (Id id : {Id::PlantTime, Id::Crop, Id::Stage, Id::Lead, Id::Clock, Id::Season1Ripe})
            shown << h.text(id);
        QCOMPARE(shown.join(u'|'), QStringLiteral("2009-10-01 12:00:00|牧草|成熟|5|当前时间|"
                                                  "2009-10-01 20:00:00"));
        QCOMPARE(h.c<QLabel>(Id::MusicLabel)->textFormat(), Qt::PlainText);
        // The picker speaks Chinese, and cannot leave what the data file can store.
        QDateTimeEdit* p = h.c<QDateTimeEdit>(Id::PlantTime);
        QCOMPARE(p->locale().name(), u"zh_CN");
        QCOMPARE(p->minimumDateTime().toSecsSinceEpoch(), qint64(0));
        p->setDateTime(QDateTime::fromSecsSinceEpoch(qint64(3) << 32));
        QCOMPARE(p->dateTime().toSecsSinceEpoch(), qint64(2147483647));
    }

    // Enter and Escape do nothing anywhere. Tab leaves the table and the picker at once; the
    // soil choice is one stop, on the checked button; a focused empty table shows its focus.
    void keyboard() {
        Harness h;
        h.dlg->show();
        QApplication::setActiveWindow(h.dlg.get());
        QVERIFY(QTest::qWaitForWindowActive(h.dlg.get()));
        QSignalSpy finished(h.dlg.get(), &QDialog::finished);
        QSignalSpy returned(h.c<QLineEdit>(Id::Note), &QLineEdit::returnPressed);
        for (QWidget* target : {h.c(Id::Note), h.c(Id::Add), (QWidget*)h.dlg.get()})
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                target->setFocus();
                QTest::keyClick(target, key);
            }
        QVERIFY(h.dlg->isVisible());
        QCOMPARE(finished.count() + returned.count() + h.table().count(), 0);
        CFlipSortListCtrl* table = h.dlg->reminderView();
        table->setFocus();
        QTRY_VERIFY(table->hasFocus());
        const QImage focused = table->grab().toImage();
        table->clearFocus();
        QVERIFY(focused != table->grab().toImage());
        auto tabFrom = [&](Id id, Qt::Key key = Qt::Key_Tab) {
            h.c(id)->setFocus();
            QTest::keyClick(QApplication::focusWidget(), key);
            return QApplication::focusWidget()->objectName();
        };
        h.click(Id::Add);
        h.click(Id::Add);
        h.clickRow(0);
        QCOMPARE(tabFrom(Id::ReminderList), ControlTable::objectName(Id::Lead));
        QCOMPARE(tabFrom(Id::PlantTime), ControlTable::objectName(Id::Crop));
        QCOMPARE(tabFrom(Id::Crop, Qt::Key_Backtab), ControlTable::objectName(Id::PlantTime));
        auto* picker = h.c<QDateTimeEdit>(Id::PlantTime); // entered from behind: on its last field
        QTest::keyClick(picker, Qt::Key_Left);
        QTest::keyClick(picker, Qt::Key_Left);
        QCOMPARE(picker->currentSection(), QDateTimeEdit::HourSection);
        QCOMPARE(tabFrom(Id::Preview), ControlTable::objectName(Id::Ordinary));
        h.click(Id::RedSoil);
        QCOMPARE(tabFrom(Id::Preview), ControlTable::objectName(Id::RedSoil));
    }

    // The clock and the music path are named by their values and described by their captions
    // (the schedule's labels, the toggles and the no-song box are read in tests/e2e).
    void screenReader() {
        Harness h;
        h.dlg->OnTimer();
        h.chooserAnswer = QStringLiteral("/music/a.mp3");
        h.click(Id::ChooseMusic);
        QStringList heard;
        for (Id id : {Id::Clock, Id::MusicLabel}) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(h.c(id));
            heard << a->text(QAccessible::Name) + u'/' + a->text(QAccessible::Description);
        }
        QCOMPARE(heard.join(u'|'),
                 QStringLiteral("2009-10-01 12:00:00/当前时间|/music/a.mp3/音乐："));
    }

    // The widgets reach the desk and show what it decides.
    void wiring() {
        Harness h;
        h.click(Id::RedSoil);
        h.c<QLineEdit>(Id::Note)->setText(QStringLiteral("东"));
        // A state change, as the keyboard or a screen reader's toggle makes it, not a click.
        h.c<QAbstractButton>(Id::FriendCrop)->toggle();
        h.c<QLineEdit>(Id::FriendMinutes)->setText(QStringLiteral("10"));
        h.click(Id::Add);
        h.c<QAbstractButton>(Id::FriendCrop)->toggle();
        QComboBox* crop = h.c<QComboBox>(Id::Crop);
        crop->setCurrentIndex(2); // as a pick through the list, read back at the add
        h.click(Id::Add);
        QCOMPARE(h.table().row(1).cropName, crop->itemText(2));
        QCOMPARE(h.table().row(0).note + TimeText::format(h.table().row(0).ripe),
                 QStringLiteral("东2009-10-01 12:10:00"));
        h.now += 3600; // the friend's crop has ripened
        h.dlg->OnTimer();
        h.clickRow(0);
        QVERIFY(h.c(Id::NextSeason)->isEnabled());
        QCOMPARE(h.text(Id::Season1Ripe), QStringLiteral("2009-10-01 12:10:00"));
        h.clickRow(1, Qt::ControlModifier);
        h.click(Id::Delete);
        QVERIFY(h.table().count() == 0 && !h.c(Id::NextSeason)->isEnabled());
        QComboBox* lead = h.c<QComboBox>(Id::Lead);
        lead->setCurrentIndex(3);
        emit lead->activated(3);
        QCOMPARE(h.dlg->desk().leadMinutes(), 2);
        h.chooserAnswer = QStringLiteral("/music/a.mp3");
        h.click(Id::ChooseMusic);
        h.deck.willPlay = true;
        h.click(Id::Preview);
        QVERIFY(h.c(Id::StopMusic)->isEnabled());
        h.click(Id::StopMusic);
        QVERIFY(!h.c(Id::StopMusic)->isEnabled());
        h.chooserAnswer = QStringLiteral("/") + QString(200, QChar(0x97F3)); // refused
        h.click(Id::ChooseMusic);
        QCOMPARE(h.messages.size(), 1);
    }

    // Hidden, no tick a second: one wake-up to ready the sound, one at the
    // next due second. Shown again, the clock and the countdowns are right at
    // once, before any tick.
    void hiddenSleepsUntilDue() {
        Harness h;
        auto* waker = new FakeWaker(&h.now);
        TickTimer& timer = h.dlg->desk().secondTimer();
        timer.setWaker(std::unique_ptr<Waker>(waker));
        timer.start();
        ReminderRow r;
        r.cropName = QStringLiteral("牧草");
        r.ripe = h.now + 600;
        h.table().append(r);
        h.dlg->show();
        h.dlg->hide();
        QCOMPARE(waker->aim, r.ripe - 300 - SoundPrimer::kAheadSeconds);
        h.now += 250;
        h.dlg->show();
        QCOMPARE(waker->aim, -1);
        QCOMPARE(h.text(Id::Clock), TimeText::format(h.now));
        QCOMPARE(h.table().data(h.table().index(0, ReminderTable::ColCountdown)).toString(),
                 QStringLiteral("0天0小时5分50秒成熟"));
        h.dlg->hide();
        for (const qint64 due : {r.ripe - 300 - SoundPrimer::kAheadSeconds, r.ripe - 300}) {
            QCOMPARE(waker->aim, due);
            h.now = due;
            emit waker->woke();
        }
        QCOMPARE(h.log, QStringList{"chime"});
        QCOMPARE(h.chime.prepared, 1);
    }

    // At most 90 cp936 bytes, cut at a character where the text lands (typed or pasted
    // into "ab" between the letters).
    void noteLimit() {
        const QString cjk = QStringLiteral("果");
        const QList<std::tuple<bool, QString, QString>> cases{
            {false, cjk.repeated(46), cjk.repeated(45)},
            {false, "a" + cjk.repeated(45), "a" + cjk.repeated(44)}, // no odd byte left
            {false, QString(100, u'x'), QString(90, u'x')},
            {true, cjk.repeated(60), "a" + cjk.repeated(44) + "b"}};
        Harness h;
        QLineEdit* note = h.c<QLineEdit>(Id::Note);
        for (const auto& [paste, typed, kept] : cases) {
            note->setText(paste ? QStringLiteral("ab") : QString());
            note->setCursorPosition(1);
            note->insert(typed); // as typing or a paste delivers it
            QCOMPARE(note->text(), kept);
        }
    }
};

QTEST_MAIN(TestReminderDlg)
#include "TestReminderDlg.moc"
