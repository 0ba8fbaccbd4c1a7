#include "app/ShellController.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>
#include <csignal>

namespace {

class FakeWindow final : public WindowPort {
public:
    void showAndActivate() override {
        visible = true;
        minimized = false;
        ++shows;
    }
    void hide() override { visible = false; }
    void showMinimized() override {
        visible = true;
        minimized = true;
        ++minimizes;
    }
    bool isVisible() const override { return visible; }

    bool visible = true;
    bool minimized = false;
    int shows = 0;
    int minimizes = 0;
};

class FakeTray final : public TrayPort {
public:
    void showIcon(const QString& t) override {
        iconVisible = true;
        tip = t;
    }
    void hideIcon() override { iconVisible = false; }
    bool isIconVisible() const override { return iconVisible; }
    bool isAvailable() const override { return available; }
    void showMessage(const QString& title, const QString& text) override {
        messages << title + QLatin1Char('|') + text;
    }

    void setAvailable(bool on) {
        available = on;
        emit availabilityChanged(on);
    }

    bool available = true;
    bool iconVisible = false;
    QString tip;
    QStringList messages;
};

// One controller with counting fakes; the close question is answered by the
// script, or left open with "close?" and answered later by "ok" / "cancel".
struct Rig {
    FakeWindow window;
    FakeTray tray;
    ShellController shell{window, tray};
    int questions = 0;
    int saves = 0;
    int exits = 0;
    int abouts = 0;
    QString caption, question;
    QList<ShellController::Answer> pending;
    QList<bool> scripted;

    Rig() {
        shell.setQuestion([this](const QString& c, const QString& t, ShellController::Answer a) {
            ++questions;
            caption = c;
            question = t;
            if (!scripted.isEmpty())
                a(scripted.takeFirst());
            else
                pending << a;
        });
        shell.setSaveFunction([this] {
            ++saves;
            return ShellController::SaveResult{};
        });
        shell.setExitFunction([this] { ++exits; });
        shell.setAboutFunction([this] { ++abouts; });
    }

    void run(const QString& script) {
        for (const QString& step : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (step == QLatin1String("min"))
                shell.requestMinimize();
            else if (step.startsWith(QLatin1String("close"))) {
                if (step != QLatin1String("close?"))
                    scripted << (step == QLatin1String("close:ok"));
                shell.requestClose();
            } else if (step == QLatin1String("ok") || step == QLatin1String("cancel"))
                pending.takeFirst()(step == QLatin1String("ok"));
            else if (step == QLatin1String("left"))
                emit tray.activated(TrayActivation::Trigger);
            else if (step == QLatin1String("right"))
                emit tray.activated(TrayActivation::Context);
            else if (step == QLatin1String("double"))
                emit tray.activated(TrayActivation::DoubleClick);
            else if (step == QLatin1String("trayclose"))
                emit tray.closeChosen();
            else if (step == QLatin1String("trayabout"))
                emit tray.aboutChosen();
            else if (step == QLatin1String("about"))
                shell.requestAbout();
            else if (step == QLatin1String("traygone"))
                tray.setAvailable(false);
            else if (step == QLatin1String("trayback"))
                tray.setAvailable(true);
            else if (step == QLatin1String("alert"))
                shell.alertRaised(QStringLiteral("ripe"));
            else if (step == QLatin1String("forward"))
                shell.bringForward();
            else if (step == QLatin1String("sigterm"))
                shell.endOnSignal(SIGTERM);
            else if (step == QLatin1String("session"))
                shell.requestEnd(ShellController::EndReason::SessionEnd);
            else
                QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
        }
    }
};

using State = ShellController::State;

} // namespace

