#include "alarm/AlertQueue.h"
#include "media/CTuneDeck.h"
#include "media/QtChime.h"

#include <QtTest>

// No sound card here: the chime and the deck must neither hang nor crash.
class TestSoundFailSoft : public QObject {
    Q_OBJECT
private slots:
    void chimeResourceIsAShortBell() {
        QFile f(QStringLiteral(":/sounds/chime.wav"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray wav = f.readAll();
        // RIFF PCM, mono, 22050 Hz, 16 bits, 33284 bytes of samples.
        QCOMPARE(wav.left(44).toHex(), "524946462882000057415645666d74201000000001000100225600004"
                                       "4ac0000020010006461746104820000");
        QCOMPARE(wav.size(), 44 + 33284);
        int peak = 0;
        for (int i = 44; i < wav.size(); i += 2)
            peak = qMax(peak, qAbs(int(qFromLittleEndian<qint16>(wav.constData() + i))));
        QVERIFY(peak > 8000 && peak < 32767); // audible, never clipped
    }

    void deckRefusesOrFails_data() {
        QTest::addColumn<QString>("path"); // in a scratch folder when there are bytes
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("no path") << QString() << QByteArray();
        QTest::newRow("missing file") << "/nonexistent/歌.mp3" << QByteArray();
        QTest::newRow("a folder") << "/tmp" << QByteArray();
        QTest::newRow("stored default text") << "默认提醒声音" << QByteArray();
        QTest::newRow("empty mp3") << "empty.mp3" << QByteArray("");
        QTest::newRow("text as mp3") << "notes.mp3" << QByteArray("not music\n");
        QTest::newRow("cut-off wav header")
            << "cut.wav" << QByteArray("RIFF\x24\x82\0\0WAVEfmt ", 16);
    }
    // Refused on the spot (the caller chimes), or rejected later through the signal.
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
        QVERIFY(!accepted || !bytes.isNull());
        QTRY_COMPARE_WITH_TIMEOUT(failed.size(), accepted ? 1 : 0, 60000);
        QCOMPARE(deck.CurrentState(), TuneDeck::State::Closed);
    }

    // Playing until the media's own end (the 0.75 s chime here), then Finished.
    void musicPlaysToItsEnd() {
        QTemporaryDir dir;
        const QString path = dir.filePath("tune.wav");
        QVERIFY(QFile::copy(":/sounds/chime.wav", path));
        CTuneDeck deck;
        QList<TuneDeck::State> states;
        QElapsedTimer clock;
        qint64 finishedAt = -1;
        connect(&deck, &TuneDeck::stateChanged, this, [&](TuneDeck::State s) {
            states << s;
            if (s == TuneDeck::State::Finished)
                finishedAt = clock.elapsed();
        });
        deck.SetPath(path);
        clock.start();
        if (!deck.Play())
            QSKIP("no media back end");
        QTRY_VERIFY_WITH_TIMEOUT(!deck.IsActive() || finishedAt >= 0, 30000);
        QCOMPARE(states,
                 (QList<TuneDeck::State>{TuneDeck::State::Playing, TuneDeck::State::Finished}));
        QVERIFY2(finishedAt >= 700, qPrintable(QString::number(finishedAt)));
        QCOMPARE(deck.CurrentState(), TuneDeck::State::Finished);
    }

    void chimeAlwaysEndsOnce() {
        QtChime chime;
        QSignalSpy finished(&chime, &Chime::finished);
        chime.play();
        chime.play(); // cut short and started over: one end only
        QVERIFY(finished.wait(30000));
        QTest::qWait(AlertQueue::kChimeWatchdogMs);
        QCOMPARE(finished.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSoundFailSoft)
#include "TestSoundFailSoft.moc"
