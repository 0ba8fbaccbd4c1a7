#include "media/CTuneDeck.h"
#include "media/PcmChimeVoice.h"
#include "media/QtChime.h"

#include <QtTest>

// The real sounds, through a private PulseAudio with a null sink where one
// starts: never a hang or a crash, and every play ends in one word.
class TestSoundFailSoft : public QObject {
    Q_OBJECT
    QTemporaryDir m_runtime;
    QProcess m_server;

private slots:
    void initTestCase() {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
        m_server.start(QStringLiteral("pulseaudio"),
                       {"-n", "--daemonize=no", "--exit-idle-time=-1", "-L",
                        "module-native-protocol-unix", "-L", "module-null-sink"});
        // Without one, the music that needs an output is skipped.
        if (m_server.waitForStarted(5000))
            (void)QTest::qWaitFor(
                [this] { return QFile::exists(m_runtime.filePath("pulse/native")); }, 10000);
    }
    void cleanupTestCase() {
        m_server.terminate();
        m_server.waitForFinished(5000);
    }

    void deckRefusesOrFails_data() {
        QTest::addColumn<QString>("path"); // in a scratch folder when there are bytes
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("no path") << QString() << QByteArray();
        QTest::newRow("missing file") << "/nonexistent/歌.mp3" << QByteArray();
        QTest::newRow("text as mp3") << "notes.mp3" << QByteArray("not music\n");
        QTest::newRow("cut-off wav header")
            << "cut.wav" << QByteArray("RIFF\x24\x82\0\0WAVEfmt ", 16);
    }
    // Refused on the spot without a path (the caller chimes), else failed later.
    void deckRefusesOrFails() {
        QFETCH(QString, path);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        if (!bytes.isNull()) {
            QFile file(path = dir.filePath(path));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        CTuneDeck deck;
        QSignalSpy failed(&deck, &TuneDeck::playbackFailed);
        deck.SetPath(path);
        const bool accepted = deck.Play();
        QCOMPARE(accepted, !path.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(failed.size(), accepted ? 1 : 0, 10000);
        QCOMPARE(deck.currentState(), TuneDeck::State::Closed);
    }

    // Playing until the media's own end (the 0.75 s chime here), then Finished.
    void musicPlaysToItsEnd() {
        QTemporaryDir dir;
        const QString path = dir.filePath("tune.wav");
        QVERIFY(QFile::copy(QString::fromLatin1(PcmChimeVoice::kSource), path));
        CTuneDeck deck;
        QSignalSpy states(&deck, &TuneDeck::stateChanged);
        QElapsedTimer clock;
        deck.SetPath(path);
        clock.start();
        QVERIFY(deck.Play());
        QTRY_VERIFY_WITH_TIMEOUT(deck.currentState() != TuneDeck::State::Playing, 30000);
        if (deck.currentState() == TuneDeck::State::Closed)
            QSKIP("no audio output here");
        QVERIFY2(clock.elapsed() >= 700, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(states.size(), 2); // Playing, then Finished
    }

    void chimeAlwaysEndsOnce() {
        QtChime chime;
        QSignalSpy finished(&chime, &Chime::finished);
        chime.prepare();
        chime.play();
        chime.play(); // cut short and started over: one end only
        QVERIFY(finished.wait(30000));
        QTest::qWait(PcmChimeVoice::kFeedMs * 20);
        QCOMPARE(finished.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSoundFailSoft)
#include "TestSoundFailSoft.moc"
