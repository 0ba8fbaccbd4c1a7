#include "alarm/AlarmFakes.h"
#include "alarm/AlertQueue.h"
#include "shell/QtShellPorts.h"
#include "shell/ShellController.h"

#include <QtTest>
#include <QtWidgets>
#include <csignal>

namespace {

class FakeTray final : public TrayPort {
public:
    void showIcon(const QString& t) override { tip = t; }
    void hideIcon() override { tip.clear(); }
    bool isIconVisible() const override { return !tip.isEmpty(); }
    bool isAvailable() const override { return available; }
    void showMessage(const QString& a, const QString& b) override { messages << a + u'|' + b; }
    bool available = true;
    QString tip;
    QStringList messages;
};

// A desktop notification service that is there ("on"), missing ("off"), or
// turns each call down after accepting it ("refuses"). Notes that expire end in "~".
class FakeNotifier final : public NotifierPort {
public:
    bool notify(const QString& caption, const QString& text, bool lasting) override {
        if (mode == "off")
            return false;
        notes << caption + u'|' + QString(text).replace(u'\n', u'/') + (lasting ? "" : "~");
        if (mode == "refuses")
            emit undelivered(caption, text);
        return true;
    }
    QString mode = "off";
    QStringList notes;
};

// The real window port, as X11 or as Wayland (which never says whether the
// window is minimised), focused or not, counting the shell's minimise requests.
class RigWindow final : public WindowPort {
public:
    explicit RigWindow(QWidget* w) : real(w) {}
    void showAndActivate() override { real.showAndActivate(); }
    void showInFront() override { real.showInFront(); }
    void hide() override { real.hide(); }
    void showMinimized() override { ++minimises, real.showMinimized(); }
    bool isVisible() const override { return real.isVisible(); }
    bool isMinimized() const override { return real.isMinimized(); }
    bool isActive() const override { return active; }
    bool knowsIfMinimized() const override { return !wayland; }
    QtWindowPort real;
    bool wayland = false, active = false;
    int minimises = 0;
};

template <class E> QString name(E value) {
    return QString::fromLatin1(QMetaEnum::fromType<E>().valueToKey(int(value)));
}

// The controller over a real window and a fake tray; "close" asks until "ok" or "cancel".
struct Rig {
    QWidget widget;
    RigWindow window{&widget};
    FakeTray tray;
    FakeNotifier notifier;
    ShellController shell{window, tray};
    int questions = 0, saves = 0, exits = 0, abouts = 0;
    bool full = false;
    QString asked;
    QStringList ends, told; // end reasons, exit-save notices
    std::function<void()> dismiss;
    QList<ShellController::Answer> pending;
    // The real queue with boxes off, so only the shell shows anything.
    QStringList log;
    FakeChime chime{&log};
    FakeDeck deck{&log};
    FakePresenter boxes{&log};
    AlertQueue queue{chime, deck, boxes};

