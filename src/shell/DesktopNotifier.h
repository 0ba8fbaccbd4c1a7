#pragma once

#include "shell/ShellPorts.h"

#include <QDBusConnection>

// Notifications through the desktop's org.freedesktop.Notifications service on
// the session bus. Calls never wait for the service's answer.
class DesktopNotifier final : public NotifierPort {
    Q_OBJECT
public:
    explicit DesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus(),
                             QObject* parent = nullptr);

    bool notify(const QString& caption, const QString& text) override;

private:
    bool serviceOnBus() const;

    QDBusConnection m_bus;
};
