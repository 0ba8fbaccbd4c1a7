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
// window is minimised), focused or not; never asked to minimise a minimised window.
class RigWindow final : public WindowPort {
public:
    explicit RigWindow(QWidget* w) : real(w) {}
    void showAndActivate() override { real.showAndActivate(); }
    void showInFront() override { real.showInFront(); }
    void hide() override { real.hide(); }
    void showMinimized() override {
        QVERIFY(!real.isMinimized());
        real.showMinimized();
    }
    bool isVisible() const override { return real.isVisible(); }
    bool isMinimized() const override { return real.isMinimized(); }
    bool isActive() const override { return active; }
    bool knowsIfMinimized() const override { return !wayland; }
    QtWindowPort real;
    bool wayland = false, active = false;
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
        shell.setQuestion([this](auto&, auto&, auto answer) { ++questions, pending << answer; });
        shell.setSaveFunction(
            [this] {
                return ++saves, SaveResult{!full, full ? "disk full" : ""};
            },
            "/d/foodinfo.dat");
        shell.setExitSaveNotice([this](auto& text, auto done) { told << text, dismiss = done; });
        shell.setExitFunction([this] { ++exits; });
        shell.setAboutFunction([this] { ++abouts; });
        shell.watchApplication(QCoreApplication::instance());
        QObject::connect(&shell, &ShellController::endRequested,
                         [this](ShellController::EndReason r) { ends << name(r); });
    }
    // Alerts of these texts, raised in one tick (or after a gap).
    void enqueue(const QString& texts, bool catchUp = false, Alert::Kind kind = Alert::Kind::Ripe) {
        AlertBatch batch{catchUp, {}};
        for (const QString& t : texts.split(u' '))
            batch.alerts.push_back({kind, 0, {}, 0, t});
        queue.enqueue(batch);
    }
    void run(const QString& script) {
        const QHash<QString, std::function<void()>> steps{
            {"notray", [this] { tray.available = false; }},
            {"notify", [this] { notifier.mode = "on"; }},
            {"refuses", [this] { notifier.mode = "refuses"; }},
            {"min", [this] { shell.requestMinimize(); }},
            // The window minimised by the desktop, or its own request handed back.
            {"winmin", [this] { widget.showMinimized(), shell.windowMinimized(); }},
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
            {"quiet", [this] { enqueue("ripe"); }},
            {"alert", [this] { enqueue("ripe"), shell.alertRaised(); }},
            {"two", [this] { enqueue("a b"); }},
            {"gap", [this] { enqueue("a b", true); }},
            {"warn", [this] { enqueue("w", false, Alert::Kind::Warning); }},
            {"forward", [this] { shell.bringForward(); }},
            {"sigterm", [this] { shell.endOnSignal(SIGTERM); }},
            {"session", [this] { shell.requestEnd(ShellController::EndReason::SessionEnd); }},
            {"quit", [] { QMetaObject::invokeMethod(qApp, "aboutToQuit"); }},
            {"full", [this] { full = true; }}, // every save from here on fails
        };
        for (const QString& step : script.split(u' '))
            steps.value(step, [step] { QFAIL(qPrintable("unknown step " + step)); })();
    }
    // Desktop notices, state, window, tray icon, questions, About boxes, tray messages, ends,
    // and once a failed exit save was told, the exits so far.
    QString summary() const {
        const QString win = !widget.isVisible() ? "hidden" : widget.isMinimized() ? "min" : "shown";
        QStringList s{notifier.notes.join(u','), name(shell.state()),
                      win + (tray.isIconVisible() ? "+icon" : "")};
        for (const auto& [key, n] :
             {std::pair{'q', questions}, {'a', abouts}, {'n', int(tray.messages.size())}})
            s << (n ? key + QString::number(n) : "");
        s << ends << (told.isEmpty() ? "" : QString("told x%1").arg(exits));
        return s.join(u' ').simplified();
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
        row("close OK ends", "close ok", "Ending shown q1 CloseConfirmed");
        row("left click restores", "min left", "Shown shown");
        row("right or double click, dismissed", "min right double", "HiddenToTray hidden+icon");
        row("tray about while hidden", "min trayabout", "HiddenToTray hidden+icon a1");
        row("tray vanishes while hidden", "min traygone", "Shown shown");
        row("alerts notify only while hidden", "alert min alert alert", "Shown shown n1");
        row("second start while hidden", "close cancel forward", "Shown shown q1");
        row("no tray: minimise", "notray min", "Shown min");
        row("no tray: restored by forward", "notray min forward", "Shown shown");
        row("minimised by the desktop", "winmin", "HiddenToTray hidden+icon");
        row("no tray: minimised by the desktop", "notray winmin", "Shown min");
        row("nothing after ending", "trayclose min left about alert forward",
            "Ending shown TrayClose");
        row("second close while asking", "close close cancel", "HiddenToTray hidden+icon q1");
        row("application quits", "quit", "Ending shown AppQuit");
        // Out of sight, every alert (one per catch-up batch) tells the desktop, boxes on or off
        // (a box bringing the window back, with or without a tray: tests/e2e/alert_keeps_focus.sh).
        row("shown: nobody told", "notify quiet alert two gap", "Shown shown");
        // Wayland does not say whether the window is minimised: told unless it has the focus.
        row("Wayland, focused: nobody told", "notify wayland focus quiet", "Shown shown");
        row("Wayland, unfocused: told", "notify wayland quiet", "Fruitwake|ripe Shown shown");
        row("boxes off: each told, stays hidden", "notify min quiet two",
            "Fruitwake|ripe,Fruitwake|a,Fruitwake|b HiddenToTray hidden+icon");
        row("catch-up batch told once", "notify min gap", "Fruitwake|a/b HiddenToTray hidden+icon");
        row("refused: tray", "refuses min quiet", "Fruitwake|ripe HiddenToTray hidden+icon n1");
        row("warning expires", "notify min warn", "Fruitwake|w~ HiddenToTray hidden+icon");
        // A failed last save is told in a box when the user ends the program, and the end follows
        // its dismissal (closing: tests/e2e/exit_save_box.sh); a signal or the session's end only
        // log it, and a signal ends an open box.
        row("failed save: tray close", "full min trayclose", "Ending hidden told x0");
        row("failed save: signal, told", "full close ok sigterm", "Ending shown q1 Signal told x1");
        row("failed save: signal", "full sigterm", "Ending shown Signal");
        row("failed save: session end, told", "full close ok session",
            "Ending shown q1 SessionEnd told x1");
        row("failed save: session end", "full session", "Ending shown SessionEnd");
        row("open question, signal, OK", "close sigterm ok", "Ending shown q1 Signal");
        row("ends once", "close ok trayclose sigterm", "Ending shown q1 CloseConfirmed");
    }
    void transitions() {
        QFETCH(QString, script);
        Rig rig;
        if (script.startsWith("full"))
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("disk full"));
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