    Rig() {
        widget.show();
        chime.endAtOnce = true;
        queue.setShowBoxes([] { return false; });
        shell.watchAlerts(&queue);
        shell.setNotifier(&notifier);
        shell.setQuestion([this](const QString& c, const QString& t, ShellController::Answer a) {
            ++questions;
            asked = c + u'|' + t;
            pending << a;
        });
        shell.setSaveFunction(
            [this] {
                ++saves;
                if (full)
                    return SaveResult{false, "disk full"};
                return SaveResult{true, {}};
            },
            "/d/foodinfo.dat");
        shell.setExitSaveNotice([this](const QString& text, std::function<void()> done) {
            told << text;
            dismiss = done;
        });
        shell.setExitFunction([this] { ++exits; });
        shell.setAboutFunction([this] { ++abouts; });
        shell.watchApplication(QCoreApplication::instance());
        QObject::connect(&shell, &ShellController::endRequested,
                         [this](ShellController::EndReason r) { ends << name(r); });
    }
    // Alerts of these texts, raised in one tick (or after a gap).
    void enqueue(const QString& texts, bool catchUp = false) {
        AlertBatch batch{catchUp, {}};
        for (const QString& t : texts.split(u' '))
            batch.alerts.push_back({Alert::Kind::Ripe, 0, {}, 0, t});
        queue.enqueue(batch);
    }
    void run(const QString& script) {
        const QHash<QString, std::function<void()>> steps{
            {"notray", [this] { tray.available = false; }},
            {"notify", [this] { notifier.mode = "on"; }},
            {"refuses", [this] { notifier.mode = "refuses"; }},
            {"min", [this] { shell.requestMinimize(); }},
            {"winmin", // the window minimised by the desktop, or its own request handed back
             [this] {
                 widget.showMinimized();
                 const int before = window.minimises;
                 shell.windowMinimized();
                 QCOMPARE(window.minimises, before);
             }},
            {"wayland", [this] { window.wayland = true; }},
            {"focus", [this] { window.active = true; }},
            {"close", [this] { shell.requestClose(); }},
            {"ok", [this] { pending.takeFirst()(true); }},
            {"cancel", [this] { pending.takeFirst()(false); }},
            {"left", [this] { emit tray.activated(TrayActivation::Trigger); }},
            {"right", [this] { emit tray.activated(TrayActivation::Context); }},
            {"double", [this] { emit tray.activated(TrayActivation::DoubleClick); }},
            {"trayclose", [this] { emit tray.closeChosen(); }},
            {"trayabout", [this] { emit tray.aboutChosen(); }},
            {"about", [this] { shell.requestAbout(); }},
            {"traygone", [this] { emit tray.availabilityChanged(tray.available = false); }},
            {"trayback", [this] { emit tray.availabilityChanged(tray.available = true); }},
            {"quiet", [this] { enqueue("ripe"); }},
            {"alert", [this] { enqueue("ripe"), shell.alertRaised(); }},
            {"two", [this] { enqueue("a b"); }},
            {"gap", [this] { enqueue("a b", true); }},
            {"warn",
             [this] {
                 queue.enqueue({false, {{Alert::Kind::Warning, 0, {}, 0, "w"}}});
             }},
            {"click", [this] { emit notifier.clicked(); }},
            {"forward", [this] { shell.bringForward(); }},
            {"sigterm", [this] { shell.endOnSignal(SIGTERM); }},
            {"session", [this] { shell.requestEnd(ShellController::EndReason::SessionEnd); }},
            {"quit", [] { QMetaObject::invokeMethod(qApp, "aboutToQuit"); }},
            {"full",
             [this] { // every save from here on fails
                 full = true;
                 QTest::ignoreMessage(QtWarningMsg, QRegularExpression("disk full"));
             }},
        };
        for (const QString& step : script.split(u' '))
            steps.value(step, [step] { QFAIL(qPrintable("unknown step " + step)); })();
    }
    // Desktop notices, state, window, tray icon, questions, About boxes, tray messages, ends,
    // and once a failed exit save was told, the exits so far.
    QString summary() const {
        const QString win = !widget.isVisible() ? "hidden" : widget.isMinimized() ? "min" : "shown";
        return QString::asprintf("%s %s%s q%d a%d n%d %s", qPrintable(name(shell.state())),
                                 qPrintable(win), tray.isIconVisible() ? "+icon" : "", questions,
                                 abouts, int(tray.messages.size()), qPrintable(ends.join(u',')))
            .trimmed()
            .prepend(notifier.notes.isEmpty() ? "" : notifier.notes.join(u',') + u' ')
            .append(told.isEmpty() ? "" : QString(" told x%1").arg(exits));
    }
};

} // namespace

