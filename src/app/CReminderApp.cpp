#include "app/CReminderApp.h"

#include "app/CAboutBox.h"
#include "app/CReminderDlg.h"
#include "app/DesktopNotifier.h"
#include "app/ProgramIcon.h"
#include "app/QtChinese.h"
#include "app/QtShellPorts.h"
#include "app/ShellController.h"
#include "app/SingleInstance.h"
#include "app/UnixSignals.h"
#include "desk/ReminderDesk.h"

#include <QStandardPaths>

CReminderApp::CReminderApp(int& argc, char** argv) : QApplication(argc, argv) {
    SetNames();
    setWindowIcon(ProgramIcon::Icon());
    InstallQtChinese(this);
}

void CReminderApp::SetNames() {
    setApplicationName(QStringLiteral("fruitwake"));
    setOrganizationName(QString());
}

int CReminderApp::Run(bool startHidden) {
    // One Fruitwake per data file, so two writers never race on it.
    const auto instance = SingleInstance::ForDataDir(
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    // A hidden start (autostart) leaves a running window as it is.
    if (instance->start(!startHidden) == SingleInstance::Outcome::AlreadyRunning)
        return 0;

    // The window hides to the tray and the About box may close while it is
    // hidden; only the shell's end finishes the run.
    setQuitOnLastWindowClosed(false);
    UnixSignals signalWatch;
    CReminderDlg dlg;
    QtWindowPort windowPort(&dlg);
    QtTrayPort trayPort;
    ShellController shell(windowPort, trayPort);
    shell.setQuestion(MessageBoxQuestion(&dlg));
    shell.setSaveFunction([&dlg] {
        const auto r = dlg.Desk().SaveReminders();
        return ShellController::SaveResult{r.ok, r.error};
    });
    shell.setExitFunction([] { QCoreApplication::exit(0); });
    shell.setAboutFunction([&dlg] { CAboutBox::Open(&dlg); });
    shell.watchApplication(this);
    DesktopNotifier notifier;
    shell.setNotifier(&notifier);
    shell.watchAlerts(&dlg.Desk().Alerts());
    dlg.SetShell(&shell);
    connect(&signalWatch, &UnixSignals::received, &shell, &ShellController::endOnSignal);
    connect(instance.get(), &SingleInstance::activationRequested, &shell,
            &ShellController::bringForward);

    if (startHidden)
        shell.requestMinimize(); // into the tray, or minimised where there is none
    else
        dlg.show();
    return exec();
}
