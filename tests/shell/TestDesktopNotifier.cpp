#include "shell/DesktopNotifier.h"

#include <QtTest>

class TestDesktopNotifier : public QObject {
    Q_OBJECT
private slots:
    // No bus, no service: the shell falls back to the tray.
    void notifierWithoutBus() {
        DesktopNotifier notifier(QDBusConnection(QStringLiteral("nowhere")));
        QVERIFY(!notifier.notify(QStringLiteral("Fruitwake"), QStringLiteral("ripe")));
    }
};

QTEST_MAIN(TestDesktopNotifier)
#include "TestDesktopNotifier.moc"
