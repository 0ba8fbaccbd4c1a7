#pragma once

#include <QObject>
#include <QString>

// The main window as the shell sees it: nothing but showing and hiding.
class WindowPort {
public:
    virtual ~WindowPort() = default;
    // Shown, restored from minimised, raised and given the focus.
    virtual void showAndActivate() = 0;
    // Shown, restored from minimised and raised, but the keyboard focus stays
    // where it is: an alert must not take keys typed into another program.
    virtual void showInFront() = 0;
    virtual void hide() = 0;
    virtual void showMinimized() = 0;
    virtual bool isVisible() const = 0;
    virtual bool isMinimized() const = 0;
    // Whether the keyboard focus is in the window.
    virtual bool isActive() const = 0;
    // Whether isMinimized() can be trusted: Wayland never tells a window that
    // the desktop minimised it.
    virtual bool knowsIfMinimized() const = 0;
};

// How the tray icon was clicked; only a left click restores the window.
enum class TrayActivation { Trigger, Context, DoubleClick, MiddleClick, Unknown };

// The notification-area icon with its two-entry menu.
class TrayPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~TrayPort() override = default;

    virtual void showIcon(const QString& tip) = 0;
    virtual void hideIcon() = 0;
    virtual bool isIconVisible() const = 0;
    // Whether the desktop has a notification area at all right now.
    virtual bool isAvailable() const = 0;
    virtual void showMessage(const QString& title, const QString& text) = 0;

signals:
    void availabilityChanged(bool available);
    void activated(TrayActivation how);
    // The menu entries "关闭" and "关于 Fruitwake(&A)...".
    void closeChosen();
    void aboutChosen();
};

// The desktop's notifications (a bubble outside the window, with a caption).
class NotifierPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~NotifierPort() override = default;

    // False when the desktop has no notification service right now. A lasting
    // notification stays until the user dismisses it.
    virtual bool notify(const QString& caption, const QString& text, bool lasting) = 0;

signals:
    // The service turned down (or never answered) a notification that notify() had accepted.
    void undelivered(const QString& caption, const QString& text);
    // The user clicked one of the notifications.
    void clicked();
};