class TestShellController : public QObject {
    Q_OBJECT
private slots:
    void transitions_data() {
        QTest::addColumn<bool>("tray");
        QTest::addColumn<QString>("script");
        QTest::addColumn<State>("state");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("icon");
        QTest::addColumn<int>("minimizes");
        QTest::addColumn<int>("ends");
        QTest::addColumn<int>("abouts");
        QTest::addColumn<int>("questions");

        QTest::newRow("minimise hides to the tray")
            << true << "min" << State::HiddenToTray << false << true << 0 << 0 << 0 << 0;
        QTest::newRow("close OK ends")
            << true << "close:ok" << State::Ending << true << false << 0 << 1 << 0 << 1;
        QTest::newRow("close Cancel hides")
            << true << "close:cancel" << State::HiddenToTray << false << true << 0 << 0 << 0 << 1;
        QTest::newRow("about keeps shown")
            << true << "about" << State::Shown << true << false << 0 << 0 << 1 << 0;
        QTest::newRow("left click restores")
            << true << "min left" << State::Shown << true << false << 0 << 0 << 0 << 0;
        QTest::newRow("tray close ends")
            << true << "min trayclose" << State::Ending << false << false << 0 << 1 << 0 << 0;
        QTest::newRow("right click, dismissed")
            << true << "min right" << State::HiddenToTray << false << true << 0 << 0 << 0 << 0;
        QTest::newRow("double click after restore")
            << true << "min left double" << State::Shown << true << false << 0 << 0 << 0 << 0;
        QTest::newRow("tray about while hidden")
            << true << "min trayabout" << State::HiddenToTray << false << true << 0 << 0 << 1 << 0;
        QTest::newRow("left click while shown")
            << true << "left" << State::Shown << true << false << 0 << 0 << 0 << 0;
        QTest::newRow("minimise twice")
            << true << "min min" << State::HiddenToTray << false << true << 0 << 0 << 0 << 0;
        QTest::newRow("tray vanishes while hidden")
            << true << "min traygone" << State::Shown << true << false << 0 << 0 << 0 << 0;
        QTest::newRow("tray vanishes, then minimise")
            << true << "traygone min" << State::Shown << true << false << 1 << 0 << 0 << 0;
        QTest::newRow("tray returns after vanishing")
            << true << "min traygone trayback" << State::Shown << true << false << 0 << 0 << 0 << 0;
        QTest::newRow("alert while hidden")
            << true << "min alert" << State::Shown << true << false << 0 << 0 << 0 << 0;
        QTest::newRow("second start while hidden")
            << true << "close:cancel forward" << State::Shown << true << false << 0 << 0 << 0 << 1;
        QTest::newRow("no tray: minimise")
            << false << "min" << State::Shown << true << false << 1 << 0 << 0 << 0;
        QTest::newRow("no tray: Cancel")
            << false << "close:cancel" << State::Shown << true << false << 1 << 0 << 0 << 1;
        QTest::newRow("no tray: OK")
            << false << "close:ok" << State::Ending << true << false << 0 << 1 << 0 << 1;
        QTest::newRow("no tray: restored by forward")
            << false << "min forward" << State::Shown << true << false << 1 << 0 << 0 << 0;
        QTest::newRow("nothing after ending") << true << "trayclose min left about alert forward"
                                              << State::Ending << true << false << 0 << 1 << 0 << 0;
        QTest::newRow("second close while asking")
            << true << "close? close? cancel" << State::HiddenToTray << false << true << 0 << 0 << 0
            << 1;
        QTest::newRow("answer after tray close")
            << true << "close? trayclose ok" << State::Ending << true << false << 0 << 1 << 0 << 1;
    }
    void transitions() {
        QFETCH(bool, tray);
        QFETCH(QString, script);
        Rig rig;
        rig.tray.available = tray;
        rig.run(script);
        QTEST(rig.shell.state(), "state");
        QTEST(rig.window.visible, "visible");
        QTEST(rig.tray.iconVisible, "icon");
        QTEST(rig.window.minimizes, "minimizes");
        QTEST(rig.exits, "ends");
        QTEST(rig.saves, "ends");
        QTEST(rig.abouts, "abouts");
        QTEST(rig.questions, "questions");
        if (rig.tray.iconVisible)
            QCOMPARE(rig.tray.tip, QStringLiteral("Fruitwake"));
    }

    void closeQuestionTexts() {
        Rig rig;
        rig.run(QStringLiteral("close?"));
        QCOMPARE(rig.caption, QString::fromUtf8("关闭提醒"));
        QCOMPARE(rig.question, QString::fromUtf8("是否关闭提醒器?"));
        QVERIFY(rig.shell.isQuestionOpen());
        QCOMPARE(rig.shell.state(), State::Shown);
    }

    void everyWayOutEndsOnce_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("reason");
        using R = ShellController::EndReason;
        QTest::newRow("close OK") << "close:ok" << int(R::CloseConfirmed);
        QTest::newRow("tray close") << "min trayclose" << int(R::TrayClose);
        QTest::newRow("signal") << "sigterm" << int(R::Signal);
        QTest::newRow("session") << "session" << int(R::SessionEnd);
        QTest::newRow("signal then close OK") << "sigterm close:ok" << int(R::Signal);
        QTest::newRow("open question, signal, OK") << "close? sigterm ok" << int(R::Signal);
        QTest::newRow("tray close then signal")
            << "min trayclose sigterm session" << int(R::TrayClose);
        QTest::newRow("close OK then tray close")
            << "close:ok trayclose sigterm" << int(R::CloseConfirmed);
    }
    void everyWayOutEndsOnce() {
        QFETCH(QString, script);
        Rig rig;
        QSignalSpy ended(&rig.shell, &ShellController::endRequested);
        rig.run(script);
        QCOMPARE(ended.size(), 1);
        QTEST(int(ended.at(0).at(0).value<ShellController::EndReason>()), "reason");
        QCOMPARE(rig.saves, 1);
        QCOMPARE(rig.exits, 1);
        QVERIFY(!rig.tray.iconVisible);
    }

    void failedSaveStillExits() {
        Rig rig;
        rig.shell.setSaveFunction([&rig] {
            ++rig.saves;
            return ShellController::SaveResult{false, QStringLiteral("disk full")};
        });
        QSignalSpy failed(&rig.shell, &ShellController::exitSaveFailed);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("disk full")));
        rig.run(QStringLiteral("close:ok"));
        QCOMPARE(rig.saves, 1);
        QCOMPARE(rig.exits, 1);
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.at(0).at(0).toString(), QStringLiteral("disk full"));
    }

    void closeDuringEndingIsAccepted() {
        Rig rig;
        QVERIFY(!rig.shell.requestClose());
        rig.pending.takeFirst()(false);
        rig.run(QStringLiteral("left trayclose"));
        // The application closing its windows on the way out must not ask again.
        QVERIFY(rig.shell.requestClose());
        QCOMPARE(rig.questions, 1);
    }

    void applicationQuitEnds() {
        Rig rig;
        rig.shell.watchApplication(QCoreApplication::instance());
        QVERIFY(QMetaObject::invokeMethod(QCoreApplication::instance(), "aboutToQuit"));
        QCOMPARE(rig.shell.state(), State::Ending);
        QCOMPARE(rig.saves, 1);
        QCOMPARE(rig.exits, 1);
    }

    void alertWhileHiddenNotifies() {
        Rig rig;
        rig.run(QStringLiteral("alert min alert alert"));
        // Shown: no notification; hidden: one, then the window is back.
        QCOMPARE(rig.tray.messages, QStringList{QStringLiteral("Fruitwake|ripe")});
        QCOMPARE(rig.window.shows, 3);
        QVERIFY(!rig.tray.iconVisible);
    }
};

QTEST_GUILESS_MAIN(TestShellController)
#include "TestShellController.moc"
