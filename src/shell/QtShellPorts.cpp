#include "shell/QtShellPorts.h"

#include "window/AppCaption.h"
#include "window/ProgramIcon.h"

#include <QAction>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QMessageBox>
#include <QWindow>

namespace {

// X11 window managers take the minimised state only from a window already on
// screen, and a window first shown minimised is mapped as a normal one: it is
// minimised again once it is there and Qt has heard from the window manager
// that it is normal (before that, Qt still holds it minimised and a new
// request would change nothing).
class MinimiseWhenMapped final : public QObject {
public:
    explicit MinimiseWhenMapped(QWidget* window) : QObject(window), m_window(window) {
        setObjectName(Name());
        QWindow* handle = window->windowHandle();
        handle->installEventFilter(this);
        connect(handle, &QWindow::windowStateChanged, this, &MinimiseWhenMapped::check);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            m_exposed = true;
            check();
        }
        return false;
    }

    // Brought forward before it was on screen: no longer wanted.
    static void Cancel(QWidget* window) { delete Pending(window); }
    static void Arm(QWidget* window) {
        if (!Pending(window))
            new MinimiseWhenMapped(window);
    }

private:
    void check() {
        // The window's own state: the widget hears of a change only after this.
        if (!m_exposed || m_done ||
            (m_window->windowHandle()->windowStates() & Qt::WindowMinimized))
            return;
        m_done = true;
        m_window->windowHandle()->removeEventFilter(this);
        QTimer::singleShot(0, this, [this] {
            m_window->setWindowState((m_window->windowState() & ~Qt::WindowActive) |
                                     Qt::WindowMinimized);
            setObjectName(QString());
            deleteLater();
        });
    }
    static QString Name() { return QStringLiteral("fw-minimise-when-mapped"); }
    static QObject* Pending(QWidget* window) {
        return window->findChild<QObject*>(Name(), Qt::FindDirectChildrenOnly);
    }
    QWidget* m_window;
    bool m_exposed = false;
    bool m_done = false;
};

} // namespace

void QtWindowPort::showAndActivate() {
    if (!m_window)
        return;
    MinimiseWhenMapped::Cancel(m_window);
    m_window->setWindowState((m_window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void QtWindowPort::showInFront() {
    if (!m_window)
        return;
    MinimiseWhenMapped::Cancel(m_window);
    // Restoring a minimised window asks the window manager to map it again,
    // which activates it; hidden and shown anew, it comes up unfocused.
    if (m_window->isMinimized())
        hide();
    // The widget attribute reaches the platform window only when that is
    // created; a window shown before needs the platform's own flag, which
    // makes the map carry a zero user time (no focus) on X11.
    static const char* const kQuiet = "_q_showWithoutActivating";
    const bool quiet = m_window->testAttribute(Qt::WA_ShowWithoutActivating);
    m_window->setAttribute(Qt::WA_ShowWithoutActivating);
    QWindow* handle = m_window->windowHandle();
    const QVariant before = handle ? handle->property(kQuiet) : QVariant();
    if (handle)
        handle->setProperty(kQuiet, true);
    m_window->show();
    m_window->raise();
    if (handle)
        handle->setProperty(kQuiet, before);
    m_window->setAttribute(Qt::WA_ShowWithoutActivating, quiet);
}

void QtWindowPort::hide() {
    if (!m_window)
        return;
    // Hidden un-minimised, so showing it again brings back a normal window.
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->hide();
}

void QtWindowPort::showMinimized() {
    if (!m_window)
        return;
    const bool onScreen = m_window->windowHandle() && m_window->windowHandle()->isExposed();
    m_window->showMinimized();
    if (!onScreen && m_window->windowHandle() && QGuiApplication::platformName() == u"xcb")
        MinimiseWhenMapped::Arm(m_window);
}

bool QtWindowPort::isVisible() const {
    return m_window && m_window->isVisible();
}

bool QtWindowPort::isMinimized() const {
    return m_window && m_window->isMinimized();
}

QtTrayPort::QtTrayPort(QObject* parent, int pollMilliseconds)
    : TrayPort(parent), m_available(QSystemTrayIcon::isSystemTrayAvailable()) {
    m_icon.setIcon(ProgramIcon::Icon());
    m_icon.setToolTip(ShellController::TrayTip());
    connect(m_menu.addAction(CloseText()), &QAction::triggered, this, &TrayPort::closeChosen);
    connect(m_menu.addAction(AboutText()), &QAction::triggered, this, &TrayPort::aboutChosen);
    m_icon.setContextMenu(&m_menu);
    connect(&m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                switch (reason) {
                case QSystemTrayIcon::Trigger:
                    emit activated(TrayActivation::Trigger);
                    break;
                case QSystemTrayIcon::Context:
                    emit activated(TrayActivation::Context);
                    break;
                case QSystemTrayIcon::DoubleClick:
                    emit activated(TrayActivation::DoubleClick);
                    break;
                case QSystemTrayIcon::MiddleClick:
                    emit activated(TrayActivation::MiddleClick);
                    break;
                default:
                    emit activated(TrayActivation::Unknown);
                    break;
                }
            });
    connect(&m_poll, &QTimer::timeout, this, &QtTrayPort::poll);
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        // A tray over D-Bus (StatusNotifierItem) comes and goes with its watcher.
        auto* watcher = new QDBusServiceWatcher(QStringLiteral("org.kde.StatusNotifierWatcher"),
                                                QDBusConnection::sessionBus(),
                                                QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
                [this] { QTimer::singleShot(0, this, &QtTrayPort::poll); });
    } else if (pollMilliseconds > 0) {
        m_poll.start(pollMilliseconds);
    }
}

bool QtTrayPort::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
    constexpr quint8 kDestroyNotify = 17, kClientMessage = 33; // X11 core event codes
    if (type == "xcb_generic_event_t" && message) {
        const quint8 code = *static_cast<const quint8*>(message) & 0x7f;
        // Qt's own tray tracking sees the event after this filter.
        if (code == kDestroyNotify || code == kClientMessage)
            QTimer::singleShot(0, this, &QtTrayPort::poll);
    }
    return false;
}

