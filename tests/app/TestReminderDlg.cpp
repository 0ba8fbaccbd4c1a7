#include "alarm/AlarmFakes.h"
#include "app/CReminderDlg.h"
#include "app/ControlTable.h"
#include "app/DialogUnits.h"
#include "app/QtChinese.h"
#include "catalogue/TimeText.h"
#include "controls/CFlipSortListCtrl.h"
#include "reminders/PersistenceController.h"
#include "reminders/ReminderTable.h"

#include <QAccessible>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <ctime>
#include <memory>

namespace {

qint64 at(const char* text) {
    return TimeText::Parse(QString::fromLatin1(text)).value_or(-1);
}

// The real window with fake sound, boxes and chooser, and a clock the test moves.
struct Harness {
    qint64 now = at("2009-10-01 12:00:00");
    QStringList log, messages;
    QString chooserAnswer;
    FakeChime chime{&log};
    FakeDeck deck{&log};
    FakePresenter presenter{&log};
    std::unique_ptr<CReminderDlg> dlg;

    explicit Harness(const QString& storePath = QString()) {
        chime.endAtOnce = true;
        DialogServices s;
        s.now = [this] { return now; };
        s.showMessage = [this](QWidget*, const QString& t) { messages << t; };
        s.chooseMusicFile = [this](QWidget*) { return chooserAnswer; };
        s.chime = &chime;
        s.tuneDeck = &deck;
        s.presenter = &presenter;
        s.storePath = storePath;
        dlg = std::make_unique<CReminderDlg>(s);
        if (dlg->Persistence())
            dlg->Persistence()->setDirtyDelay(20);
    }
    template <class T = QWidget> T* c(int id) const {
        T* w = dlg->Control<T>(id);
        if (!w)
            qFatal("control %d missing", id);
        return w;
    }
    // What a label, list, edit or picker shows.
    QString text(int id) const {
        if (auto* b = qobject_cast<QComboBox*>(c(id)))
            return b->currentText();
        return c(id)->property("text").toString();
    }
    QString row(int r) const {
        QStringList out;
        for (int col = 0; col < ReminderTable::ColumnCount; ++col)
            out << dlg->Reminders().data(dlg->Reminders().index(r, col)).toString();
        return out.join(u'|');
    }
    void click(int id) { QTest::mouseClick(c<QAbstractButton>(id), Qt::LeftButton); }
    void clickRow(int r, Qt::KeyboardModifiers mods = {}) {
        CFlipSortListCtrl* v = dlg->ReminderView();
        QTest::mouseClick(v->viewport(), Qt::LeftButton, mods,
                          v->visualRect(v->model()->index(r, 1)).center());
    }
    void plantAt(qint64 t) {
        c<QDateTimeEdit>(1000)->setDateTime(QDateTime::fromSecsSinceEpoch(t));
    }
    // An own crop of the ordinary catalogue, planted so that it ripens at ripe.
    void addOrdinary(int index, qint64 ripe, int totalHours) {
        c<QComboBox>(1007)->setCurrentIndex(index);
        plantAt(ripe - totalHours * 3600);
        click(1003);
    }
    void chooseLead(int index) {
        c<QComboBox>(1038)->setCurrentIndex(index);
        emit c<QComboBox>(1038)->activated(index);
    }
    void tickTo(qint64 t) {
        now = t;
        dlg->OnTimer();
    }
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
        Harness h;
        CReminderDlg& d = *h.dlg;
        QVERIFY(d.windowTitle().startsWith(QStringLiteral("FruitwakeV1.8")));
        QVERIFY(d.windowTitle().endsWith(QStringLiteral("快乐游戏_轻松游戏^_^")));
        const DialogUnits du(d.font());
        QCOMPARE(d.size(), QSize(du.x(412), du.y(425)));
        QCOMPARE(d.minimumSize(), d.maximumSize());
        QVERIFY(!(d.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(h.c<QAbstractButton>(1045)->isChecked() && h.c<QCheckBox>(1010)->isChecked());
        QStringList shown;
        for (int id : {1000, 1007, 1020, 1009, 1042, 1029, 1030})
            shown << h.text(id);
        QCOMPARE(shown, (QStringList{"2009-10-01 12:00:00", "牧草", "成熟", "当前时间", "默认音乐",
                                     "2009-10-01 20:00:00", "--.--.--"}));
        QCOMPARE(d.LeadMinutes(), 5);
        for (int id : {1018, 1019, 1020, 1022, 1037})
            QVERIFY2(!h.c(id)->isEnabled(), qPrintable(QString::number(id)));
        QCOMPARE(h.c<QLabel>(1042)->textFormat(), Qt::PlainText);
        // The picker drives the panel and cannot leave what the data file can store.
        h.plantAt(at("2009-10-02 12:00:00"));
        QCOMPARE(h.text(1029), QStringLiteral("2009-10-02 20:00:00"));
        QDateTimeEdit* p = h.c<QDateTimeEdit>(1000);
        QCOMPARE(p->minimumDateTime().toSecsSinceEpoch(), qint64(0));
        p->setDateTime(QDateTime::fromSecsSinceEpoch(qint64(3) << 32));
        QCOMPARE(p->dateTime().toSecsSinceEpoch(), qint64(2147483647));
        // Every control of the template exists once, where the template puts
        // it, and Tab walks them in template order.
        QStringList expectedChain;
        int named = 0;
        for (const ControlTable::Control& c : ControlTable::MainDialog()) {
            if (c.id == ControlTable::kNoId)
                continue;
            ++named;
            const auto found = h.dlg->findChildren<QWidget*>(ControlTable::ObjectName(c.id));
            QCOMPARE(found.size(), 1);
            QCOMPARE(found[0]->geometry().topLeft(), QPoint(du.x(c.x), du.y(c.y)));
            QCOMPARE(found[0]->width(), du.x(c.x + c.w) - du.x(c.x));
            QVERIFY(!QAccessible::queryAccessibleInterface(found[0])
                         ->text(QAccessible::Name)
                         .isEmpty());
            if (found[0]->focusPolicy() & Qt::TabFocus)
                expectedChain << found[0]->objectName();
        }
        QCOMPARE(named, 37);
        QStringList chain;
        for (QWidget* w = h.dlg->nextInFocusChain(); w != h.dlg.get(); w = w->nextInFocusChain())
            if (w->objectName().startsWith(u"idc_") && (w->focusPolicy() & Qt::TabFocus))
                chain << w->objectName();
        QCOMPARE(chain, expectedChain);
        QCOMPARE(chain.first(), QStringLiteral("idc_1003"));
        QVERIFY(chain.contains(u"idc_1045") && !chain.contains(u"idc_1046"));
    }

    void enterAndEscapeDoNothing() {
        Harness h;
        h.dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(h.dlg.get()));
        QSignalSpy finished(h.dlg.get(), &QDialog::finished);
        QSignalSpy returned(h.c<QLineEdit>(1008), &QLineEdit::returnPressed);
        for (QWidget* target : {h.c(1008), h.c(1005), h.c(1003), h.c(1000), (QWidget*)h.dlg.get()})
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                target->setFocus();
                QTest::keyClick(target, key);
            }
        QVERIFY(h.dlg->isVisible());
        QCOMPARE(finished.count() + returned.count() + h.dlg->Reminders().count(), 0);
    }

