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
        const auto row = [](const char* name, const QString& env, const char* installed,
                            const char* platform) {
            QTest::newRow(name) << env << QString(installed) << QString(platform);
        };
        const char* both = "xcb wayland offscreen";
        const QString gnome = "XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME "
                              "WAYLAND_DISPLAY=wayland-0 DISPLAY=:0";
        row("GNOME, Xwayland there", gnome, both, "xcb;wayland");
        row("GNOME, no wayland plugin", gnome, "xcb", "xcb");
        row("Ubuntu's GNOME", "XDG_CURRENT_DESKTOP=ubuntu:GNOME WAYLAND_DISPLAY=w DISPLAY=:0", both,
            "xcb;wayland");
        row("GNOME without Xwayland", "XDG_CURRENT_DESKTOP=GNOME WAYLAND_DISPLAY=w", both, "");
        row("GNOME on X11", "XDG_SESSION_TYPE=x11 XDG_CURRENT_DESKTOP=GNOME DISPLAY=:0", both, "");
        row("KDE on Wayland: Qt's own", "XDG_CURRENT_DESKTOP=KDE WAYLAND_DISPLAY=w DISPLAY=:0",
            both, "");
        row("asked, missing: falls back", gnome + " QT_QPA_PLATFORM=wayland", "xcb", "wayland;xcb");
        row("asked with arguments", "WAYLAND_DISPLAY=w DISPLAY=:0 QT_QPA_PLATFORM=XCB:nodpi", both,
            "XCB:nodpi;wayland");
        row("asked, nothing else", "QT_QPA_PLATFORM=vnc", both, "vnc");
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
