#include "shell/QtShellPorts.h"

#include "window/AppCaption.h"
#include "window/ProgramIcon.h"

#include <QAction>
#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QMessageBox>
#include <QWindow>
#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif
#include <cstdlib>

namespace {

// A helper child still waiting to act, found by its name.
QObject* pendingChild(QWidget* window, const QString& name) {
    return window->findChild<QObject*>(name, Qt::FindDirectChildrenOnly);
}

#if QT_CONFIG(xcb)
xcb_connection_t* x11Connection() {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t internedAtom(const QByteArray& name) {
    xcb_connection_t* c = x11Connection();
    if (!c)
        return XCB_ATOM_NONE;
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, name.size(), name.constData()), nullptr);
    const xcb_atom_t atom = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(r);
    return atom;
}
#endif

// X11 window managers take the minimised state only from a window already on
// screen, and a window first shown minimised is mapped as a normal one: it is
// minimised again once it is there and Qt has heard from the window manager
// that it is normal (before that, Qt still holds it minimised and a new
// request would change nothing).
class MinimiseWhenMapped final : public QObject {
public:
    explicit MinimiseWhenMapped(QWidget* window) : QObject(window), m_window(window) {
        setObjectName(name());
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
    static void cancel(QWidget* window) { delete pendingChild(window, name()); }
    static void arm(QWidget* window) {
        if (!pendingChild(window, name()))
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
    static QString name() { return QStringLiteral("fw-minimise-when-mapped"); }
    QWidget* m_window;
    bool m_exposed = false;
    bool m_done = false;
};

#if QT_CONFIG(xcb)
// Shown again before the window manager has read the notice that a minimised
// window was hidden, the window may be taken back into its manager's care and
// then dropped by that notice (openbox): it stays off screen. So it waits for
// the manager to let it go (back on the root, or its WM_STATE gone), half a
// second at most for a manager that never says.
class ShowWhenWithdrawn final : public QObject, public QAbstractNativeEventFilter {
public:
    ShowWhenWithdrawn(QWidget* window, std::function<void()> show)
        : QObject(window), m_id(window->winId()), m_show(std::move(show)) {
        setObjectName(name());
        QCoreApplication::instance()->installNativeEventFilter(this);
        QTimer::singleShot(500, this, &ShowWhenWithdrawn::done);
    }
    ~ShowWhenWithdrawn() override {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t" || !message)
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const quint8 code = event->response_type & 0x7f;
        const auto* reparent = reinterpret_cast<const xcb_reparent_notify_event_t*>(event);
        const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        // The last steps of letting a window go: a new value of WM_STATE can
        // come before the manager is done.
        const bool let = (code == XCB_REPARENT_NOTIFY && reparent->window == m_id) ||
                         (code == XCB_PROPERTY_NOTIFY && property->window == m_id &&
                          m_wmState != XCB_ATOM_NONE && property->atom == m_wmState &&
                          property->state == XCB_PROPERTY_DELETE);
        if (let)
            QTimer::singleShot(0, this, &ShowWhenWithdrawn::done);
        return false;
    }

    static bool pending(QWidget* window) { return pendingChild(window, name()); }
    static void cancel(QWidget* window) { delete pendingChild(window, name()); }

private:
    void done() {
        if (m_done)
            return;
        m_done = true;
        setObjectName(QString());
        deleteLater();
        m_show();
    }
    static QString name() { return QStringLiteral("fw-show-when-withdrawn"); }
    static xcb_atom_t wmStateAtom() {
        static const xcb_atom_t atom = internedAtom("WM_STATE");
        return atom;
    }

    WId m_id;
    std::function<void()> m_show;
    const xcb_atom_t m_wmState = wmStateAtom();
    bool m_done = false;
};
#endif

// Shown and raised, without the keyboard focus.
void showQuietly(QWidget* window) {
    // The widget attribute reaches the platform window only when that is
    // created; a window shown before needs the platform's own flag, which
    // makes the map carry a zero user time (no focus) on X11.
    static const char* const kQuiet = "_q_showWithoutActivating";
    const bool quiet = window->testAttribute(Qt::WA_ShowWithoutActivating);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    QWindow* handle = window->windowHandle();
    const QVariant before = handle ? handle->property(kQuiet) : QVariant();
    if (handle)
        handle->setProperty(kQuiet, true);
    window->show();
    window->raise();
    if (handle)
        handle->setProperty(kQuiet, before);
    window->setAttribute(Qt::WA_ShowWithoutActivating, quiet);
}

} // namespace

// A show that waits for the window manager is replaced by any later request.
static void cancelShow(QWidget* window) {
#if QT_CONFIG(xcb)
    ShowWhenWithdrawn::cancel(window);
#else
    Q_UNUSED(window);
#endif
}

void QtWindowPort::showAndActivate() {
    if (!m_window)
        return;
    MinimiseWhenMapped::cancel(m_window);
    cancelShow(m_window);
    // Minimised by the window manager, the window is still normal in Qt's own
    // request, so asking for normal would change nothing: minimised first. Qt
    // may not have heard of the minimise yet, but the window is no longer
    // exposed then.
    QWindow* handle = m_window->windowHandle();
    if (handle && (m_window->isMinimized() || (m_window->isVisible() && !handle->isExposed())))
        handle->setWindowStates(Qt::WindowMinimized);
    m_window->setWindowState((m_window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void QtWindowPort::showInFront() {
    if (!m_window)
        return;
    MinimiseWhenMapped::cancel(m_window);
#if QT_CONFIG(xcb)
    if (ShowWhenWithdrawn::pending(m_window))
        return; // already on its way
#endif
    // Restoring a minimised window asks the window manager to map it again,
    // which activates it; hidden and shown anew, it comes up unfocused.
    if (m_window->isMinimized()) {
        hide();
#if QT_CONFIG(xcb)
        if (QGuiApplication::platformName() == u"xcb") {
            QPointer<QWidget> window(m_window);
            new ShowWhenWithdrawn(m_window, [window] {
                if (window)
                    showQuietly(window);
            });
            return;
        }
#endif
    }
    showQuietly(m_window);
}

void QtWindowPort::hide() {
    if (!m_window)
        return;
    cancelShow(m_window);
    // Hidden un-minimised, so showing it again brings back a normal window.
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->hide();
}

void QtWindowPort::showMinimized() {
    if (!m_window)
        return;
    cancelShow(m_window);
    const bool onScreen = m_window->windowHandle() && m_window->windowHandle()->isExposed();
    m_window->showMinimized();
    if (!onScreen && m_window->windowHandle() && QGuiApplication::platformName() == u"xcb")
        MinimiseWhenMapped::arm(m_window);
}

bool QtWindowPort::isVisible() const {
    return m_window && m_window->isVisible();
}

bool QtWindowPort::isMinimized() const {
    return m_window && m_window->isMinimized();
}

bool QtWindowPort::isActive() const {
    return m_window && m_window->isActiveWindow();
}

bool QtWindowPort::knowsIfMinimized() const {
    return !windowsComeUpFocused();
}

bool windowsComeUpFocused() {
    return QGuiApplication::platformName().startsWith(u"wayland");
}

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");

QDBusMessage hostQuery() {
    QDBusMessage call = QDBusMessage::createMethodCall(
        kWatcher, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    call << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
    call.setAutoStartService(false); // asking starts no tray
    return call;
}

bool hostAnswer(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ReplyMessage &&
           reply.arguments().value(0).value<QDBusVariant>().variant().toBool();
}

// An XEmbed notification area: the owner of the _NET_SYSTEM_TRAY_S<screen> selection.
bool xEmbedTrayPresent() {
#if QT_CONFIG(xcb)
    xcb_connection_t* c = x11Connection();
    if (!c)
        return false;
    static const xcb_atom_t atom = [] {
        const QByteArray display = qgetenv("DISPLAY");
        const qsizetype dot = display.lastIndexOf('.'), colon = display.lastIndexOf(':');
        return internedAtom("_NET_SYSTEM_TRAY_S" +
                            (dot > colon ? display.mid(dot + 1) : QByteArray("0")));
    }();
    xcb_get_selection_owner_reply_t* r =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom), nullptr);
    const bool owned = r && r->owner != XCB_WINDOW_NONE;
    free(r);
    return owned;
#else
    return false;
#endif
}

} // namespace

QtTrayPort::QtTrayPort(QObject* parent, int pollMilliseconds) : TrayPort(parent) {
    connect(m_menu.addAction(closeText()), &QAction::triggered, this, &TrayPort::closeChosen);
    connect(m_menu.addAction(aboutText()), &QAction::triggered, this, &TrayPort::aboutChosen);
    connect(&m_poll, &QTimer::timeout, this, &QtTrayPort::look);
    const QString platform = QGuiApplication::platformName();
    m_watchesDesktop = platform == u"xcb" || platform.startsWith(u"wayland");
    if (m_watchesDesktop) {
        if (platform == u"xcb")
            QCoreApplication::instance()->installNativeEventFilter(this);
        // A tray over D-Bus (StatusNotifierItem) comes and goes with its watcher and host.
        // The first answer is waited for, at most a quarter second (a stalled bus must not
        // hold the start), so a hidden start finds a tray that is there.
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (bus.isConnected()) {
            m_dbusTray = hostAnswer(bus.call(hostQuery(), QDBus::Block, 250));
            auto* watcher = new QDBusServiceWatcher(kWatcher, bus,
                                                    QDBusServiceWatcher::WatchForOwnerChange, this);
            connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
                    &QtTrayPort::askDBusTray);
            for (const char* name :
                 {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
                bus.connect(QString(), kWatcherPath, kWatcher, QLatin1String(name), this,
                            SLOT(askDBusTray()));
        }
    } else if (pollMilliseconds > 0) {
        m_poll.start(pollMilliseconds);
    }
    m_available = trayNow();
    if (m_available)
        icon();
}

// Qt settles once, for the whole run, whether its tray icons go over D-Bus, the
// first time anything asks about a tray. So nothing asks before a tray is
// there, and where a StatusNotifierItem host is, Qt finds it.
bool QtTrayPort::trayNow() {
    if (m_icon || !m_watchesDesktop)
        return QSystemTrayIcon::isSystemTrayAvailable();
    return m_dbusTray || xEmbedTrayPresent();
}

static TrayActivation activationOf(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return TrayActivation::Trigger;
    case QSystemTrayIcon::Context:
        return TrayActivation::Context;
    case QSystemTrayIcon::DoubleClick:
        return TrayActivation::DoubleClick;
    case QSystemTrayIcon::MiddleClick:
        return TrayActivation::MiddleClick;
    default:
        return TrayActivation::Unknown;
    }
}

QSystemTrayIcon& QtTrayPort::icon() {
    if (!m_icon) {
        m_icon = std::make_unique<QSystemTrayIcon>(ProgramIcon::icon());
        m_icon->setToolTip(ShellController::trayTip());
        m_icon->setContextMenu(&m_menu);
        connect(m_icon.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    emit activated(activationOf(reason));
                });
    }
    return *m_icon;
}

void QtTrayPort::askDBusTray() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    auto* call = new QDBusPendingCallWatcher(bus.asyncCall(hostQuery()), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, call] {
        call->deleteLater();
        m_dbusTray = hostAnswer(call->reply());
        look();
    });
}

