#include "alarm/AlertQueue.h"

#include "AlarmFakes.h"

#include <QtTest>

namespace {

Alert MakeAlert(Alert::Kind kind, const QString& text) {
    Alert a;
    a.kind = kind;
    a.text = text;
    return a;
}

AlertBatch Batch(std::initializer_list<Alert> alerts, bool catchUp = false) {
    AlertBatch b;
    b.catchUp = catchUp;
    b.alerts = alerts;
    return b;
}

const Alert kWarn = MakeAlert(Alert::Kind::Warning, QStringLiteral("w"));
const Alert kRipe = MakeAlert(Alert::Kind::Ripe, QStringLiteral("r"));

struct Rig {
    QStringList log;
    FakeChime chime{&log};
    FakeDeck deck{&log};
    FakePresenter presenter{&log};
    bool boxes = true;
    AlertQueue queue{chime, deck, presenter};
    Rig() {
        queue.setShowBoxes([this] { return boxes; });
    }
};

} // namespace

class TestAlertQueue : public QObject {
    Q_OBJECT
private slots:
    void oneAlert_data() {
        QTest::addColumn<bool>("ripe");
        QTest::addColumn<bool>("music");
        QTest::addColumn<bool>("deckActive");
        QTest::addColumn<bool>("boxes");
        QTest::addColumn<QStringList>("beforeChimeEnds");
        QTest::addColumn<QStringList>("afterChimeEnds");

        QTest::newRow("warning: chime then box")
            << false << false << false << true << QStringList{"chime"}
            << QStringList{"chime", "box"};
        QTest::newRow("warning with music chosen still chimes, music plays on")
            << false << true << true << true << QStringList{"chime"} << QStringList{"chime", "box"};
        QTest::newRow("ripe, music starts: box at once")
            << true << true << false << true << QStringList{"play", "box"}
            << QStringList{"play", "box"};
        QTest::newRow("ripe, active deck closed first")
            << true << true << true << true << QStringList{"close", "play", "box"}
            << QStringList{"close", "play", "box"};
        QTest::newRow("ripe, no music: chime then box")
            << true << false << false << true << QStringList{"play", "chime"}
            << QStringList{"play", "chime", "box"};
        QTest::newRow("ripe, no music, boxes off")
            << true << false << false << false << QStringList{"play", "chime"}
            << QStringList{"play", "chime"};
        QTest::newRow("warning, boxes off")
            << false << false << false << false << QStringList{"chime"} << QStringList{"chime"};
    }
    void oneAlert() {
        QFETCH(bool, ripe);
        QFETCH(bool, music);
        QFETCH(bool, deckActive);
        QFETCH(bool, boxes);
        QFETCH(QStringList, beforeChimeEnds);
        QFETCH(QStringList, afterChimeEnds);

        Rig rig;
        rig.boxes = boxes;
        rig.deck.willPlay = music;
        rig.deck.setState(deckActive ? TuneDeck::State::Finished : TuneDeck::State::Closed);
        rig.queue.enqueue(Batch({ripe ? kRipe : kWarn}));
        QCOMPARE(rig.log, beforeChimeEnds);
        if (rig.chime.sounding)
            rig.chime.finish();
        QCOMPARE(rig.log, afterChimeEnds);
        QCOMPARE(rig.queue.isBoxOpen(), boxes);
        if (boxes) {
            QCOMPARE(rig.presenter.shown.size(), 1);
            QCOMPARE(rig.presenter.shown[0].boxText(),
                     ripe ? QStringLiteral("r") : QStringLiteral("w"));
            rig.presenter.dismiss();
        }
        QVERIFY(!rig.queue.isBusy());
    }

    void secondWaitsForFirstBox() {
        Rig rig;
        rig.queue.enqueue(Batch({kRipe, kWarn}));
        QCOMPARE(rig.log, (QStringList{"play", "chime"}));
        rig.chime.finish();
        QCOMPARE(rig.log, (QStringList{"play", "chime", "box"}));
        QCOMPARE(rig.queue.waiting(), 1);
        rig.chime.finish(); // a stray end changes nothing
        QCOMPARE(rig.log.size(), 3);
        rig.presenter.dismiss();
        QCOMPARE(rig.log, (QStringList{"play", "chime", "box", "chime"}));
        rig.chime.finish();
        QCOMPARE(rig.presenter.shown.size(), 2);
        QCOMPARE(rig.presenter.shown[1].boxText(), QStringLiteral("w"));
        rig.presenter.dismiss();
        QVERIFY(!rig.queue.isBusy());
    }

