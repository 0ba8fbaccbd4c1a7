#include "app/PlatformChoice.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QPluginLoader>

namespace PlatformChoice {

QString choose(const Environment& env, const QStringList& installed) {
    const auto set = [&env](const char* name) { return !env.value(QLatin1String(name)).isEmpty(); };
    const QStringList desktops = (env.value(QStringLiteral("XDG_CURRENT_DESKTOP")) + u':' +
                                  env.value(QStringLiteral("XDG_SESSION_DESKTOP")))
                                     .toLower()
                                     .split(u':');
    const bool gnome = desktops.contains(QStringLiteral("gnome"));
    const bool waylandSession =
        set("WAYLAND_DISPLAY") || env.value(QStringLiteral("XDG_SESSION_TYPE")) == u"wayland";
    const bool x11 = set("DISPLAY") && installed.contains(QStringLiteral("xcb"));
    const bool wayland = waylandSession && installed.contains(QStringLiteral("wayland"));
    QStringList offered;
    if (x11)
        offered << QStringLiteral("xcb");
    if (wayland)
        offered.insert(gnome ? offered.size() : 0, QStringLiteral("wayland"));

    const QString asked = env.value(QStringLiteral("QT_QPA_PLATFORM"));
    if (asked.trimmed().isEmpty())
        return gnome && waylandSession && x11 ? offered.join(u';') : QString();
    QStringList list = asked.split(u';', Qt::SkipEmptyParts);
    QStringList named;
    for (const QString& entry : list)
        named << entry.section(u':', 0, 0).trimmed().toLower();
    for (const QString& platform : offered)
        if (!named.contains(platform))
            list << platform;
    return list.join(u';');
}

Environment current() {
    Environment env;
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE",
                             "XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP"})
        env.insert(QLatin1String(name), qEnvironmentVariable(name));
    return env;
}

QStringList installed() {
    QStringList dirs{qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH")};
    for (const QString& path :
         qEnvironmentVariable("QT_PLUGIN_PATH").split(u':', Qt::SkipEmptyParts))
        dirs << path + QStringLiteral("/platforms");
    dirs << QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms");
    QStringList keys;
    for (const QString& dir : dirs) {
        if (dir.isEmpty())
            continue;
        for (const QFileInfo& file : QDir(dir).entryInfoList(QDir::Files)) {
            const QJsonObject meta = QPluginLoader(file.absoluteFilePath()).metaData();
            if (!meta.value(QStringLiteral("IID")).toString().contains(u"QPlatformIntegration"))
                continue;
            const QJsonArray names = meta.value(QStringLiteral("MetaData"))
                                         .toObject()
                                         .value(QStringLiteral("Keys"))
                                         .toArray();
            for (const QJsonValue& name : names)
                keys << name.toString().toLower();
        }
    }
    keys.removeDuplicates();
    return keys;
}

} // namespace PlatformChoice
