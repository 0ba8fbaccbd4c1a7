#pragma once

#include "shell/ShellController.h"
#include "shell/ShellPorts.h"

#include <QAbstractNativeEventFilter>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

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

private:
    QPointer<QWidget> m_window;
};

// The tray port over QSystemTrayIcon, with the menu "关闭" and the About entry.
// Qt does not announce a notification area coming or going. On X11 the X
// events that can change it (a window destroyed, a tray's MANAGER message)
// and a D-Bus tray's watcher coming or going make it look again, so a quiet
// desktop wakes nothing; elsewhere it polls.
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

    static QString CloseText() { return QString::fromUtf8("关闭"); }
    static QString AboutText() { return QString::fromUtf8("关于 Fruitwake(&A)..."); }
    QMenu* menu() { return &m_menu; }

private:
    void poll();
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

    QMenu m_menu;
    QSystemTrayIcon m_icon;
    QTimer m_poll;
    bool m_available = false;
};

// The close question as a message box that does not block: the timer and the
// alerts go on while it is open. Closing the box by its frame counts as Cancel.
ShellController::Question MessageBoxQuestion(QWidget* owner);

// A notice that does not block either: done runs once the box is dismissed.
ShellController::Notice MessageBoxNotice(QWidget* owner);