    // Tab leaves the table and the picker at once; the soil choice is one
    // stop, on the checked button; a focused empty table shows its focus.
    void keyboardReach() {
        Harness h;
        h.dlg->show();
        QApplication::setActiveWindow(h.dlg.get());
        QVERIFY(QTest::qWaitForWindowActive(h.dlg.get()));
        CFlipSortListCtrl* table = h.dlg->ReminderView();
        table->setFocus();
        QTRY_VERIFY(table->hasFocus());
        const QImage focused = table->grab().toImage();
        table->clearFocus();
        QVERIFY(focused != table->grab().toImage());
        auto tabFrom = [&](int id, Qt::Key key = Qt::Key_Tab) {
            h.c(id)->setFocus();
            QTest::keyClick(QApplication::focusWidget(), key);
            return QApplication::focusWidget()->objectName();
        };
        h.click(1003);
        h.click(1003);
        h.clickRow(0);
        QCOMPARE(tabFrom(1005), QStringLiteral("idc_1038"));
        QCOMPARE(tabFrom(1005, Qt::Key_Backtab), QStringLiteral("idc_1015"));
        QCOMPARE(tabFrom(1000), QStringLiteral("idc_1007"));
        QCOMPARE(tabFrom(1007, Qt::Key_Backtab), QStringLiteral("idc_1000"));
        auto* picker = h.c<QDateTimeEdit>(1000); // entered from behind: on its last field
        QTest::keyClick(picker, Qt::Key_Left);
        QTest::keyClick(picker, Qt::Key_Left);
        QCOMPARE(picker->currentSection(), QDateTimeEdit::HourSection);
        QCOMPARE(tabFrom(1044), QStringLiteral("idc_1045"));
        QTest::keyClick(h.c(1045), Qt::Key_Right);
        QVERIFY(h.c<QRadioButton>(1046)->isChecked() && h.c(1046)->hasFocus());
        QCOMPARE(h.text(1007), QStringLiteral("瓶子树"));
        QCOMPARE(tabFrom(1044), QStringLiteral("idc_1046"));
    }

