#include "shell/DesktopNotifier.h"

#include "window/ProgramIcon.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QImage>
#include <QVariantMap>
#include <utility>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kDefault = QStringLiteral("default");
constexpr int kKeptIds = 32;

// The icon's pixels go along as "image-data" (iiibiiay): the theme may not
// know the program's icon name when it runs from where it was built.
QDBusArgument imageData() {
    const QImage image =
        ProgramIcon::icon().pixmap(48).toImage().convertToFormat(QImage::Format_RGBA8888);
    QDBusArgument arg;
    arg.beginStructure();
    arg << image.width() << image.height() << int(image.bytesPerLine()) << true << 8 << 4
        << QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
    arg.endStructure();
    return arg;
}

// A service that reads body markup shows a note such as "<b>x</b> &amp; y" as
// typed only with these three escaped.
QString escapeMarkup(QString text) {
    return text.replace(u'&', QLatin1String("&amp;"))
        .replace(u'<', QLatin1String("&lt;"))
        .replace(u'>', QLatin1String("&gt;"));
}

} // namespace

DesktopNotifier::DesktopNotifier(QDBusConnection bus, int boundMilliseconds, QObject* parent)
    : NotifierPort(parent), m_bus(std::move(bus)), m_bound(boundMilliseconds) {
    if (!m_bus.isConnected())
        return;
    // Another service (a restarted daemon, another desktop's) may read bodies otherwise.
    auto* watcher =
        new QDBusServiceWatcher(kService, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, [this] {
        ++m_owners;
        m_shown.clear();
        if (m_service != Service::Asking)
            m_service = Service::Unknown;
    });
    // From any sender: naming the service would make Qt look up its owner, and wait.
    m_bus.connect(QString(), kPath, kService, QStringLiteral("ActionInvoked"), this,
                  SLOT(onActionInvoked(uint, QString)));
    m_bus.connect(QString(), kPath, kService, QStringLiteral("NotificationClosed"), this,
                  SLOT(onClosed(uint, uint)));
}

bool DesktopNotifier::notify(const QString& caption, const QString& text, bool lasting) {
    if (!m_bus.isConnected() || m_service == Service::Absent)
        return false;
    const Note note{caption, text, lasting};
    if (m_service == Service::Plain || m_service == Service::Markup) {
        send(note);
        return true;
    }
    m_waiting << note;
    if (m_service == Service::Unknown)
        ask();
    return true;
}

// The answer also says whether there is a service: a name that nobody owns
// and nothing can start is refused by the bus at once.
void DesktopNotifier::ask() {
    m_service = Service::Asking;
    const int owners = m_owners;
    const QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService,
                                                             QStringLiteral("GetCapabilities"));
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_bound), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, owners] {
        watcher->deleteLater();
        const QDBusPendingReply<QStringList> reply = *watcher;
        if (reply.isError()) {
            // Absent is kept until a service comes; any other failure is asked again next time.
            const bool absent =
                reply.error().type() == QDBusError::ServiceUnknown && owners == m_owners;
            m_service = absent ? Service::Absent : Service::Unknown;
            for (const Note& note : std::exchange(m_waiting, {}))
                emit undelivered(note.caption, note.text);
            return;
        }
        m_service = reply.value().contains(QStringLiteral("body-markup")) ? Service::Markup
                                                                          : Service::Plain;
        for (const Note& note : std::exchange(m_waiting, {}))
            send(note);
    });
}

void DesktopNotifier::send(const Note& note) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), QStringLiteral("fruitwake")},
        {QStringLiteral("image-data"), QVariant::fromValue(imageData())},
        // Critical: shown until dismissed, also where the expiry below is not honoured.
        {QStringLiteral("urgency"), QVariant::fromValue(uchar(note.lasting ? 2 : 1))},
    };
    const QString body = m_service == Service::Markup ? escapeMarkup(note.text) : note.text;
    // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout
    call << note.caption << uint(0) << QStringLiteral("fruitwake") << note.caption << body
         << QStringList{kDefault, note.caption} << hints << qint32(note.lasting ? 0 : -1);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_bound), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, note] {
        watcher->deleteLater();
        const QDBusPendingReply<uint> reply = *watcher;
        if (reply.isError()) {
            emit undelivered(note.caption, note.text);
            return;
        }
        m_shown << reply.value();
        if (m_shown.size() > kKeptIds)
            m_shown.removeFirst();
    });
}

void DesktopNotifier::onActionInvoked(uint id, const QString& action) {
    if (action == kDefault && m_shown.contains(id))
        emit clicked();
}

void DesktopNotifier::onClosed(uint id, uint) {
    m_shown.removeAll(id);
}
