#pragma once

#include "alarm/AlertPresenter.h"
#include "alarm/Chime.h"
#include "alarm/TuneDeck.h"

#include <QStringList>
#include <QTest>

// Fakes that write what they are asked to do into one shared log; the tests
// emit their signals.
class FakeChime : public Chime {
public:
    explicit FakeChime(QStringList* l) : log(l) {}
    void play() override {
        *log << "chime";
        if (endAtOnce)
            emit finished();
    }
    void prepare() override { ++prepared; }
    bool endAtOnce = false;
    int prepared = 0;
    QStringList* log;
};

class FakeDeck : public TuneDeck {
public:
    explicit FakeDeck(QStringList* l) : log(l) {}
    void SetPath(const QString& p) override { m_path = p; }
    // Accepted music sounds at once unless startsLater.
    bool Play() override {
        *log << "play";
        if (willPlay)
            setState(State::Playing);
        if (willPlay && !startsLater)
            emit started();
        return willPlay;
    }
    void Close() override {
        *log << "close";
        setState(State::Closed);
    }
    State currentState() const override { return m_state; }
    QString path() const override { return m_path; }
    void setState(State s) { emit stateChanged(m_state = s); }
    void prepare() override { ++prepared; }
    void checkPresence(const QString& path) override { asked << path; }
    bool willPlay = false, startsLater = false;
    int prepared = 0;
    QStringList asked, *log;
    QString m_path;
    State m_state = State::Closed;
};

class FakePresenter : public AlertPresenter {
public:
    explicit FakePresenter(QStringList* l) : log(l) {}
    void present(const AlertBatch& b) override {
        QVERIFY2(!open, "a box presented over an open box");
        open = true;
        *log << "box";
        shown << b.boxText().replace('\n', ',');
    }
    void dismiss() {
        open = false;
        emit dismissed();
    }
    bool open = false;
    QStringList shown, *log;
};