class TestShellController : public QObject {
    Q_OBJECT
private slots:
    void transitions_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("summary");
        const auto row = [](const char* name, const char* script, const char* summary) {
            QTest::newRow(name) << QString(script) << QString(summary);
        };
        row("minimise hides to the tray", "min", "HiddenToTray hidden+icon q0 a0 n0");
        row("close OK ends", "close ok", "Ending shown q1 a0 n0 CloseConfirmed");
        row("close Cancel hides", "close cancel", "HiddenToTray hidden+icon q1 a0 n0");
        row("about keeps shown", "about", "Shown shown q0 a1 n0");
        row("left click restores", "min left", "Shown shown q0 a0 n0");
        row("right or double click, dismissed", "min right double",
            "HiddenToTray hidden+icon q0 a0 n0");
        row("tray close ends", "min trayclose", "Ending hidden q0 a0 n0 TrayClose");
        row("tray about while hidden", "min trayabout", "HiddenToTray hidden+icon q0 a1 n0");
        row("tray vanishes while hidden", "min traygone", "Shown shown q0 a0 n0");
        row("tray vanishes, then minimise", "traygone min", "Shown min q0 a0 n0");
        row("tray returns", "min traygone trayback", "Shown shown q0 a0 n0");
        row("alerts notify only while hidden", "alert min alert alert", "Shown shown q0 a0 n1");
        row("second start while hidden", "close cancel forward", "Shown shown q1 a0 n0");
        row("no tray: minimise", "notray min", "Shown min q0 a0 n0");
        row("no tray: Cancel", "notray close cancel", "Shown min q1 a0 n0");
        row("no tray: restored by forward", "notray min forward", "Shown shown q0 a0 n0");
        row("minimised by the desktop", "winmin", "HiddenToTray hidden+icon q0 a0 n0");
        row("no tray: minimised by the desktop", "notray winmin", "Shown min q0 a0 n0");
        row("nothing after ending", "trayclose min left about alert forward",
            "Ending shown q0 a0 n0 TrayClose");
        row("second close while asking", "close close cancel", "HiddenToTray hidden+icon q1 a0 n0");
        row("signal", "sigterm", "Ending shown q0 a0 n0 Signal");
        row("session end", "session", "Ending shown q0 a0 n0 SessionEnd");
        row("application quits", "quit", "Ending shown q0 a0 n0 AppQuit");
        // Out of sight, every alert (one per catch-up batch) tells the desktop, boxes on or off;
        // a box brings the window back.
        row("shown: nobody told", "notify quiet alert two gap", "Shown shown q0 a0 n0");
        // Wayland does not say whether the window is minimised: told unless it has the focus.
        row("Wayland, focused: nobody told", "notify wayland focus quiet", "Shown shown q0 a0 n0");
        row("Wayland, unfocused: told", "notify wayland quiet",
            "Fruitwake|ripe Shown shown q0 a0 n0");
        row("boxes off: each told, stays hidden", "notify min quiet two",
            "Fruitwake|ripe,Fruitwake|a,Fruitwake|b HiddenToTray hidden+icon q0 a0 n0");
        row("catch-up batch told once", "notify min gap",
            "Fruitwake|a/b HiddenToTray hidden+icon q0 a0 n0");
        row("box brings the window back", "notify min alert quiet",
            "Fruitwake|ripe Shown shown q0 a0 n0");
        row("minimised, no tray", "notify notray min quiet alert",
            "Fruitwake|ripe,Fruitwake|ripe Shown shown q0 a0 n0");
        row("refused: tray message", "refuses min quiet",
            "Fruitwake|ripe HiddenToTray hidden+icon q0 a0 n1");
        row("warning expires, click brings forward", "notify min warn click",
            "Fruitwake|w~ Shown shown q0 a0 n0");
        // A failed last save is told in a box when the user ends the program, and the end follows
        // its dismissal; a signal or the session's end only log it, and a signal ends an open box.
        row("failed save: close OK", "full close ok", "Ending shown q1 a0 n0 told x0");
        row("failed save: tray close", "full min trayclose", "Ending hidden q0 a0 n0 told x0");
        row("failed save: signal while told", "full close ok sigterm",
            "Ending shown q1 a0 n0 Signal told x1");
        row("failed save: signal", "full sigterm", "Ending shown q0 a0 n0 Signal");
        row("failed save: session end", "full session", "Ending shown q0 a0 n0 SessionEnd");
        row("open question, signal, OK", "close sigterm ok", "Ending shown q1 a0 n0 Signal");
        row("close OK, tray close, signal", "close ok trayclose sigterm",
            "Ending shown q1 a0 n0 CloseConfirmed");
    }
    void transitions() {
        QFETCH(QString, script);
        Rig rig;
        rig.run(script);
        QTEST(rig.summary(), "summary");
        if (rig.dismiss) {
            rig.dismiss();
            rig.dismiss();
            QVERIFY(rig.told[0].contains("/d/foodinfo.dat") && rig.told[0].contains("disk full"));
        }
        // Every way out saves once, then exits once.
        QCOMPARE(rig.saves, rig.ends.size());
        QCOMPARE(rig.exits, rig.ends.size());
        if (rig.tray.isIconVisible())
            QCOMPARE(rig.tray.tip, QStringLiteral("Fruitwake"));
        if (rig.questions)
            QCOMPARE(rig.asked, QStringLiteral("关闭提醒|是否关闭提醒器?"));
        for (const QString& m : rig.tray.messages)
            QCOMPARE(m, QStringLiteral("Fruitwake|ripe"));
        // The application closing its windows while ending passes unasked.
        const int questions = rig.questions;
        QCOMPARE(rig.shell.requestClose(), !rig.ends.isEmpty());
        QVERIFY(rig.ends.isEmpty() || rig.questions == questions);
    }
};

QTEST_MAIN(TestShellController)
#include "TestShellController.moc"
