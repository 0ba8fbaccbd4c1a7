// The window's ways out and back in: closing, minimising, About and being
// brought forward go through the shell when there is one. Hidden or
// minimised, the tick sleeps until something is due; shown again, it puts
// the clock and the countdowns right at once.
#include "app/CReminderDlg.h"

#include "app/CAboutBox.h"
#include "app/ShellController.h"
#include "desk/ReminderDesk.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>

void CReminderDlg::BringForward(const QString& alertText) {
    if (m_shell) {
        if (alertText.isEmpty())
            m_shell->bringForward();
        else
            m_shell->alertRaised();
        return;
    }
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
}

void CReminderDlg::OnAbout() {
    if (m_shell)
        m_shell->requestAbout();
    else
        CAboutBox::Open(this);
}

void CReminderDlg::closeEvent(QCloseEvent* event) {
    if (m_shell && !m_shell->requestClose()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CReminderDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_desk->SecondTimer().setHidden(isMinimized());
}

void CReminderDlg::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    m_desk->SecondTimer().setHidden(true);
}

void CReminderDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // Minimised where there is no tray counts as hidden: nothing to see ticking.
    if (event->type() == QEvent::WindowStateChange)
        m_desk->SecondTimer().setHidden(!isVisible() || isMinimized());
    // Minimising goes to the tray; the shell decides once the state change is done.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && m_shell)
        QTimer::singleShot(0, m_shell, &ShellController::requestMinimize);
}

// Where there is no system menu to extend, the About entry lives here.
void CReminderDlg::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QString::fromUtf8("关于 Fruitwake(&A)..."), this, &CReminderDlg::OnAbout);
    menu.exec(event->globalPos());
}