    // What a screen reader reads and does: value labels named by their
    // values, combo boxes by their captions, a toggle acting as a click.
    void screenReader() {
        Harness h;
        auto a11y = [&](int id) { return QAccessible::queryAccessibleInterface(h.c(id)); };
        auto toggle = [&](int id) {
            a11y(id)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        };
        toggle(1046);
        QCOMPARE(h.text(1007), QStringLiteral("瓶子树"));
        QStringList values;
        for (int id : ControlTable::kPanelValueIds)
            values << a11y(id)->text(QAccessible::Name) + u'/' + h.text(id);
        QCOMPARE(values.first(), u"2009-10-02 13:00:00/2009-10-02 13:00:00");
        QCOMPARE(values.last(), u"--.--.--/--.--.--");
        QCOMPARE(a11y(1040)->text(QAccessible::Description), QStringLiteral("第九季成熟时间："));
        h.tickTo(h.now);
        QCOMPARE(a11y(1009)->text(QAccessible::Name), TimeText::Format(h.now));
        h.chooserAnswer = QStringLiteral("/music/a.mp3");
        h.click(1041);
        QCOMPARE(a11y(1042)->text(QAccessible::Name) + a11y(1042)->text(QAccessible::Description),
                 QStringLiteral("/music/a.mp3音乐："));
        QCOMPARE(a11y(1038)->text(QAccessible::Name) + a11y(1038)->text(QAccessible::Value),
                 QStringLiteral("距离成熟5"));
        QCOMPARE(a11y(1007)->text(QAccessible::Name), QStringLiteral("作物选择："));
        h.click(1003);
        QCOMPARE(h.dlg->Reminders().row(0).cropName, QStringLiteral("瓶子树"));
        toggle(1015);
        QVERIFY(h.c(1018)->isEnabled() && !h.c(1000)->isEnabled());
        toggle(1015);
        QVERIFY(!h.c(1018)->isEnabled() && h.c(1000)->isEnabled());
    }

