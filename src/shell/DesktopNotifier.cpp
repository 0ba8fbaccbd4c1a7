#include "shell/DesktopNotifier.h"

#include "window/ProgramIcon.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QImage>
#include <QVariantMap>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

// The icon's pixels go along as "image-data" (iiibiiay): the theme may not
// know the program's icon name when it runs from where it was built.
QDBusArgument ImageData() {
    const QImage image =
        ProgramIcon::Icon().pixmap(48).toImage().convertToFormat(QImage::Format_RGBA8888);
    QDBusArgument arg;
    arg.beginStructure();
    arg << image.width() << image.height() << int(image.bytesPerLine()) << true << 8 << 4
        << QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
    arg.endStructure();
    return arg;
}

} // namespace

DesktopNotifier::DesktopNotifier(QDBusConnection bus, QObject* parent)
    : NotifierPort(parent), m_bus(std::move(bus)) {}

// A daemon that is started on demand is not on the bus until the first call.
bool DesktopNotifier::serviceOnBus() const {
    const QDBusConnectionInterface* bus = m_bus.isConnected() ? m_bus.interface() : nullptr;
    if (!bus)
        return false;
    if (bus->isServiceRegistered(kService))
        return true;
    const QDBusReply<QStringList> startable = bus->activatableServiceNames();
    return startable.isValid() && startable.value().contains(kService);
}

bool DesktopNotifier::notify(const QString& caption, const QString& text) {
    if (!serviceOnBus())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, "Notify");
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), QStringLiteral("fruitwake")},
        {QStringLiteral("image-data"), QVariant::fromValue(ImageData())},
    };
    // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout
    call << caption << quint32(0) << QStringLiteral("fruitwake") << caption << text << QStringList()
         << hints << qint32(-1);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, caption, text] {
        watcher->deleteLater();
        if (watcher->isError())
            emit undelivered(caption, text);
    });
    return true;
}
