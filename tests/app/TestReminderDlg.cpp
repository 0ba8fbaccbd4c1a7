#include "app/CReminderDlg.h"
#include "app/ControlTable.h"
#include "app/DialogUnits.h"
#include "catalogue/TimeText.h"
#include "controls/CDigitGateEdit.h"
#include "controls/CFlipSortListCtrl.h"
#include "controls/CXPGroupBox.h"
#include "reminders/Cp936Codec.h"
#include "reminders/ReminderTable.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <ctime>
#include <memory>

namespace {

qint64 at(const char* text) {
    return TimeText::Parse(QString::fromLatin1(text)).value_or(-1);
}

// A window with a clock that stands still until the test moves it.
struct Harness {
    qint64 now = at("2009-10-01 13:25:00");
    QStringList messages;
    std::unique_ptr<CReminderDlg> dlg;

    Harness() {
        DialogServices s;
        s.now = [this] { return now; };
        s.showMessage = [this](QWidget*, const QString& text) { messages << text; };
        dlg = std::make_unique<CReminderDlg>(s);
    }
    template <class T> T* c(int id) const {
        T* w = dlg->Control<T>(id);
        if (!w)
            qFatal("control %d missing", id);
        return w;
    }
    QStringList panel() const {
        QStringList out;
        for (int id : ControlTable::kPanelValueIds)
            out << c<QLabel>(id)->text();
        return out;
    }
    QString cell(int row, int column) const {
        const ReminderTable& t = dlg->Reminders();
        return t.data(t.index(row, column)).toString();
    }
    QStringList rowTexts(int row) const {
        QStringList out;
        for (int col = 0; col < ReminderTable::ColumnCount; ++col)
            out << cell(row, col);
        return out;
    }
    void chooseCrop(const QString& name) {
        QComboBox* crops = c<QComboBox>(1007);
        const int i = crops->findText(name);
        QVERIFY2(i >= 0, qPrintable(name));
        crops->setCurrentIndex(i);
    }
    void clickRow(int row) {
        CFlipSortListCtrl* view = dlg->ReminderView();
        const QRect r = view->visualRect(view->model()->index(row, 1));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
    }
    void add() { QTest::mouseClick(c<QPushButton>(1003), Qt::LeftButton); }
};

// Types text key by key, as an input method delivers characters.
void typeText(QWidget* w, const QString& text) {
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &release);
    }
}

void setZone(const char* tz) {
    qputenv("TZ", tz);
    tzset();
}

} // namespace

class TestReminderDlg : public QObject {
    Q_OBJECT
private slots:
    void init() { setZone("Asia/Shanghai"); }