    // Qt's own texts in Chinese; the no-song box is a plain one.
    void chineseBoxes() {
        if (!InstallQtChinese(qApp))
            QSKIP("Qt's Chinese catalogues (qt6-translations-l10n) are not installed");
        QMessageBox question(QMessageBox::NoIcon, "", "", QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(question.button(QMessageBox::Ok)->text() +
                     question.button(QMessageBox::Cancel)->text(),
                 QStringLiteral("确定取消"));
        QStringList seen;
        for (const QString& text : {QStringLiteral("当前没有选择歌曲！"), QStringLiteral("x")}) {
            QTimer::singleShot(0, [&seen] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                seen << QString::number(box->icon()) + box->buttons().at(0)->text();
                box->accept();
            });
            DialogServices::System().showMessage(nullptr, text);
        }
        QCOMPARE(seen, (QStringList{"0确定", "2确定"}));
        Harness h;
        auto* picker = h.c<QDateTimeEdit>(1000);
        QCOMPARE(picker->locale().name() + picker->calendarWidget()->locale().name(),
                 QStringLiteral("zh_CNzh_CN"));
    }

    void addRows_data() {
        QTest::addColumn<QString>("crop");           // "红土:" for the red-soil list
        QTest::addColumn<QStringList>("friendForm"); // season, stage, hours, minutes
        QTest::addColumn<QString>("cells"); // index, crop, plant, ripe, note, countdown, season
        const auto row = [](const char* name, const char* crop, QStringList friendForm,
                            const char* cells) {
            QTest::newRow(name) << QString(crop) << friendForm << QString(cells);
        };
        row("own pasture", "牧草", {},
            "0|牧草|2009-10-01 12:00:00|2009-10-01 20:00:00||0天8小时0分0秒成熟|1");
        row("own bottle tree", "红土:瓶子树", {},
            "0|瓶子树|2009-10-01 12:00:00|2009-10-02 13:00:00||1天1小时0分0秒成熟|1");
        row("friend apple ripe", "苹果", {"0", "4", "0", "30"},
            "40|苹果|2009-09-30 15:30:00|2009-10-01 12:30:00||0天0小时30分0秒成熟|1");
        row("friend apple second bloom", "苹果", {"1", "0", "0", "30"},
            "40|苹果|2009-09-30 11:30:00|2009-10-01 17:30:00||0天5小时30分0秒成熟|2");
        row("friend hours out of bounds", "苹果", {"0", "4", "99999999", ""}, "");
    }
    void addRows() {
        QFETCH(QString, crop);
        QFETCH(QStringList, friendForm);
        QFETCH(QString, cells);
        Harness h;
        if (crop.startsWith(u"红土:"))
            h.click(1046);
        QComboBox* crops = h.c<QComboBox>(1007);
        crops->setCurrentIndex(crops->findText(crop.remove(QStringLiteral("红土:"))));
        QCOMPARE(crops->currentText(), crop);
        h.plantAt(h.now);
        h.dlg->OnTimer();
        h.now += 7; // the clock label, not the clock, is the reference
        if (!friendForm.isEmpty()) {
            h.click(1015);
            QVERIFY(h.c(1018)->isEnabled() && !h.c(1000)->isEnabled());
            h.c<QComboBox>(1022)->setCurrentIndex(friendForm[0].toInt());
            h.c<QComboBox>(1020)->setCurrentIndex(friendForm[1].toInt());
            h.c<QLineEdit>(1018)->setText(friendForm[2]);
            h.c<QLineEdit>(1019)->setText(friendForm[3]);
        }
        h.click(1003);
        h.click(1003);
        if (cells.isEmpty()) { // refused with a message, nothing added
            QCOMPARE(h.messages.size(), 2);
            QCOMPARE(h.dlg->Reminders().count(), 0);
            return;
        }
        QCOMPARE(h.dlg->Reminders().count(), 2);
        QCOMPARE(h.row(1), cells);
        QCOMPARE(h.dlg->Reminders().row(1).rowId, 1u);
        QVERIFY(h.messages.isEmpty());
        if (!friendForm.isEmpty()) // the form is left as it was
            QCOMPARE(QStringList({h.text(1018), h.text(1019)}), friendForm.mid(2));
    }

