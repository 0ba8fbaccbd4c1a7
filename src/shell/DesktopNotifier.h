#pragma once

#include "shell/ShellPorts.h"

#include <QDBusConnection>
#include <QList>

// Notifications through the desktop's org.freedesktop.Notifications service on
// the session bus. Nothing here waits on the bus: whether the service is there
// and whether it reads markup come from one asynchronous GetCapabilities call,
// kept until the service changes hands, and every call has a bound.
class DesktopNotifier final : public NotifierPort {
    Q_OBJECT
public:
    explicit DesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus(),
                             int boundMilliseconds = 5000, QObject* parent = nullptr);

    bool notify(const QString& caption, const QString& text, bool lasting) override;

private slots:
    void onActionInvoked(uint id, const QString& action);
    void onClosed(uint id, uint reason);

private:
    enum class Service { Unknown, Asking, Plain, Markup, Absent };
    struct Note {
        QString caption, text;
        bool lasting;
    };
    void ask();
    void send(const Note& note);

    QDBusConnection m_bus;
    int m_bound;
    Service m_service = Service::Unknown;
    int m_owners = 0; // changes of hands seen: a service that came meanwhile is not absent
    QList<Note> m_waiting;
    QList<uint> m_shown; // ids of this program's notifications still on screen
};
