#include "SoundFakes.h"
#include "media/CTuneDeck.h"

#include <QtTest>

class TestCTuneDeck : public QObject {
    Q_OBJECT
private slots:
    // What the deck says after Play(), as its states and signals; "hung": the
    // server hangs, from a prepare() on, until the deck has given up.
    void play_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("hung");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no path") << "" << false << "refused";
        QTest::newRow("plays to its end") << "a.mp3" << false << "Playing started Finished";
        QTest::newRow("unplayable") << "bad" << false << "Playing Closed failed";
        QTest::newRow("hung server: given up, not played late")
            << "a.mp3" << true << "Playing Closed failed";
    }
    void play() {
        QFETCH(QString, path);
        QFETCH(bool, hung);
        const auto server = std::make_shared<FakeServer>();
        CTuneDeck deck(std::make_unique<FakeMusicVoice>(server));
        QStringList said;
        connect(&deck, &TuneDeck::stateChanged, this, [&](TuneDeck::State s) {
            said << QStringList{"Closed", "Playing", "Finished"}[int(s)];
        });
        connect(&deck, &TuneDeck::started, this, [&] { said << "started"; });
        connect(&deck, &TuneDeck::playbackFailed, this, [&] { said << "failed"; });
        deck.SetPath(path);
        if (hung) {
            server->gate.acquire();
            deck.prepare();
        }
        if (!deck.Play())
            said << "refused";
        QTRY_VERIFY_WITH_TIMEOUT(said.size() == 3 || said == QStringList{"refused"}, 5000);
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