    void deleteSelectedAndRenumber() {
        Harness h;
        for (int i = 0; i < 6; ++i) {
            h.c<QLineEdit>(1008)->setText(QString::number(i));
            h.click(1003);
        }
        h.clickRow(1);
        h.clickRow(3, Qt::ControlModifier);
        h.clickRow(4, Qt::ControlModifier);
        h.click(1006);
        QStringList notesAndIds;
        for (const ReminderRow& r : h.dlg->Reminders().rows())
            notesAndIds << r.note + QString::number(r.rowId);
        QCOMPARE(notesAndIds, (QStringList{"00", "21", "52"}));
        h.dlg->ReminderView()->clearSelection(); // nothing selected: nothing goes
        h.click(1006);
        QCOMPARE(h.dlg->Reminders().count(), 3);
    }

    // Next season acts on the clicked reminder even when rows above it went.
    void nextSeasonByRowId() {
        Harness h;
        h.tickTo(h.now);
        h.addOrdinary(0, h.now + 5, 8);      // 牧草, goes away after ripening
        h.addOrdinary(26, h.now - 3600, 25); // 满天星, three seasons, already ripe
        h.tickTo(h.now + 1);
        QPushButton* next = h.c<QPushButton>(1037);
        h.clickRow(0);
        QVERIFY(!next->isEnabled()); // still growing
        h.clickRow(1);
        QVERIFY(next->isEnabled());
        h.tickTo(h.now + 10); // removes the 牧草 row above
        QCOMPARE(h.dlg->Reminders().count(), 1);
        h.click(1037);
        const ReminderRow& r = h.dlg->Reminders().row(0);
        QCOMPARE(r.cropName, QStringLiteral("满天星"));
        QCOMPARE(r.seasonNo, 2);
        QCOMPARE(r.ripe, h.now + 10 * 3600);
        QVERIFY(!next->isEnabled());
        h.click(1037); // a second press needs a new click
        QCOMPARE(h.dlg->Reminders().row(0).seasonNo, 2);
    }

    // The lead selector sets the warning; each alert comes once, on its second.
    void alertsOnce_data() {
        QTest::addColumn<bool>("boxes");
        QTest::addColumn<QString>("seen"); // second after adding: what was done
        QTest::newRow("with boxes") << true << "60:chime,box 120:play,chime,box";
        QTest::newRow("sound only") << false << "60:chime 120:play,chime";
    }
    void alertsOnce() {
        QFETCH(bool, boxes);
        Harness h;
        h.c<QCheckBox>(1010)->setChecked(boxes);
        h.chooseLead(4);
        const qint64 start = h.now;
        h.tickTo(start);
        h.addOrdinary(0, start + 120, 8); // 牧草, single season
        QStringList seen;
        for (int t = 1; t <= 150; ++t) {
            QCOMPARE(h.dlg->Reminders().count(), t <= 121 ? 1 : 0); // gone the tick after
            h.tickTo(start + t);
            if (!h.log.isEmpty())
                seen << QString::number(t) + u':' + h.log.join(u',');
            h.log.clear();
            if (h.presenter.open)
                h.presenter.dismiss();
        }
        QTEST(seen.join(u' '), "seen");
    }

    void musicChoiceAndStop() {
        Harness h;
        const QString chosen = QStringLiteral("/music/a.mp3");
        h.chooserAnswer = chosen;
        h.click(1041);
        QCOMPARE(QStringList({h.dlg->Music(), h.deck.path(), h.text(1042)}),
                 QStringList(3, chosen));
        // A path longer than the record holds is refused and changes nothing.
        h.chooserAnswer = QStringLiteral("/") + QString(200, QChar(0x97F3)); // 400 bytes
        h.click(1041);
        QCOMPARE(h.messages.size(), 1);
        QCOMPARE(QStringList({h.dlg->Music(), h.text(1042)}), QStringList(2, chosen));
        h.chooserAnswer.clear(); // cancelling with a choice made clears it
        h.click(1041);
        QVERIFY(h.dlg->Music().isEmpty() && h.text(1042).isEmpty());
        h.click(1044); // nothing to preview
        QCOMPARE(h.messages.last(), QStringLiteral("当前没有选择歌曲！"));
        h.click(1041); // cancelling with none names the default sound
        QCOMPARE(h.text(1042), QStringLiteral("默认提醒声音"));
        // The stop button follows the deck.
        h.deck.setState(TuneDeck::State::Playing);
        h.tickTo(h.now + 1);
        QVERIFY(h.c(1043)->isEnabled());
        h.click(1043);
        QVERIFY(!h.deck.IsActive() && !h.c(1043)->isEnabled());
    }

