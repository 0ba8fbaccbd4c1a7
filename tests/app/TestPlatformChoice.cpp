#include "app/PlatformChoice.h"

#include <QtTest>

class TestPlatformChoice : public QObject {
    Q_OBJECT
private slots:
    // env: space-separated NAME=value; installed: the plugins there.
    void choose_data() {
        QTest::addColumn<QString>("env");
        QTest::addColumn<QString>("installed");
        QTest::addColumn<QString>("platform");
        const QString both = "xcb wayland offscreen";
        const QString gnome = "XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME "
                              "WAYLAND_DISPLAY=wayland-0 DISPLAY=:0";
        QTest::newRow("GNOME, Xwayland there") << gnome << both << "xcb;wayland";
        QTest::newRow("GNOME, no wayland plugin") << gnome << "xcb"
                                                  << "xcb";
        QTest::newRow("Ubuntu's GNOME")
            << "XDG_CURRENT_DESKTOP=ubuntu:GNOME WAYLAND_DISPLAY=w DISPLAY=:0" << both
            << "xcb;wayland";
        QTest::newRow("GNOME without Xwayland")
            << "XDG_CURRENT_DESKTOP=GNOME WAYLAND_DISPLAY=w" << both << "";
        QTest::newRow("GNOME on X11")
            << "XDG_SESSION_TYPE=x11 XDG_CURRENT_DESKTOP=GNOME DISPLAY=:0" << both << "";
        QTest::newRow("KDE on Wayland: Qt's own")
            << "XDG_CURRENT_DESKTOP=KDE WAYLAND_DISPLAY=w DISPLAY=:0" << both << "";
        QTest::newRow("asked, missing: falls back") << gnome + " QT_QPA_PLATFORM=wayland"
                                                    << "xcb"
                                                    << "wayland;xcb";
        QTest::newRow("asked with arguments")
            << "WAYLAND_DISPLAY=w DISPLAY=:0 QT_QPA_PLATFORM=XCB:nodpi" << both
            << "XCB:nodpi;wayland";
        QTest::newRow("asked, nothing else") << "QT_QPA_PLATFORM=vnc" << both << "vnc";
    }
    void choose() {
        QFETCH(QString, env);
        QFETCH(QString, installed);
        PlatformChoice::Environment vars;
        for (const QString& pair : env.split(u' ', Qt::SkipEmptyParts))
            vars.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
        QTEST(PlatformChoice::choose(vars, installed.split(u' ')), "platform");
    }

    // The plugins' own names, as the metadata gives them.
    void installed() {
        const QStringList keys = PlatformChoice::installed();
        QVERIFY2(keys.contains("offscreen") && keys.contains("minimal"),
                 qPrintable(keys.join(u' ')));
    }
};

QTEST_MAIN(TestPlatformChoice)
#include "TestPlatformChoice.moc"
