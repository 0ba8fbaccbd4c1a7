#include "shell/ShellController.h"

#include "alarm/AlertQueue.h"
#include "window/AppCaption.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <QtDebug>

ShellController::ShellController(WindowPort& window, TrayPort& tray, QObject* parent)
    : QObject(parent), m_window(window), m_tray(tray) {
    connect(&m_tray, &TrayPort::activated, this, &ShellController::onTrayActivated);
    connect(&m_tray, &TrayPort::availabilityChanged, this, &ShellController::onTrayAvailability);
    connect(&m_tray, &TrayPort::closeChosen, this, [this] { requestEnd(EndReason::TrayClose); });
    connect(&m_tray, &TrayPort::aboutChosen, this, &ShellController::requestAbout);
}

void ShellController::watchApplication(QCoreApplication* app) {
    if (!app)
        return;
    connect(app, &QCoreApplication::aboutToQuit, this, [this] { requestEnd(EndReason::AppQuit); });
#ifndef QT_NO_SESSIONMANAGER
    if (auto* gui = qobject_cast<QGuiApplication*>(app)) {
        // Saving here rather than asking: a logout must not wait on a question.
        connect(gui, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager&) { requestEnd(EndReason::SessionEnd); });
    }
#endif
}

void ShellController::watchAlerts(AlertQueue* queue) {
    if (queue)
        connect(queue, &AlertQueue::started, this,
                [this](const AlertBatch& unit) { alertArrived(unit.boxText(), unit.hasRipe()); });
}

void ShellController::setState(State state) {
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}

void ShellController::hideToTray() {
    if (!m_tray.isAvailable()) {
        // Hiding without a notification area would leave the window out of reach.
        m_tray.hideIcon();
        m_window.showMinimized();
        setState(State::Shown);
        return;
    }
    m_tray.showIcon(trayTip());
    m_window.hide();
    setState(State::HiddenToTray);
}

void ShellController::showWindow() {
    m_window.showAndActivate();
    m_tray.hideIcon();
    setState(State::Shown);
}

void ShellController::requestMinimize() {
    if (m_state != State::Shown)
        return;
    hideToTray();
}

void ShellController::windowMinimized() {
    if (m_state == State::Shown && m_tray.isAvailable())
        hideToTray();
}

bool ShellController::requestClose() {
    if (m_state == State::Ending)
        return true;
    if (m_questionOpen)
        return false;
    if (!m_question) {
        // Nobody to ask: keep running rather than end unasked.
        hideToTray();
        return false;
    }
    m_questionOpen = true;
    QPointer<ShellController> self(this);
    m_question(closeCaption(), closeQuestion(), [self](bool ok) {
        if (self)
            self->answerClose(ok);
    });
    return false;
}

void ShellController::answerClose(bool ok) {
    if (!m_questionOpen)
        return;
    m_questionOpen = false;
    if (m_state == State::Ending)
        return;
    if (ok)
        requestEnd(EndReason::CloseConfirmed);
    else if (m_state == State::Shown)
        hideToTray();
}

void ShellController::requestAbout() {
    if (m_state == State::Ending || !m_about)
        return;
    m_about();
}

void ShellController::bringForward() {
    if (m_state == State::Ending)
        return;
    showWindow();
}

void ShellController::setNotifier(NotifierPort* notifier) {
    if (m_notifier)
        m_notifier->disconnect(this);
    m_notifier = notifier;
    if (notifier) {
        // A refused notification still reaches the user, through the tray.
        connect(notifier, &NotifierPort::undelivered, this,
                [this](const QString& caption, const QString& text) {
                    if (m_state != State::Ending && outOfSight())
                        m_tray.showMessage(caption, text);
                });
        connect(notifier, &NotifierPort::clicked, this, &ShellController::bringForward);
    }
}

// Where the desktop does not say whether the window is minimised, one that is
// not active may be out of sight: told once too often rather than missed.
bool ShellController::outOfSight() const {
    return m_state == State::HiddenToTray || !m_window.isVisible() || m_window.isMinimized() ||
           (!m_window.knowsIfMinimized() && !m_window.isActive());
}

void ShellController::tellDesktop(const QString& text, bool lasting) {
    if (m_notifier && m_notifier->notify(appCaption(), text, lasting))
        return;
    m_tray.showMessage(appCaption(), text);
}

// The ripe alert is the one not to miss: its notification lasts.
void ShellController::alertArrived(const QString& text, bool ripe) {
    if (m_state == State::Ending || !outOfSight())
        return;
    tellDesktop(text, ripe);
}

void ShellController::alertRaised() {
    if (m_state == State::Ending)
        return;
    m_window.showInFront();
    m_tray.hideIcon();
    setState(State::Shown);
}

void ShellController::onTrayActivated(TrayActivation how) {
    // The context menu is the tray's own business; only a left click restores.
    if (how != TrayActivation::Trigger || m_state != State::HiddenToTray)
        return;
    showWindow();
}

void ShellController::onTrayAvailability(bool available) {
    if (m_state != State::HiddenToTray)
        return;
    if (!available) {
        // The panel went away (restart, crash): bring the window back into reach.
        showWindow();
    } else {
        m_tray.showIcon(trayTip());
    }
}

void ShellController::endOnSignal(int signalNumber) {
    Q_UNUSED(signalNumber);
    requestEnd(EndReason::Signal);
}

QString ShellController::exitSaveFailedText(const QString& path, const QString& reason) {
    return QString::fromUtf8("Fruitwake 退出前未能保存提醒数据，最近的改动没有保存下来。\n"
                             "数据文件：%1\n原因：%2")
        .arg(path, reason);
}

void ShellController::requestEnd(EndReason reason) {
    if (m_state == State::Ending) {
        // A signal or the session's end does not wait for the box to be read.
        if (m_noticeOpen && (reason == EndReason::Signal || reason == EndReason::SessionEnd))
            finishEnd(reason);
        return;
    }
    setState(State::Ending);
    m_tray.hideIcon();
    if (m_save) {
        const SaveResult saved = m_save();
        if (!saved.ok) {
            // Reported, never a reason to stay: the user asked to leave.
            qWarning("Fruitwake: the data file could not be saved at exit: %s",
                     qUtf8Printable(saved.error));
            emit exitSaveFailed(saved.error);
            if (m_exitSaveNotice &&
                (reason == EndReason::CloseConfirmed || reason == EndReason::TrayClose)) {
                m_noticeOpen = true;
                QPointer<ShellController> self(this);
                m_exitSaveNotice(exitSaveFailedText(m_savePath, saved.error), [self, reason] {
                    if (self)
                        self->finishEnd(reason);
                });
                return;
            }
        }
    }
    finishEnd(reason);
}

void ShellController::finishEnd(EndReason reason) {
    if (m_finished)
        return;
    m_finished = true;
    m_noticeOpen = false;
    emit endRequested(reason);
    if (m_exit)
        m_exit();
}
