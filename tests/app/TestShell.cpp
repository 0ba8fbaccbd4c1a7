#include "alarm/AlarmFakes.h"
#include "alarm/AlertQueue.h"
#include "app/CAboutBox.h"
#include "app/CommandLine.h"
#include "app/DesktopNotifier.h"
#include "app/QtAlertPresenter.h"
#include "app/QtShellPorts.h"
#include "app/ScreenFit.h"
#include "app/ShellController.h"
#include "app/SingleInstance.h"

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
// turns each call down after accepting it ("refuses").
class FakeNotifier final : public NotifierPort {
public:
    bool notify(const QString& caption, const QString& text) override {
        if (mode == "off")
            return false;
        notes << caption + u'|' + QString(text).replace(u'\n', u'/');
        if (mode == "refuses")
            emit undelivered(caption, text);
        return true;
    }
    QString mode = "off";
    QStringList notes;
};

template <class E> QString Name(E value) {
    return QString::fromLatin1(QMetaEnum::fromType<E>().valueToKey(int(value)));
}

// The controller over a real window and a fake tray; "close" asks until "ok" or "cancel".
struct Rig {
    QWidget widget;
    QtWindowPort window{&widget};
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
        shell.setSaveFunction([this] {
            ++saves;
            if (full)
                return ShellController::SaveResult{false, "disk full", "/d/foodinfo.dat"};
            return ShellController::SaveResult{};
        });
        shell.setExitSaveNotice([this](const QString& text, std::function<void()> done) {
            told << text;
            dismiss = done;
        });
        shell.setExitFunction([this] { ++exits; });
        shell.setAboutFunction([this] { ++abouts; });
        shell.watchApplication(QCoreApplication::instance());
        QObject::connect(&shell, &ShellController::endRequested,
                         [this](ShellController::EndReason r) { ends << Name(r); });
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
        return QString::asprintf("%s %s%s q%d a%d n%d %s", qPrintable(Name(shell.state())),
                                 qPrintable(win), tray.isIconVisible() ? "+icon" : "", questions,
                                 abouts, int(tray.messages.size()), qPrintable(ends.join(u',')))
            .trimmed()
            .prepend(notifier.notes.isEmpty() ? "" : notifier.notes.join(u',') + u' ')
            .append(told.isEmpty() ? "" : QString(" told x%1").arg(exits));
    }
};

} // namespace

class TestShell : public QObject {
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
        row("nothing after ending", "trayclose min left about alert forward",
            "Ending shown q0 a0 n0 TrayClose");
        row("second close while asking", "close close cancel", "HiddenToTray hidden+icon q1 a0 n0");
        row("signal", "sigterm", "Ending shown q0 a0 n0 Signal");
        row("session end", "session", "Ending shown q0 a0 n0 SessionEnd");
        row("application quits", "quit", "Ending shown q0 a0 n0 AppQuit");
        // Out of sight, every alert (one per catch-up batch) tells the desktop, boxes on or off;
        // a box brings the window back.
        row("shown: nobody told", "notify quiet alert two gap", "Shown shown q0 a0 n0");
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

    void trayMenu() {
        QtTrayPort tray(nullptr, 0);
        QSignalSpy closes(&tray, &TrayPort::closeChosen), abouts(&tray, &TrayPort::aboutChosen);
        QStringList seen; // each entry with the close and About signals so far
        for (QAction* a : tray.menu()->actions()) {
            a->trigger();
            seen << a->text() + QString::asprintf(":%d%d", int(closes.size()), int(abouts.size()));
        }
        QCOMPARE(seen, (QStringList{"关闭:10", "关于 Fruitwake(&A)...:11"}));
    }

    // No bus, no service: the shell falls back to the tray.
    void notifierWithoutBus() {
        DesktopNotifier notifier(QDBusConnection(QStringLiteral("nowhere")));
        QVERIFY(!notifier.notify(QStringLiteral("Fruitwake"), QStringLiteral("ripe")));
    }