    void initialState() {
        Harness h;
        CReminderDlg& d = *h.dlg;
        QVERIFY(h.c<QRadioButton>(1045)->isChecked());
        QVERIFY(!h.c<QRadioButton>(1046)->isChecked());
        QVERIFY(h.c<QCheckBox>(1010)->isChecked());
        QVERIFY(!h.c<QCheckBox>(1015)->isChecked());
        QCOMPARE(h.c<QDateTimeEdit>(1000)->text(), QStringLiteral("2009-10-01 13:25:00"));
        QVERIFY(h.c<QDateTimeEdit>(1000)->calendarPopup());
        QComboBox* crops = h.c<QComboBox>(1007);
        QCOMPARE(crops->count(), CropCatalogue::CropCount(SoilKind::Ordinary));
        QCOMPARE(crops->currentText(), QStringLiteral("牧草"));
        QCOMPARE(h.c<QComboBox>(1022)->count(), 1);
        QCOMPARE(h.c<QComboBox>(1020)->currentText(), QStringLiteral("成熟"));
        QVERIFY(!h.c<QPushButton>(1037)->isEnabled());
        for (int id : {1018, 1019, 1020, 1022})
            QVERIFY2(!h.c<QWidget>(id)->isEnabled(), qPrintable(QString::number(id)));
        QCOMPARE(h.c<QLabel>(1009)->text(), QStringLiteral("当前时间"));
        QCOMPARE(h.c<QLabel>(1042)->text(), QStringLiteral("默认音乐"));
        QCOMPARE(h.c<QLabel>(1042)->textFormat(), Qt::PlainText);
        QVERIFY(h.c<QLabel>(1009)->font().pointSize() > d.font().pointSize());
        QCOMPARE(h.panel()[0], QStringLiteral("2009-10-01 21:25:00"));
        QCOMPARE(h.panel()[1], QStringLiteral("--.--.--"));
        QComboBox* lead = h.c<QComboBox>(1038);
        QCOMPARE(lead->count(), 5);
        QCOMPARE(lead->itemText(0), QStringLiteral("5"));
        QCOMPARE(lead->itemText(4), QStringLiteral("1"));
        QCOMPARE(d.LeadMinutes(), 5);
        QCOMPARE(d.SelectedRow(), -1);
        QVERIFY(d.windowTitle().startsWith(QStringLiteral("FruitwakeV1.8")));
        QVERIFY(d.windowTitle().endsWith(QStringLiteral("快乐游戏_轻松游戏^_^")));
        QVERIFY(d.minimumSize() == d.maximumSize());
        QVERIFY(d.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(d.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(d.ReminderView()->horizontalHeader()->sectionSize(0), 0);
        QCOMPARE(d.ReminderView()->horizontalHeader()->sectionSize(5), 140);
    }

    // The picker cannot leave what the data file can store.
    void pickerRange() {
        Harness h;
        QDateTimeEdit* p = h.c<QDateTimeEdit>(1000);
        QCOMPARE(p->minimumDateTime().toSecsSinceEpoch(), qint64(0));
        QCOMPARE(p->maximumDateTime().toSecsSinceEpoch(), qint64(2147483647));
        p->setDateTime(QDateTime::fromSecsSinceEpoch(qint64(3) << 32));
        QCOMPARE(p->dateTime().toSecsSinceEpoch(), qint64(2147483647));
    }

    // Every control of the template exists once, where the template puts it.
    void templateControls() {
        Harness h;
        const DialogUnits du(h.dlg->font());
        QCOMPARE(h.dlg->size(), QSize(du.x(412), du.y(425)));
        QSet<int> seen;
        int unnamed = 0;
        for (const ControlTable::Control& c : ControlTable::MainDialog()) {
            if (c.id == ControlTable::kNoId) {
                ++unnamed;
                continue;
            }
            QVERIFY2(!seen.contains(c.id), "duplicate id");
            seen.insert(c.id);
            const QList<QWidget*> found =
                h.dlg->findChildren<QWidget*>(ControlTable::ObjectName(c.id));
            QCOMPARE(found.size(), 1);
            QWidget* w = found.first();
            QCOMPARE(w->pos(), QPoint(du.x(c.x), du.y(c.y)));
            QCOMPARE(w->width(), du.x(c.x + c.w) - du.x(c.x));
            QVERIFY(!w->accessibleName().isEmpty());
            if (!c.text.isEmpty() && c.id != 1009 && c.kind != ControlTable::Kind::Static)
                QCOMPARE(w->accessibleName(), c.text);
        }
        QCOMPARE(seen.size(), 37);
        QCOMPARE(unnamed, 15);
    }

    // Unnamed captions lie on the group box; captions with ids keep the window colour.
    void captionBackgrounds() {
        Harness h;
        // The template's unnamed controls, in creation order among the children.
        QList<QWidget*> unnamed;
        for (QObject* o : h.dlg->children())
            if (auto* w = qobject_cast<QWidget*>(o);
                w && w->objectName().isEmpty() &&
                (w->inherits("QLabel") || w->inherits("QGroupBox")))
                unnamed << w;
        QCOMPARE(unnamed.size(), 15);
        for (QWidget* w : unnamed) {
            QVERIFY(!w->autoFillBackground());
            QCOMPARE(w->palette().color(QPalette::Window).alpha(), 0);
        }
        QList<int> named{1009, 1042};
        named.append(QList<int>(std::begin(ControlTable::kPanelValueIds),
                                std::end(ControlTable::kPanelValueIds)));
        for (int id : named)
            QVERIFY2(h.c<QLabel>(id)->autoFillBackground(), qPrintable(QString::number(id)));
    }

    void groupBoxLooks() {
        Harness h;
        auto* area = h.c<CXPGroupBox>(1012);
        auto* panel = h.c<CXPGroupBox>(1036);
        QCOMPARE(area->Look(), 1);
        QCOMPARE(panel->Look(), 0);
        QCOMPARE(panel->Align(), 1);
        for (CXPGroupBox* g : {area, panel}) {
            QCOMPARE(g->BandColor(), QColor(123, 162, 231));
            QCOMPARE(g->BodyColor(), QColor(214, 223, 247));
            QVERIFY(g->CaptionFont().bold());
        }
    }

    void tabOrderFollowsTemplate() {
        Harness h;
        QStringList expected;
        for (const ControlTable::Control& c : ControlTable::MainDialog()) {
            QWidget* w = h.dlg->Control(c.id);
            if (w && (w->focusPolicy() & Qt::TabFocus))
                expected << w->objectName();
        }
        QStringList chain;
        for (QWidget* w = h.dlg->nextInFocusChain(); w != h.dlg.get(); w = w->nextInFocusChain())
            if (w->objectName().startsWith(u"idc_") && (w->focusPolicy() & Qt::TabFocus))
                chain << w->objectName();
        QCOMPARE(chain, expected);
        QVERIFY(!chain.contains(u"idc_1045"));
        QVERIFY(!chain.contains(u"idc_1046"));
        QCOMPARE(chain.first(), QStringLiteral("idc_1003"));
    }

    void enterAndEscapeDoNothing_data() {
        QTest::addColumn<int>("focusId");
        QTest::addColumn<int>("key");
        QTest::newRow("note enter") << 1008 << int(Qt::Key_Return);
        QTest::newRow("note escape") << 1008 << int(Qt::Key_Escape);
        QTest::newRow("table enter") << 1005 << int(Qt::Key_Enter);
        QTest::newRow("table escape") << 1005 << int(Qt::Key_Escape);
        QTest::newRow("picker enter") << 1000 << int(Qt::Key_Return);
        QTest::newRow("add button enter") << 1003 << int(Qt::Key_Return);
        QTest::newRow("dialog escape") << 0 << int(Qt::Key_Escape);
    }
    void enterAndEscapeDoNothing() {
        QFETCH(int, focusId);
        QFETCH(int, key);
        Harness h;
        h.dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(h.dlg.get()));
        QWidget* target = focusId ? h.dlg->Control(focusId) : h.dlg.get();
        target->setFocus();
        QSignalSpy finished(h.dlg.get(), &QDialog::finished);
        QSignalSpy added(h.c<QPushButton>(1003), &QPushButton::clicked);
        QSignalSpy returned(h.c<QLineEdit>(1008), &QLineEdit::returnPressed);
        QTest::keyClick(target, Qt::Key(key));
        QTest::keyClick(h.dlg.get(), Qt::Key(key));
        QVERIFY(h.dlg->isVisible());
        QCOMPARE(finished.count(), 0);
        QCOMPARE(added.count(), 0);
        QCOMPARE(returned.count(), 0);
        QCOMPARE(h.dlg->Reminders().count(), 0);
    }

    void radioButtonsAndLists() {
        Harness h;
        QTest::mouseClick(h.c<QRadioButton>(1046), Qt::LeftButton);
        QCOMPARE(h.c<QComboBox>(1007)->currentText(), QStringLiteral("瓶子树"));
        QCOMPARE(h.c<QComboBox>(1007)->count(), CropCatalogue::CropCount(SoilKind::RedSoil));
        QCOMPARE(h.c<QComboBox>(1022)->count(), 1); // until a crop is chosen
        h.chooseCrop("昙花");
        QCOMPARE(h.c<QComboBox>(1022)->count(), 1);
        h.chooseCrop("瓶子树");
        QCOMPARE(h.c<QComboBox>(1022)->count(), 8);
        QTest::mouseClick(h.c<QRadioButton>(1045), Qt::LeftButton);
        h.chooseCrop("苹果");
        QTest::mouseClick(h.c<QRadioButton>(1045), Qt::LeftButton);
        QCOMPARE(h.c<QComboBox>(1007)->currentText(), QStringLiteral("牧草"));
        QCOMPARE(h.c<QComboBox>(1022)->count(), 1);
        QCOMPARE(h.c<QComboBox>(1020)->count(), 5);
        h.chooseCrop("路易十四");
        QCOMPARE(h.c<QComboBox>(1022)->count(), 9);
        h.c<QComboBox>(1022)->setCurrentIndex(1);
        QCOMPARE(h.c<QComboBox>(1020)->count(), 2);
        QCOMPARE(h.c<QComboBox>(1020)->currentText(), QStringLiteral("成熟"));
    }

    void pickerDrivesPanel() {
        Harness h;
        QDateTimeEdit* p = h.c<QDateTimeEdit>(1000);
        p->setFocus();
        p->setCurrentSection(QDateTimeEdit::DaySection);
        QTest::keyClick(p, Qt::Key_Up);
        QCOMPARE(p->text(), QStringLiteral("2009-10-02 13:25:00"));
        QCOMPARE(h.panel()[0], QStringLiteral("2009-10-02 21:25:00"));
        // Choosing a crop sets the picker back to now, and the panel follows.
        h.now = at("2009-10-05 08:00:00");
        h.chooseCrop("苹果");
        QCOMPARE(p->text(), QStringLiteral("2009-10-05 08:00:00"));
        QCOMPARE(h.panel()[0], QStringLiteral("2009-10-06 05:00:00"));
        QCOMPARE(h.panel()[1], QStringLiteral("2009-10-06 14:00:00"));
        QCOMPARE(h.panel()[2], QStringLiteral("--.--.--"));
    }

    void friendToggle() {
        Harness h;
        QCheckBox* f = h.c<QCheckBox>(1015);
        QLineEdit* hours = h.c<QLineEdit>(1018);
        QLineEdit* minutes = h.c<QLineEdit>(1019);
        QTest::mouseClick(f, Qt::LeftButton);
        QCOMPARE(hours->text(), QStringLiteral("0"));
        QCOMPARE(minutes->text(), QStringLiteral("30"));
        QVERIFY(!h.c<QWidget>(1000)->isEnabled());
        for (int id : {1018, 1019, 1020, 1022})
            QVERIFY(h.c<QWidget>(id)->isEnabled());
        QTest::keyClicks(hours, "7x");
        QCOMPARE(hours->text(), QStringLiteral("07"));
        QTest::mouseClick(f, Qt::LeftButton);
        QCOMPARE(hours->text(), QString());
        QCOMPARE(minutes->text(), QString());
        QVERIFY(h.c<QWidget>(1000)->isEnabled());
        QVERIFY(!h.c<QWidget>(1018)->isEnabled());
    }

    void addRows_data() {
        QTest::addColumn<bool>("red");
        QTest::addColumn<bool>("friendMode");
        QTest::addColumn<QString>("crop");
        QTest::addColumn<int>("season");
        QTest::addColumn<int>("stage");
        QTest::addColumn<QString>("hours");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<bool>("ticked"); // the clock label shows the time
        QTest::addColumn<QStringList>("row");
        // The row's cells: index, crop, plant, ripe, note, countdown, season.
        const auto row = [](const char* name, bool red, bool friendMode, const char* crop,
                            int season, int stage, const char* hours, const char* minutes,
                            bool ticked, const char* cells) {
            QTest::newRow(name) << red << friendMode << QString(crop) << season << stage
                                << QString(hours) << QString(minutes) << ticked
                                << QString(cells).split(u'|');
        };
        row("own pasture", false, false, "牧草", 0, 4, "", "", false,
            "0|牧草|2009-10-01 12:00:00|2009-10-01 20:00:00|||1");
        row("own bottle tree", true, false, "瓶子树", 0, 4, "", "", false,
            "0|瓶子树|2009-10-01 12:00:00|2009-10-02 13:00:00|||1");
        row("friend apple ripe", false, true, "苹果", 0, 4, "0", "30", true,
            "40|苹果|2009-09-30 15:30:00|2009-10-01 12:30:00||0天0小时30分0秒成熟|1");
        row("friend apple second bloom", false, true, "苹果", 1, 0, "0", "30", true,
            "40|苹果|2009-09-30 11:30:00|2009-10-01 17:30:00||0天5小时30分0秒成熟|2");
        row("friend empty fields before the first tick", false, true, "苹果", 0, 4, "", "", false,
            "40|苹果|2009-09-30 15:00:00|2009-10-01 12:00:00|||1");
    }
    void addRows() {
        QFETCH(bool, red);
        QFETCH(bool, friendMode);
        QFETCH(QString, crop);
        QFETCH(int, season);
        QFETCH(int, stage);
        QFETCH(QString, hours);
        QFETCH(QString, minutes);
        QFETCH(bool, ticked);
        Harness h;
        h.now = at("2009-10-01 12:00:00");
        if (red)
            QTest::mouseClick(h.c<QRadioButton>(1046), Qt::LeftButton);
        h.chooseCrop(crop);
        h.c<QDateTimeEdit>(1000)->setDateTime(QDateTime::fromSecsSinceEpoch(h.now));
        if (ticked) {
            h.dlg->OnTimer();
            QCOMPARE(h.c<QLabel>(1009)->text(), QStringLiteral("2009-10-01 12:00:00"));
            h.now += 7; // the label, not the clock, is the reference
        }
        if (friendMode) {
            QTest::mouseClick(h.c<QCheckBox>(1015), Qt::LeftButton);
            h.c<QComboBox>(1022)->setCurrentIndex(season);
            h.c<QComboBox>(1020)->setCurrentIndex(stage);
            h.c<QLineEdit>(1018)->setText(hours);
            h.c<QLineEdit>(1019)->setText(minutes);
        }
        h.add();
        h.add();
        QCOMPARE(h.dlg->Reminders().count(), 2);
        QTEST(h.rowTexts(1), "row");
        QCOMPARE(h.dlg->Reminders().row(1).rowId, 1u);
        QVERIFY(h.messages.isEmpty());
        QCOMPARE(h.dlg->SelectedRow(), -1);
        if (friendMode) // the form is left as it was
            QCOMPARE(h.c<QLineEdit>(1018)->text(), hours);
    }

    void friendErrorAddsNothing() {
        Harness h;
        QTest::mouseClick(h.c<QCheckBox>(1015), Qt::LeftButton);
        h.c<QLineEdit>(1018)->setText("99999999");
        h.add();
        QCOMPARE(h.messages.size(), 1);
        QCOMPARE(h.dlg->Reminders().count(), 0);
    }

    void deleteSelected() {
        Harness h;
        for (int i = 0; i < 6; ++i) {
            h.c<QLineEdit>(1008)->setText(QString::number(i));
            h.add();
        }
        CFlipSortListCtrl* v = h.dlg->ReminderView();
        h.clickRow(1);
        QTest::mouseClick(v->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          v->visualRect(v->model()->index(3, 1)).center());
        QTest::mouseClick(v->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          v->visualRect(v->model()->index(4, 1)).center());
        QCOMPARE(v->selectionModel()->selectedRows().size(), 3);
        QTest::mouseClick(h.c<QPushButton>(1006), Qt::LeftButton);
        QCOMPARE(h.dlg->Reminders().count(), 3);
        QStringList notes;
        for (int i = 0; i < 3; ++i) {
            notes << h.cell(i, ReminderTable::ColNote);
            QCOMPARE(h.dlg->Reminders().row(i).rowId, quint32(i));
        }
        QCOMPARE(notes, (QStringList{"0", "2", "5"}));
        // Nothing selected: nothing goes.
        v->clearSelection();
        QTest::mouseClick(h.c<QPushButton>(1006), Qt::LeftButton);
        QCOMPARE(h.dlg->Reminders().count(), 3);
        h.add();
        QCOMPARE(h.dlg->Reminders().row(3).rowId, 3u);
    }

    void clickRowsAndNextSeasonButton() {
        Harness h;
        h.chooseCrop("路易十四");
        h.c<QDateTimeEdit>(1000)->setDateTime(
            QDateTime::fromSecsSinceEpoch(at("2009-09-01 00:00:00")));
        h.add(); // row 0: ripe long ago
        h.c<QDateTimeEdit>(1000)->setDateTime(QDateTime::fromSecsSinceEpoch(h.now));
        h.add(); // row 1: still growing
        h.dlg->Reminders().setNow(h.now);
        QPushButton* next = h.c<QPushButton>(1037);
        h.clickRow(0);
        QVERIFY(next->isEnabled());
        QCOMPARE(h.dlg->SelectedRow(), 0);
        QCOMPARE(h.panel()[0], QStringLiteral("2009-09-02 16:00:00"));
        h.clickRow(1);
        QVERIFY(!next->isEnabled());
        QCOMPARE(h.dlg->SelectedRowId(), qint64(h.dlg->Reminders().row(1).rowId));
        h.clickRow(0);
        QVERIFY(next->isEnabled());
        // Below the last row: no row, the button stays as it was.
        CFlipSortListCtrl* v = h.dlg->ReminderView();
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {},
                          QPoint(20, v->viewport()->height() - 3));
        QCOMPARE(h.dlg->SelectedRow(), -1);
        QVERIFY(next->isEnabled());
        h.add();
        QVERIFY(!next->isEnabled());
    }

