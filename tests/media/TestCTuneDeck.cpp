#include "SoundFakes.h"
#include "media/CTuneDeck.h"

#include <QtTest>

class TestCTuneDeck : public QObject {
    Q_OBJECT
private slots:
    // What the deck says after Play(), as its states and signals; "hung": the
    // server hangs, from a prepare() on, until the deck has given up. Refusals
    // and unplayable files are tried on the real deck.
    void play_data() {
        QTest::addColumn<bool>("hung");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plays to its end") << false << "Playing started Finished";
        QTest::newRow("hung server: given up, not played late") << true << "Playing Closed failed";
    }
    void play() {
        QFETCH(bool, hung);
        const auto server = std::make_shared<FakeServer>();
        CTuneDeck deck(std::make_unique<FakeMusicVoice>(server));
        QStringList said;
        connect(&deck, &TuneDeck::stateChanged, this, [&](TuneDeck::State s) {
            said << QStringList{"Closed", "Playing", "Finished"}[int(s)];
        });
        connect(&deck, &TuneDeck::started, this, [&] { said << "started"; });
        connect(&deck, &TuneDeck::playbackFailed, this, [&] { said << "failed"; });
        deck.SetPath("a.mp3");
        if (hung) {
            server->gate.acquire();
            deck.prepare();
        }
        QVERIFY(deck.Play());
        QTRY_COMPARE_WITH_TIMEOUT(said.size(), 3, 5000);
        if (hung) {
            server->gate.release();
            deck.checkPresence("gone"); // answered after the abandoned play
            QSignalSpy looked(&deck, &TuneDeck::presenceChecked);
            QVERIFY(looked.wait(5000));
            QCOMPARE(looked[0], (QVariantList{"gone", false}));
            QCOMPARE(server->played.load(), 0);
        }
        QTEST(said.join(' '), "expected");
    }
};

QTEST_GUILESS_MAIN(TestCTuneDeck)
#include "TestCTuneDeck.moc"
