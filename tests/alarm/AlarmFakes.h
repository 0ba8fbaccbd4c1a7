#pragma once

#include "alarm/AlertPresenter.h"
#include "alarm/Chime.h"
#include "alarm/TuneDeck.h"

#include <QStringList>
#include <QTest>

// Fakes that write what they are asked to do into one shared log.
class FakeChime : public Chime {
public:
    explicit FakeChime(QStringList* l) : log(l) {}
    void play() override {
        log->push_back(QStringLiteral("chime"));
        if (endAtOnce)
            finish();
    }
    void prepare() override { ++prepared; }
    void finish() { emit finished(); }
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
        log->push_back(QStringLiteral("play"));
        if (willPlay) {
            setState(State::Playing);
            if (!startsLater)
                emit started();
        }
        return willPlay;
    }
    void Close() override {
        log->push_back(QStringLiteral("close"));
        setState(State::Closed);
    }
    State currentState() const override { return m_state; }
    QString path() const override { return m_path; }
    void setState(State s) {
        m_state = s;
        emit stateChanged(s);
    }
    void prepare() override { ++prepared; }
    // Answered by the test, through presenceChecked().
    void checkPresence(const QString& path) override { asked << path; }
    void startNow() { emit started(); }
    void failLater() {
        setState(State::Closed);
        emit playbackFailed();
    }
    bool willPlay = false;
    bool startsLater = false;
    int prepared = 0;
    QStringList asked;
    QStringList* log;
    QString m_path;
    State m_state = State::Closed;
};

class FakePresenter : public AlertPresenter {
public:
    explicit FakePresenter(QStringList* l) : log(l) {}
    void present(const AlertBatch& b) override {
        QVERIFY2(!open, "a box presented over an open box");
        open = true;
        shown.push_back(b);
        log->push_back(QStringLiteral("box"));
    }
    void dismiss() {
        open = false;
        emit dismissed();
    }
    bool open = false;
    QVector<AlertBatch> shown;
    QStringList* log;
};
