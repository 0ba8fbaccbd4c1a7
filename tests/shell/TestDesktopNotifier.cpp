#include "shell/DesktopNotifier.h"

#include <QtDBus>
#include <QtTest>

namespace {

const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

// A notification service on a private peer connection. It records each Notify
// call and answers it, turns it down ("refuses") or never answers ("silent").
class FakeService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList caps{"body"};
    QString mode = "answers";
    int asked = 0;
    QStringList calls; // body, expiry, urgency, first action
public slots:
    QStringList GetCapabilities() { return ++asked, caps; }
    uint Notify(const QString&, uint, const QString&, const QString&, const QString& body,
                const QStringList& actions, const QVariantMap& hints, int expiry) {
        const int urgency = hints.value("urgency").toInt();
        calls << QStringList{body, QString::number(expiry), QString::number(urgency),
                             actions.value(0)}
                     .join(u'|');
        if (mode == "refuses")
            sendErrorReply(QDBusError::AccessDenied, "no");
        else if (mode == "silent")
            setDelayedReply(true);
        return uint(calls.size());
    }
};

struct Rig {
    FakeService service;
    QDBusServer server{QStringLiteral("unix:tmpdir=") + QDir::tempPath()};
    std::optional<QDBusConnection> peer;
    std::unique_ptr<DesktopNotifier> notifier;
    QStringList undelivered;
    int clicks = 0;

    Rig() {
        QObject::connect(&server, &QDBusServer::newConnection, [this](const QDBusConnection& c) {
            peer = c;
            peer->registerObject(kPath, &service, QDBusConnection::ExportAllSlots);
        });
        static int n = 0;
        notifier = std::make_unique<DesktopNotifier>(
            QDBusConnection::connectToPeer(server.address(), QString::number(++n)), 300);
        QTRY_VERIFY(peer);
        QObject::connect(notifier.get(), &NotifierPort::undelivered,
                         [this](auto& c, auto& t) { undelivered << c + '|' + t; });
        QObject::connect(notifier.get(), &NotifierPort::clicked, [this] { ++clicks; });
    }
    void click(uint id, const QString& action) {
        peer->send(
            QDBusMessage::createSignal(kPath, "org.freedesktop.Notifications", "ActionInvoked")
            << id << action);
    }
};

} // namespace

class TestDesktopNotifier : public QObject {
    Q_OBJECT
private slots:
    // Bodies show as typed (through body markup: tests/e2e/desktop_notifications.sh); the ripe
    // alert stays until dismissed; a refused or unanswered notification is told as undelivered,
    // a delivered one is not.
    void notify_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("lasting");
        QTest::addColumn<QString>("call");
        QTest::addColumn<bool>("undelivered");
        QTest::newRow("warning") << "answers" << false << "-1|1|default" << false;
        QTest::newRow("ripe") << "answers" << true << "0|2|default" << false;
        QTest::newRow("refused") << "refuses" << true << "0|2|default" << true;
        QTest::newRow("never answered") << "silent" << false << "-1|1|default" << true;
    }
    void notify() {
        QFETCH(QString, mode);
        QFETCH(bool, lasting);
        Rig rig;
        rig.service.mode = mode;
        const QString note = QStringLiteral("注：<b>x</b> &amp; y<i>");
        // The second comes after the capabilities are known, and needs no second question.
        QVERIFY(rig.notifier->notify("Fruitwake", note, lasting));
        QTRY_COMPARE(rig.service.calls.size(), 1);
        QVERIFY(rig.notifier->notify("Fruitwake", "second", lasting));
        QTRY_COMPARE(rig.service.calls.size(), 2);
        QCOMPARE(rig.service.calls[0].section('|', 0, -4), note);
        QTEST(rig.service.calls[0].section('|', -3), "call");
        QCOMPARE(rig.service.asked, 1);
        QFETCH(bool, undelivered);
        QTest::qWait(undelivered ? 0 : 400); // past the bound
        const QStringList expected{"Fruitwake|" + note, "Fruitwake|second"};
        QTRY_COMPARE(rig.undelivered, undelivered ? expected : QStringList());
    }

    // Only a click on this program's own notification counts. Without a bus the shell tells
    // through the tray at once.
    void click() {
        QVERIFY(!DesktopNotifier(QDBusConnection("nowhere")).notify("Fruitwake", "ripe", true));
        Rig rig;
        rig.notifier->notify("Fruitwake", "ripe", true);
        QTRY_COMPARE(rig.service.calls.size(), 1);
        QTest::qWait(50);
        rig.click(2, "default");
        rig.click(1, "other");
        rig.click(1, "default");
        QTRY_COMPARE(rig.clicks, 1);
        QTest::qWait(50);
        QCOMPARE(rig.clicks, 1);
    }
};

QTEST_MAIN(TestDesktopNotifier)
#include "TestDesktopNotifier.moc"