QtTrayPort::~QtTrayPort() {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    m_icon.hide();
    m_icon.setContextMenu(nullptr);
}

void QtTrayPort::poll() {
    const bool now = QSystemTrayIcon::isSystemTrayAvailable();
    if (now == m_available)
        return;
    m_available = now;
    if (!now)
        m_icon.hide();
    emit availabilityChanged(now);
}

void QtTrayPort::showIcon(const QString& tip) {
    m_icon.setToolTip(tip);
    m_icon.show();
}

void QtTrayPort::hideIcon() {
    m_icon.hide();
}

bool QtTrayPort::isIconVisible() const {
    return m_icon.isVisible();
}

void QtTrayPort::showMessage(const QString& title, const QString& text) {
    if (QSystemTrayIcon::supportsMessages())
        m_icon.showMessage(title, text, ProgramIcon::Icon(), 10000);
}

ShellController::Question MessageBoxQuestion(QWidget* owner) {
    QPointer<QWidget> parent(owner);
    return [parent](const QString& caption, const QString& text, ShellController::Answer answer) {
        auto* box = new QMessageBox(QMessageBox::NoIcon, caption, text,
                                    QMessageBox::Ok | QMessageBox::Cancel, parent);
        box->setTextFormat(Qt::PlainText);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setEscapeButton(QMessageBox::Cancel);
        QObject::connect(box, &QMessageBox::finished, box, [box, answer](int) {
            answer(box->clickedButton() == box->button(QMessageBox::Ok));
        });
        box->open();
    };
}

ShellController::Notice MessageBoxNotice(QWidget* owner) {
    QPointer<QWidget> parent(owner);
    return [parent](const QString& text, std::function<void()> done) {
        // Ended from the tray, the window is hidden: the box stands on its own.
        QWidget* owner = parent && parent->isVisible() ? parent.data() : nullptr;
        auto* box =
            new QMessageBox(QMessageBox::Warning, AppCaption(), text, QMessageBox::Ok, owner);
        box->setTextFormat(Qt::PlainText);
        box->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(box, &QMessageBox::finished, box, [done](int) { done(); });
        box->open();
    };
}
