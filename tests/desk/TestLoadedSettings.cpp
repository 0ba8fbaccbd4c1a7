#include "desk/LoadedSettings.h"

#include <QtTest>
#include <climits>

class TestLoadedSettings : public QObject {
    Q_OBJECT
private slots:
    // The lead as stored (the desk limits it); the music while its file is there.
    void adopt_data() {
        QTest::addColumn<LoadStatus>("status");
        QTest::addColumn<int>("lead");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("present");
        QTest::addColumn<QString>("shown"); // lead, music, player's path, label
        const QString d = QStringLiteral("默认提醒声音");
        QTest::newRow("empty file") << LoadStatus::Empty << 3 << "/m.mp3" << true << "5,,,默认音乐";
        QTest::newRow("music there")
            << LoadStatus::Whole << 9 << "/m.mp3" << true << "9,/m.mp3,/m.mp3,/m.mp3";
        QTest::newRow("music gone")
            << LoadStatus::Damaged << 3 << "/m.mp3" << false << "3," + d + ",," + d;
        QTest::newRow("no music") << LoadStatus::Whole << INT_MIN << "" << true
                                  << "-2147483648," + d + ",," + d;
    }
    void adopt() {
        QFETCH(LoadStatus, status);
        QFETCH(int, lead);
        QFETCH(QString, path);
        QFETCH(bool, present);
        const LoadedSettings s = adoptLoaded({status, {path, lead, {}}, {}, {}}, present);
        QTEST(QString("%1,").arg(s.leadMinutes) + s.strMusic + ',' + s.playerPath + ',' +
                  s.musicLabel,
              "shown");
    }
};

QTEST_GUILESS_MAIN(TestLoadedSettings)
#include "TestLoadedSettings.moc"
