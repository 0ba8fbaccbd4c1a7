#pragma once

#include "alarm/AlertPresenter.h"
#include "alarm/Chime.h"
#include "alarm/TuneDeck.h"

#include <QStringList>

// Fakes that write what they are asked to do into one shared log.
class FakeChime : public Chime {
public:
    explicit FakeChime(QStringList* log) : m_log(log) {}
    void play() override {
        ++plays;
        m_log->push_back(QStringLiteral("chime"));
        sounding = true;
        if (endAtOnce)
            finish();
    }
    void finish() {
        sounding = false;
        emit finished();
    }
    int plays = 0;
    bool sounding = false;
    bool endAtOnce = false;

private:
    QStringList* m_log;
};

class FakeDeck : public TuneDeck {
public:
    explicit FakeDeck(QStringList* log) : m_log(log) {}
    void SetPath(const QString& p) override { m_path = p; }
    bool Play() override {
        m_log->push_back(QStringLiteral("play"));
        if (!willPlay)
            return false;
        m_state = State::Playing;
        return true;
    }
    void Close() override {
        m_log->push_back(QStringLiteral("close"));
        m_state = State::Closed;
    }
    State state() const override { return m_state; }
    QString path() const override { return m_path; }
    void failLater() {
        m_state = State::Closed;
        emit playbackFailed();
    }
    void setState(State s) { m_state = s; }
    bool willPlay = false;

private:
    QStringList* m_log;
    QString m_path;
    State m_state = State::Closed;
};

class FakePresenter : public AlertPresenter {
public:
    explicit FakePresenter(QStringList* log) : m_log(log) {}
    void present(const AlertBatch& b) override {
        if (open)
            ++overlaps;
        open = true;
        shown.push_back(b);
        m_log->push_back(QStringLiteral("box"));
    }
    void dismiss() {
        open = false;
        emit dismissed();
    }
    bool open = false;
    int overlaps = 0;
    QVector<AlertBatch> shown;

private:
    QStringList* m_log;
};