    // The ripe box, the close question and the exit-save notice show their texts as given and
    // block no other window; Escape or closing the question counts as Cancel, and the notice
    // goes on however it ends. The ripe box, after the window was brought forward, stays on
    // top and is shown without activation (whether the focus stays is for tests/e2e).
    void boxes_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("how"); // a button, a key, or 0 for closing the box
        QTest::addColumn<QString>("answer");
        QTest::newRow("ripe OK") << "ripe" << int(QMessageBox::Ok) << "done";
        QTest::newRow("question OK") << "question" << int(QMessageBox::Ok) << "OK";
        QTest::newRow("question Escape") << "question" << int(Qt::Key_Escape) << "Cancel";
        QTest::newRow("question closed") << "question" << 0 << "Cancel";
        QTest::newRow("notice Escape") << "notice" << int(Qt::Key_Escape) << "done";
    }
    void boxes() {
        QFETCH(QString, kind);
        QFETCH(int, how);
        QWidget owner;
        owner.show();
        QString answer, caption = QStringLiteral("Fruitwake");
        const QString text = QString::fromUtf8("<b>牧草</b>成熟了！");
        QStringList forwarded;
        QtAlertPresenter presenter(&owner, [&forwarded](const QString& t) { forwarded << t; });
        connect(&presenter, &AlertPresenter::dismissed, [&answer] { answer = "done"; });
        if (kind == "ripe")
            presenter.present({false, {{Alert::Kind::Ripe, 0, {}, 0, text}}});
        else if (kind == "notice")
            MessageBoxNotice (&owner)(text, [&answer] { answer = "done"; });
        else
            MessageBoxQuestion (&owner)(caption = QStringLiteral("关闭提醒"), text,
                                        [&](bool ok) { answer = ok ? "OK" : "Cancel"; });
        QMessageBox* box =
            kind == "ripe" ? presenter.currentBox() : owner.findChild<QMessageBox*>();
        QVERIFY(box && answer.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(box->isVisible(), 10000);
        QCOMPARE(box->windowTitle() + u'|' + box->text(), caption + u'|' + text);
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QVERIFY(box->windowModality() != Qt::ApplicationModal);
        if (kind == "ripe") {
            QCOMPARE(forwarded, QStringList{text});
            QVERIFY(box->windowFlags() & Qt::WindowStaysOnTopHint);
            QVERIFY(box->testAttribute(Qt::WA_ShowWithoutActivating));
        }
        if (how == Qt::Key_Escape)
            QTest::keyClick(box, Qt::Key_Escape);
        else if (how)
            box->button(QMessageBox::StandardButton(how))->click();
        else
            box->close();
        QTRY_VERIFY_WITH_TIMEOUT(!answer.isEmpty(), 10000);
        QTEST(answer, "answer");
        QVERIFY(!presenter.currentBox());
    }

    // A second start hands over to a first that answers, and takes the place of one that does
    // not (hung, or its process id reused); a socket left by a crash is no obstacle.
    void secondStartHandsOver() {
        QTemporaryDir dir;
        const QString lock = dir.filePath("sub/fruitwake.lock"), name = dir.filePath("s.sock");
        QFile stale(name);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        // The running one answers from this thread while the new start waits in its own.
        // A hidden start (forward false) only learns that the first lives.
        const auto handsOverTo = [&](SingleInstance& running, bool forward = true) {
            QSignalSpy activated(&running, &SingleInstance::activationRequested);
            auto outcome = SingleInstance::Outcome::Failed;
            const std::unique_ptr<QThread> next(
                QThread::create([&] { outcome = SingleInstance(lock, name).start(forward); }));
            next->start();
            const bool ended = QTest::qWaitFor([&] { return next->isFinished(); }, 10000);
            next->wait();
            return ended && activated.size() == int(forward) &&
                   outcome == SingleInstance::Outcome::AlreadyRunning;
        };
        SingleInstance first(lock, name);
        QCOMPARE(first.start(), SingleInstance::Outcome::Primary);
        QVERIFY(handsOverTo(first));
        QVERIFY(handsOverTo(first, false));
        // Blocked here, the first cannot answer: the next start takes over, and says why.
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("no answer from the running Fruitwake.*taking"));
        SingleInstance taker(lock, name);
        QCOMPARE(taker.start(), SingleInstance::Outcome::Primary);
        QVERIFY(handsOverTo(taker));
    }

    // The guard lives in the runtime folder, keyed by the data file, not in a folder the user
    // may delete.
    void guardOutsideTheDataFolder() {
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        const auto a = SingleInstance::ForDataFile("/data/a/foodinfo.dat");
        const auto b = SingleInstance::ForDataFile("/data/a/../a/other.dat");
        QCOMPARE(QFileInfo(a->lockPath()).absolutePath(), runtime.path());
        QVERIFY(a->lockPath() != b->lockPath() && a->serverName() != b->serverName());
        QCOMPARE(SingleInstance::ForDataFile("/data/a/./foodinfo.dat")->lockPath(), a->lockPath());
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("outcome"); // run/hidden or exit code, stdout's start, stderr
        QTest::newRow("none") << QStringList{} << "run||";
        QTest::newRow("hidden") << QStringList{"--hidden"} << "hidden||";
        QTest::newRow("toolkit's own") << QStringList{"-platform", "xcb", "-hidden"} << "hidden||";
        QTest::newRow("help") << QStringList{"--help", "--hidden"}
                              << "0|Usage: fruitwake [options]|";
        QTest::newRow("version") << QStringList{"-v"} << "0|Fruitwake 1.8.0|";
        QTest::newRow("unknown") << QStringList{"--hiden"}
                                 << "2||fruitwake: Unknown option 'hiden'.（用 --help 查看用法）";
        QTest::newRow("stray") << QStringList{"a b"}
                               << "2||fruitwake: 多余的参数：a b（用 --help 查看用法）";
    }
    void commandLine() {
        QFETCH(QStringList, args);
        const auto o = CommandLine::Parse(QStringList{"/usr/bin/fruitwake"} + args);
        const QString head =
            o.run ? QString(o.hidden ? "hidden" : "run") : QString::number(o.exitCode);
        QTEST(head + u'|' + o.out.section(u'\n', 0, 0) + u'|' + o.err.trimmed(), "outcome");
    }

    // Inside 721 x 744 with a table of 369; frame 4/24/4/4 unless told.
    void screenFit_data() {
        QTest::addColumn<QSize>("available");
        QTest::addColumn<int>("frameTop");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<int>("shrink");
        QTest::newRow("exactly") << QSize(729, 772) << 24 << QSize(721, 744) << 0;
        QTest::newRow("1280x720") << QSize(1280, 720) << 24 << QSize(721, 692) << 52;
        QTest::newRow("no title bar") << QSize(1280, 720) << 0 << QSize(721, 716) << 28;
        QTest::newRow("1024x600") << QSize(1024, 600) << 24 << QSize(721, 572) << 172;
        QTest::newRow("table at its least") << QSize(800, 400) << 24 << QSize(721, 372) << 309;
        QTest::newRow("narrow and low") << QSize(640, 300) << 24 << QSize(632, 272) << 309;
    }
    void screenFit() {
        QFETCH(QSize, available);
        QFETCH(int, frameTop);
        const auto r =
            ScreenFit::Fit({QSize(721, 744), 369, 60}, QMargins(4, frameTop, 4, 4), available);
        QTEST(r.client, "client");
        QTEST(r.shrink, "shrink");
    }

    void aboutBoxTexts() {
        CAboutBox box;
        QCOMPARE(box.windowTitle(), QStringLiteral("关于 Fruitwake"));
        QStringList texts;
        for (const QLabel* label : box.findChildren<QLabel*>()) {
            if (!label->text().isEmpty()) {
                texts << label->text();
                QCOMPARE(label->textFormat(), Qt::PlainText);
            }
        }
        QCOMPARE(texts,
                 (QStringList{"Fruitwake V1.8版", "农场作物成熟提醒", "自由软件", "MIT 许可"}));
        QCOMPARE(box.okButton()->text(), QStringLiteral("确定"));
        QVERIFY(!box.iconLabel()->pixmap().isNull());
    }
};

QTEST_MAIN(TestShell)
#include "TestShell.moc"
