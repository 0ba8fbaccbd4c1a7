#pragma once

#include "shell/ShellController.h"
#include "shell/ShellPorts.h"

#include <QAbstractNativeEventFilter>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <memory>

// The window port over the real main window.
class QtWindowPort final : public WindowPort {
public:
    explicit QtWindowPort(QWidget* window) : m_window(window) {}
    void showAndActivate() override;
    void showInFront() override;
    void hide() override;
    void showMinimized() override;
    bool isVisible() const override;
    bool isMinimized() const override;
    bool isActive() const override;
    bool knowsIfMinimized() const override;

private:
    QPointer<QWidget> m_window;
};

// Wayland: a window that is shown or raised takes the keyboard focus (there is
// no way to come up quietly), and the desktop never says it minimised one.
bool windowsComeUpFocused();

// The tray port over QSystemTrayIcon, with the menu "关闭" and the About entry.
// Qt does not announce a notification area coming or going. A D-Bus tray's
// watcher or host coming or going, and on X11 the X events that can change it
// (a window destroyed, a tray's MANAGER message), make it look again, so a
// quiet desktop wakes nothing; elsewhere than X11 and Wayland it polls.
class QtTrayPort final : public TrayPort, private QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit QtTrayPort(QObject* parent = nullptr, int pollMilliseconds = 3000);
    ~QtTrayPort() override;

    void showIcon(const QString& tip) override;
    void hideIcon() override;
    bool isIconVisible() const override;
    bool isAvailable() const override { return m_available; }
    void showMessage(const QString& title, const QString& text) override;

    static QString closeText() { return QString::fromUtf8("关闭"); }
    static QString aboutText() { return QString::fromUtf8("关于 Fruitwake(&A)..."); }
    QMenu* menu() { return &m_menu; }

private slots:
    void askDBusTray();

private:
    void look();
    bool trayNow();
    QSystemTrayIcon& icon();
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

    QMenu m_menu;
    std::unique_ptr<QSystemTrayIcon> m_icon; // made once there is a tray
    QTimer m_poll;
    bool m_watchesDesktop = false;
    bool m_dbusTray = false; // a StatusNotifierItem host, as last heard
    bool m_available = false;
};

// The close question as a message box that does not block: the timer and the
// alerts go on while it is open. Closing the box by its frame counts as Cancel.
ShellController::Question messageBoxQuestion(QWidget* owner);

// A notice that does not block either: done runs once the box is dismissed.
ShellController::Notice messageBoxNotice(QWidget* owner);