    // At most 90 cp936 bytes, cut at a character where the text lands.
    void noteLimit_data() {
        QTest::addColumn<bool>("paste"); // into "ab" between the letters
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        const QString cjk = QStringLiteral("果");
        QTest::newRow("45 double-byte fit") << false << cjk.repeated(45) << cjk.repeated(45);
        QTest::newRow("46th refused") << false << cjk.repeated(46) << cjk.repeated(45);
        QTest::newRow("odd byte left") << false << "a" + cjk.repeated(45) << "a" + cjk.repeated(44);
        QTest::newRow("ascii") << false << QString(100, u'x') << QString(90, u'x');
        QTest::newRow("paste") << true << cjk.repeated(60) << "a" + cjk.repeated(44) + "b";
    }
    void noteLimit() {
        QFETCH(bool, paste);
        QFETCH(QString, typed);
        Harness h;
        QLineEdit* note = h.c<QLineEdit>(1008);
        if (paste) {
            note->setText(QStringLiteral("ab"));
            note->setCursorPosition(1);
        }
        note->insert(typed); // as typing or a paste delivers it
        QTEST(note->text(), "kept");
    }

    // Rows, lead and music come back; an emptied table is saved too (512 bytes).
    void persistenceRoundTrip() {
        QTemporaryDir dir;
        const QString path = dir.filePath("fruitwake/foodinfo.dat");
        {
            Harness h(path);
            h.click(1003);
            h.click(1046);
            h.click(1003);
            h.chooseLead(2);
            QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(path).size(), qint64(5 * 128), 20000);
            QTRY_VERIFY_WITH_TIMEOUT(!h.dlg->Persistence()->isDirty(), 20000);
        }
        Harness h(path);
        QCOMPARE(h.dlg->Reminders().count(), 2);
        QCOMPARE(h.row(1).section(u'|', 1, 1), QStringLiteral("瓶子树"));
        QCOMPARE(h.dlg->Reminders().row(1).rowId, 1u);
        QCOMPARE(h.dlg->LeadMinutes(), 3);
        QCOMPARE(h.text(1038), QStringLiteral("3"));
        QCOMPARE(h.dlg->Music() + h.text(1042), QStringLiteral("默认提醒声音默认提醒声音"));
        h.dlg->ReminderView()->selectAll();
        h.click(1006);
        QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(path).size(), qint64(512), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!h.dlg->Persistence()->isDirty(), 20000);
    }

    void failedSaveToldOnceAndKeepsTicking() {
        QTemporaryDir dir;
        QFile blocker(dir.filePath("not-a-folder"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Harness h(dir.filePath("not-a-folder/foodinfo.dat"));
        h.click(1003);
        QTRY_COMPARE_WITH_TIMEOUT(h.messages.size(), 1, 20000);
        h.click(1003);
        QTRY_VERIFY_WITH_TIMEOUT(!h.dlg->Persistence()->isDirty(), 20000);
        QTest::qWait(50);
        QCOMPARE(h.messages.size(), 1);
        QVERIFY(!h.dlg->SaveReminders().ok);
        h.tickTo(h.now + 1);
        QCOMPARE(h.text(1009), TimeText::Format(h.now));
        QCOMPARE(h.dlg->Reminders().count(), 2);
    }
};

QTEST_MAIN(TestReminderDlg)
#include "TestReminderDlg.moc"