    void neverPresentsOverAnOpenBox() {
        Rig rig;
        rig.chime.endAtOnce = true; // even a chime that ends inside play()
        rig.deck.willPlay = true;
        for (int i = 0; i < 5; ++i)
            rig.queue.enqueue(Batch({kWarn, kRipe, kWarn}));
        QCOMPARE(rig.presenter.shown.size(), 1);
        rig.queue.enqueue(Batch({kRipe, kRipe}, true));
        int rounds = 0;
        while (rig.presenter.open && rounds++ < 100)
            rig.presenter.dismiss();
        QCOMPARE(rig.presenter.overlaps, 0);
        QCOMPARE(rig.presenter.shown.size(), 16);
        QVERIFY(rig.presenter.shown.last().catchUp);
        QVERIFY(!rig.queue.isBusy());
    }

    void catchUpIsOneSoundAndOneBox() {
        Rig rig;
        const Alert r1 = MakeAlert(Alert::Kind::Ripe, QStringLiteral("r1"));
        const Alert w1 = MakeAlert(Alert::Kind::Warning, QStringLiteral("w1"));
        rig.queue.enqueue(Batch({r1, w1}, true));
        rig.chime.finish();
        QCOMPARE(rig.log, (QStringList{"play", "chime", "box"}));
        QCOMPARE(rig.presenter.shown[0].boxText(), QStringLiteral("r1\nw1"));
        // Warnings alone: the chime, and the deck left alone.
        rig.presenter.dismiss();
        rig.log.clear();
        rig.queue.enqueue(Batch({w1, w1}, true));
        rig.chime.finish();
        QCOMPARE(rig.log, (QStringList{"chime", "box"}));
    }

    void boxFlagReadWhenTheBoxIsDue() {
        Rig rig;
        rig.queue.enqueue(Batch({kWarn, kWarn}));
        rig.boxes = false; // unticked while the first chime sounds
        rig.chime.finish();
        QCOMPARE(rig.log, (QStringList{"chime", "chime"}));
        rig.boxes = true;
        rig.chime.finish();
        QCOMPARE(rig.log, (QStringList{"chime", "chime", "box"}));
    }

    void boxesOffSoundsOneAfterAnother() {
        Rig rig;
        rig.boxes = false;
        rig.deck.willPlay = true;
        rig.queue.enqueue(Batch({kWarn, kRipe, kRipe, kWarn}));
        QCOMPARE(rig.log, (QStringList{"chime"}));
        rig.chime.finish();
        QCOMPARE(rig.log, (QStringList{"chime", "play", "close", "play", "chime"}));
        rig.chime.finish();
        QVERIFY(!rig.queue.isBusy());
        QCOMPARE(rig.presenter.shown.size(), 0);
    }

    void acceptedMusicThatFailsFallsBackToChime() {
        Rig rig;
        rig.deck.willPlay = true;
        rig.queue.enqueue(Batch({kRipe}));
        QCOMPARE(rig.log, (QStringList{"play", "box"}));
        rig.deck.failLater();
        QCOMPARE(rig.log, (QStringList{"play", "box", "chime"}));
        rig.chime.finish();
        QCOMPARE(rig.presenter.shown.size(), 1);
        QVERIFY(rig.queue.isBoxOpen());
        rig.presenter.dismiss();
        rig.deck.failLater(); // no ripe alert of ours behind this one
        QCOMPARE(rig.chime.plays, 1);
    }

    void silentChimeEndsByWatchdog() {
        Rig rig;
        rig.queue.setChimeWatchdogMs(20);
        rig.queue.enqueue(Batch({kWarn}));
        QTRY_VERIFY_WITH_TIMEOUT(rig.presenter.open, 30000);
        QCOMPARE(rig.log, (QStringList{"chime", "box"}));
    }
};

QTEST_GUILESS_MAIN(TestAlertQueue)
#include "TestAlertQueue.moc"
