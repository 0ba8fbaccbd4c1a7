#include "app/CReminderApp.h"

#include "app/QtChinese.h"
#include "app/SingleInstance.h"
#include "app/UnixSignals.h"
#include "desk/ReminderDesk.h"
#include "media/CTuneDeck.h"
#include "media/QtChime.h"
#include "reminders/PersistenceController.h"
#include "reminders/ReminderStore.h"
#include "shell/CAboutBox.h"
#include "shell/DesktopNotifier.h"
#include "shell/QtAlertPresenter.h"
#include "shell/QtShellPorts.h"
#include "shell/ShellController.h"
#include "window/AppCaption.h"
#include "window/CReminderDlg.h"
#include "window/ProgramIcon.h"

#include <QDir>
#include <QMessageBox>

CReminderApp::CReminderApp(int& argc, char** argv) : QApplication(argc, argv) {
    setNames();
    setWindowIcon(ProgramIcon::icon());
    installQtChinese(this);
}

void CReminderApp::setNames() {
    setApplicationName(QStringLiteral("fruitwake"));
    setOrganizationName(QString());
}

int CReminderApp::run(bool startHidden) {
    // First of all: a signal during start-up is kept and ends the run as soon
    // as the loop runs, and no start-up step waits without limit.
    UnixSignals signalWatch;
    const QString dataFile = ReminderStore::defaultPath();
    // One Fruitwake per data file, so two writers never race on it.
    SingleInstance instance(dataFile);
    const auto tell = [&signalWatch](QMessageBox::Icon icon, const QString& text) {
        QMessageBox box(icon, appCaption(), text, QMessageBox::Ok);
        box.setTextFormat(Qt::PlainText);
        connect(&signalWatch, &UnixSignals::received, &box, &QMessageBox::reject);
        box.exec();
    };
    // A hidden start (autostart) leaves a running window as it is.
    switch (instance.start(!startHidden)) {
    case SingleInstance::Outcome::AlreadyRunning:
        return 0;
    case SingleInstance::Outcome::Failed:
        tell(QMessageBox::Critical,
             QString::fromUtf8("Fruitwake 无法启动。\n") + instance.errorText());
        return 1;
    case SingleInstance::Outcome::Primary:
    case SingleInstance::Outcome::Unguarded:
        break;
    }

    // The window hides to the tray and the About box may close while it is
    // hidden; only the shell's end finishes the run.
    setQuitOnLastWindowClosed(false);

    // The program, put together: sound and boxes, the window, the shell.
    QtChime chime;
    CTuneDeck deck;
    ShellController* shellForAlerts = nullptr;
    QtAlertPresenter presenter([&shellForAlerts](const QString&) {
        if (shellForAlerts)
            shellForAlerts->alertRaised();
    });
    DialogServices services = DialogServices::system();
    services.chime = &chime;
    services.tuneDeck = &deck;
    services.presenter = &presenter;
    services.storePath = dataFile;
    CReminderDlg dlg(services);
    QtWindowPort windowPort(&dlg);
    QtTrayPort trayPort;
    ShellController shell(windowPort, trayPort);
    shellForAlerts = &shell;
    shell.setQuestion(messageBoxQuestion(&dlg));
    shell.setExitSaveNotice(messageBoxNotice(&dlg));
    // Ending, the desk's "retried later" report of a failed save is void: the
    // shell tells the last save's failure itself.
    connect(&shell, &ShellController::stateChanged, &dlg, [&dlg](ShellController::State state) {
        if (state == ShellController::State::Ending)
            disconnect(&dlg.desk(), &ReminderDesk::message, nullptr, nullptr);
    });
    shell.setSaveFunction([&dlg] { return dlg.desk().SaveReminders(); }, dataFile);
    shell.setExitFunction([] { QCoreApplication::exit(0); });
    shell.setAboutFunction([&dlg] { CAboutBox::showFor(&dlg); });
    shell.watchApplication(this);
    DesktopNotifier notifier;
    shell.setNotifier(&notifier);
    shell.watchAlerts(&dlg.desk().alerts());
    connect(&dlg, &CReminderDlg::closeRequested, &shell, &ShellController::requestClose);
    connect(&dlg, &CReminderDlg::minimiseRequested, &shell, &ShellController::windowMinimized);
    connect(&dlg, &CReminderDlg::aboutRequested, &shell, &ShellController::requestAbout);
    connect(&signalWatch, &UnixSignals::received, &shell, &ShellController::endOnSignal);
    connect(&instance, &SingleInstance::activationRequested, &shell,
            &ShellController::bringForward);

    // Taken over while hung: not one write more; told once, then the end
    // (while ending already, the exit save's report tells it).
    dlg.desk().persistence()->setWriteFence([&instance] { return instance.holdsGuard(); });
    connect(&instance, &SingleInstance::guardLost, &shell, [&] {
        if (shell.state() == ShellController::State::Ending)
            return;
        shell.setSaveFunction({});
        dlg.desk().secondTimer().stop();
        dlg.hide();
        trayPort.hideIcon();
        if (!QStringList{"offscreen", "minimal"}.contains(platformName()))
            tell(QMessageBox::Warning,
                 QString::fromUtf8("另一个 Fruitwake 已接管数据文件 %1。\n"
                                   "这里的改动不再保存，这个 Fruitwake 现在退出。")
                     .arg(QDir::toNativeSeparators(dataFile)));
        shell.requestEnd(ShellController::EndReason::AppQuit);
    });
    // The display going away ends the process inside the toolkit: the pending
    // change is saved on the way out.
    const ExitHook lastSave([&dlg] { dlg.desk().SaveReminders(); });

    if (startHidden)
        shell.requestMinimize(); // into the tray, or minimised where there is none
    else
        dlg.show();
    return exec();
}