    void rowViewOfLaterSeason() {
        Harness h;
        h.chooseCrop("路易十四");
        QTest::mouseClick(h.c<QCheckBox>(1015), Qt::LeftButton);
        h.c<QComboBox>(1022)->setCurrentIndex(2);
        h.add();
        h.clickRow(0);
        const QStringList p = h.panel();
        QCOMPARE(p[0], QStringLiteral("已成熟"));
        QCOMPARE(p[1], QStringLiteral("已成熟"));
        QCOMPARE(p[2], h.cell(0, ReminderTable::ColRipe));
        // A crop change brings the form's schedule back.
        h.chooseCrop("牧草");
        QCOMPARE(h.panel()[1], QStringLiteral("--.--.--"));
    }

    void noteLimit_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("keptChars");
        const QString cjk = QStringLiteral("果");
        QTest::newRow("45 double-byte fit") << cjk.repeated(45) << 45;
        QTest::newRow("46th refused") << cjk.repeated(46) << 45;
        QTest::newRow("odd byte left") << (QStringLiteral("a") + cjk.repeated(45)) << 45;
        QTest::newRow("ascii") << QStringLiteral("x").repeated(100) << 90;
    }
    void noteLimit() {
        QFETCH(QString, typed);
        QFETCH(int, keptChars);
        Harness h;
        QLineEdit* note = h.c<QLineEdit>(1008);
        typeText(note, typed);
        QCOMPARE(note->text(), typed.left(keptChars));
        QVERIFY(Cp936::EncodedLength(note->text()) <= 90);
    }

    void notePasteIsCutAtCharacter() {
        Harness h;
        QLineEdit* note = h.c<QLineEdit>(1008);
        QTest::keyClicks(note, QStringLiteral("ab"));
        note->setCursorPosition(1);
        note->insert(QStringLiteral("果").repeated(60)); // as a paste does
        const QString t = note->text();
        QVERIFY(t.startsWith(u'a'));
        QVERIFY(t.endsWith(u'b'));
        QCOMPARE(Cp936::EncodedLength(t), 90);
        QCOMPARE(t.size(), 46);
    }

    void noteIsPlainText() {
        Harness h;
        h.c<QLineEdit>(1008)->setText(QStringLiteral("<b>x</b>"));
        h.add();
        QCOMPARE(h.cell(0, ReminderTable::ColNote), QStringLiteral("<b>x</b>"));
        QCOMPARE(h.cell(0, ReminderTable::ColNote).size(), 8);
        QCOMPARE(h.c<QLineEdit>(1008)->text(), QStringLiteral("<b>x</b>"));
    }

    void clockTicks() {
        Harness h;
        h.now = at("2009-10-01 23:59:59");
        QTRY_COMPARE_WITH_TIMEOUT(h.c<QLabel>(1009)->text(), QStringLiteral("2009-10-01 23:59:59"),
                                  30000);
        QVERIFY(h.dlg->SecondTimer().isActive());
    }

    void renderScreenshots() {
        Harness h;
        h.dlg->OnTimer();
        h.chooseCrop("路易十四");
        h.c<QLineEdit>(1008)->setText(QStringLiteral("小明"));
        h.add();
        h.chooseCrop("苹果");
        h.add();
        h.dlg->Reminders().setNow(h.now);
        h.dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(h.dlg.get()));
        const QString dir = qEnvironmentVariable("FW_ARTEFACTS", QDir::currentPath());
        for (int scale : {1, 2}) {
            QImage img(h.dlg->size() * scale, QImage::Format_ARGB32);
            img.setDevicePixelRatio(scale);
            img.fill(Qt::white);
            h.dlg->render(&img);
            // The clock label area must hold dark text pixels, not just background.
            const QRect clock = h.c<QLabel>(1009)->geometry();
            int dark = 0;
            for (int y = clock.top(); y <= clock.bottom(); ++y)
                for (int x = clock.left(); x <= clock.right(); ++x)
                    dark += qGray(img.pixel(x * scale, y * scale)) < 80;
            QVERIFY(dark > 20);
            const QString path = dir + QStringLiteral("/reminder-dlg-%1x.png").arg(scale);
            QVERIFY(img.save(path));
        }
    }
};

QTEST_MAIN(TestReminderDlg)
#include "TestReminderDlg.moc"
