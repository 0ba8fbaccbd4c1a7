#include "alarm/Chime.h"
#include "alarm/TuneDeck.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// No sound card here: the chime and the deck must neither hang nor crash, and
// say what happened.
class TestSoundFailSoft : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void deckWithNothingToPlay_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("no path") << QString();
        QTest::newRow("missing file") << QStringLiteral("/nonexistent/歌.mp3");
        QTest::newRow("a folder") << QStringLiteral("/tmp");
        QTest::newRow("stored default text") << QStringLiteral("默认提醒声音");
    }
    void deckWithNothingToPlay() {
        QFETCH(QString, path);
        CTuneDeck deck;
        QSignalSpy failed(&deck, &TuneDeck::playbackFailed);
        deck.SetPath(path);
        QVERIFY(!deck.Play());
        QCOMPARE(deck.state(), TuneDeck::State::Closed);
        QVERIFY(!deck.IsActive());
        deck.Close();
        QVERIFY(!deck.IsActive());
        QCOMPARE(failed.size(), 0);
    }

    void deckWithAFileItCannotDecode_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QByteArray noise(40000, '\0');
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919 + 13) >> 3);
        QTest::newRow("empty mp3") << QStringLiteral("empty.mp3") << QByteArray();
        QTest::newRow("text as mp3") << QStringLiteral("notes.mp3") << QByteArray("not music\n");
        QTest::newRow("noise as wav") << QStringLiteral("noise.wav") << noise;
        QTest::newRow("cut-off wav header")
            << QStringLiteral("cut.wav") << QByteArray("RIFF\x24\x82\x00\x00WAVEfmt ", 16);
    }
    void deckWithAFileItCannotDecode() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString path = write(name, bytes);
        QVERIFY(!path.isEmpty());
        CTuneDeck deck;
        QSignalSpy failed(&deck, &TuneDeck::playbackFailed);
        deck.SetPath(path);
        const bool accepted = deck.Play();
        if (accepted) {
            // Rejected later, through the signal; the deck closes itself.
            QTRY_VERIFY_WITH_TIMEOUT(failed.size() == 1, 60000);
        } else {
            QCOMPARE(failed.size(), 0);
        }
        QCOMPARE(deck.state(), TuneDeck::State::Closed);
        QVERIFY(!deck.Play() || deck.IsActive()); // and can be asked again
        deck.Close();
        QVERIFY(!deck.IsActive());
    }

    // With or without a device, a good file leaves Playing: to its end, or closed
    // with a failure report.
    void deckPlaysARealFileToAnEnd() {
        QFile chime(QStringLiteral(":/sounds/chime.wav"));
        QVERIFY(chime.open(QIODevice::ReadOnly));
        const QString path = write(QStringLiteral("bell.wav"), chime.readAll());
        CTuneDeck deck;
        QSignalSpy failed(&deck, &TuneDeck::playbackFailed);
        deck.SetPath(path);
        if (!deck.Play())
            QSKIP("no media back end");
        QVERIFY(deck.IsActive());
        QTRY_VERIFY_WITH_TIMEOUT(deck.state() != TuneDeck::State::Playing, 60000);
        QCOMPARE(deck.state() == TuneDeck::State::Closed, failed.size() == 1);
        if (deck.state() == TuneDeck::State::Finished)
            QVERIFY(deck.IsActive()); // stays at its end until stopped
        deck.Close();
        QVERIFY(!deck.IsActive());
    }

    void chimeAlwaysEnds() {
        QtChime chime;
        QSignalSpy finished(&chime, &Chime::finished);
        chime.play();
        QVERIFY(finished.wait(30000));
        QCOMPARE(finished.size(), 1);
        QVERIFY(!chime.isPlaying());
        chime.play();
        chime.play(); // cut short and started over: one end only
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() >= 2, 30000);
        QTest::qWait(QtChime::kWatchdogMs + 200);
        QCOMPARE(finished.size(), 2);
    }

private:
    QTemporaryDir m_dir;
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return {};
        return path;
    }
};

QTEST_GUILESS_MAIN(TestSoundFailSoft)
#include "TestSoundFailSoft.moc"
