#include "app/CReminderApp.h"

#include "app/CReminderDlg.h"

#include <QFile>
#include <QIcon>

CReminderApp::CReminderApp(int& argc, char** argv) : QApplication(argc, argv) {
    SetNames();
    const QString icon = QStringLiteral(":/icons/fruitwake.svg");
    if (QFile::exists(icon))
        setWindowIcon(QIcon(icon));
}

void CReminderApp::SetNames() {
    setApplicationName(QStringLiteral("fruitwake"));
    setApplicationDisplayName(QStringLiteral("Fruitwake"));
    setOrganizationName(QString());
}

int CReminderApp::Run() {
    // The window may hide (to the tray) without ending the run; only its end does.
    setQuitOnLastWindowClosed(false);
    CReminderDlg dlg;
    connect(&dlg, &QDialog::finished, this, &QCoreApplication::quit, Qt::QueuedConnection);
    dlg.show();
    exec();
    return 0;
}
