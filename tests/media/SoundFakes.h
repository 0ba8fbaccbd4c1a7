#pragma once

#include "media/Voices.h"

#include <QSemaphore>
#include <QTimer>
#include <atomic>
#include <memory>

// An audio server as the voices below meet it: while the test holds the
// gate, every call into it hangs, as with a stopped PulseAudio. The counts
// say what reached it.
struct FakeServer {
    QSemaphore gate{1};
    std::atomic<int> warmed{0}, played{0};
    void pass() {
        gate.acquire();
        gate.release();
    }
};

// Sounds for 30 ms once asked.
class FakeChimeVoice final : public ChimeVoice {
public:
    explicit FakeChimeVoice(std::shared_ptr<FakeServer> s) : m_server(std::move(s)) {}
    void warm(int) override {
        m_server->pass();
        ++m_server->warmed;
    }
    void play(quint64 serial) override {
        m_server->pass();
        ++m_server->played;
        emit started(serial);
        QTimer::singleShot(30, this, [this, serial] { emit ended(serial); });
    }

private:
    std::shared_ptr<FakeServer> m_server;
};

// "bad" cannot be played; "gone" is not there; anything else plays for 30 ms.
class FakeMusicVoice final : public MusicVoice {
public:
    explicit FakeMusicVoice(std::shared_ptr<FakeServer> s) : m_server(std::move(s)) {}
    void prepare(const QString&, int) override {
        m_server->pass();
        ++m_server->warmed;
    }
    void play(quint64 serial, const QString& path) override {
        m_server->pass();
        ++m_server->played;
        if (path == QLatin1String("bad")) {
            emit failed(serial);
            return;
        }
        emit started(serial);
        QTimer::singleShot(30, this, [this, serial] { emit finished(serial); });
    }
    void stop() override {}
    void look(const QString& path) override {
        m_server->pass();
        emit looked(path, path != QLatin1String("gone"));
    }

private:
    std::shared_ptr<FakeServer> m_server;
};
