#include "alarm/AlertQueue.h"

#include "AlarmFakes.h"

#include <QtTest>
#include <functional>

class TestAlertQueue : public QObject {
    Q_OBJECT
private slots:
    // Steps: letters enqueue a batch ("*" first: catch-up), one alert per letter
    // with it as text, ripe in upper case; "/" the chime ends, "~" a sound that
    // never tells, "x" the box is closed, "!" accepted music fails, "^" it
    // sounds (these are logged too); "music" the deck plays, "slow" its music
    // sounds only at "^", "active" it is open, "off" boxes unticked. Each box
    // is logged as "[its text]", its lines joined by ","; the queue's state
    // ends the log.
    void steps_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* steps, const char* expected) {
            QTest::newRow(name) << steps << expected;
        };
        row("ripe with music: box at once", "music R / x", "play [R] / x idle");
        row("ripe closes an open deck first", "music active R", "close play [R] box");
        row("silent chime ends by the watchdog", "w ~", "chime ~ [w] box");
        row("next waits for the box, stray end ignored", "Rw / / x / x",
            "play chime / [R] / x chime / [w] x idle");
        row("catch-up of warnings: no music", "music *ww / x", "chime / [w,w] x idle");
        row("box flag read when the box is due", "ww off /", "chime / chime sound");
        row("boxes off: one sound after another", "off music wRRw / /",
            "chime / play close play chime / idle");
        row("failed music: the chime over the box", "music R ! / x !",
            "play [R] ! chime / x ! idle");
        row("music failing before it sounds: chime, then box", "music slow R ! / ^ x",
            "play ! chime / [R] ^ x idle");
        row("music that never tells is closed for the chime", "music slow R ~",
            "play ~ close chime [R] box");
    }
    void steps() {
        QFETCH(QString, steps);
        QStringList log;
        FakeChime chime{&log};
        FakeDeck deck{&log};
        FakePresenter presenter{&log};
        bool boxes = true;
        AlertQueue queue{chime, deck, presenter};
        queue.setShowBoxes([&] { return boxes; });
        queue.setChimeWatchdogMs(20);
        const auto batch = [](const QString& letters) {
            AlertBatch b;
            b.catchUp = letters.startsWith('*');
            for (QChar c : letters.mid(b.catchUp ? 1 : 0))
                b.alerts << Alert{
                    c.isUpper() ? Alert::Kind::Ripe : Alert::Kind::Warning, 0, {}, 0, c};
            return b;
        };
        const QHash<QString, std::function<void()>> act{
            {"music", [&] { deck.willPlay = true; }},
            {"slow", [&] { deck.startsLater = true; }},
            {"^", [&] { emit deck.started(); }},
            {"active", [&] { deck.setState(TuneDeck::State::Finished); }},
            {"off", [&] { boxes = false; }},
            {"/", [&] { emit chime.finished(); }},
            {"~", [&] { QTRY_VERIFY_WITH_TIMEOUT(queue.isBoxOpen(), 30000); }},
            {"x", [&] { presenter.dismiss(); }},
            {"!", [&] {
                 deck.setState(TuneDeck::State::Closed);
                 emit deck.playbackFailed();
             }}};
        for (const QString& s : steps.split(' ')) {
            if (QStringLiteral("/~x!^").contains(s))
                log << s;
            if (const auto f = act.value(s))
                f();
            else
                queue.enqueue(batch(s));
        }
        for (int i = 0, box = 0; i < log.size(); ++i)
            if (log[i] == "box")
                log[i] = '[' + presenter.shown[box++] + ']';
        const char* state = queue.isBoxOpen() ? "box" : queue.isBusy() ? "sound" : "idle";
        QTEST(log.join(' ') + ' ' + state, "expected");
    }
};

QTEST_GUILESS_MAIN(TestAlertQueue)
#include "TestAlertQueue.moc"