bool QtTrayPort::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
    constexpr quint8 kDestroyNotify = 17, kClientMessage = 33; // X11 core event codes
    if (type == "xcb_generic_event_t" && message) {
        const quint8 code = *static_cast<const quint8*>(message) & 0x7f;
        // Qt's own tray tracking sees the event after this filter.
        if (code == kDestroyNotify || code == kClientMessage)
            QTimer::singleShot(0, this, &QtTrayPort::look);
    }
    return false;
}

QtTrayPort::~QtTrayPort() {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    if (m_icon) {
        m_icon->hide();
        m_icon->setContextMenu(nullptr);
    }
}

void QtTrayPort::look() {
    const bool now = trayNow();
    if (now == m_available)
        return;
    m_available = now;
    if (now)
        icon();
    else if (m_icon)
        m_icon->hide();
    emit availabilityChanged(now);
}

void QtTrayPort::showIcon(const QString& tip) {
    icon().setToolTip(tip);
    m_icon->show();
}

void QtTrayPort::hideIcon() {
    if (m_icon)
        m_icon->hide();
}

bool QtTrayPort::isIconVisible() const {
    return m_icon && m_icon->isVisible();
}

void QtTrayPort::showMessage(const QString& title, const QString& text) {
    if (m_icon && QSystemTrayIcon::supportsMessages())
        m_icon->showMessage(title, text, ProgramIcon::icon(), 10000);
}

ShellController::Question messageBoxQuestion(QWidget* owner) {
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

ShellController::Notice messageBoxNotice(QWidget* owner) {
    QPointer<QWidget> parent(owner);
    return [parent](const QString& text, std::function<void()> done) {
        // Ended from the tray, the window is hidden: the box stands on its own.
        QWidget* owner = parent && parent->isVisible() ? parent.data() : nullptr;
        auto* box =
            new QMessageBox(QMessageBox::Warning, appCaption(), text, QMessageBox::Ok, owner);
        box->setTextFormat(Qt::PlainText);
        box->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(box, &QMessageBox::finished, box, [done](int) { done(); });
        box->open();
    };
}
