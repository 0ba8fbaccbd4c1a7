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
    // Waits while the gate is held, then counts the call.
    void reach(std::atomic<int>* count = nullptr) {
        gate.acquire();
        gate.release();
        if (count)
            ++*count;
    }
};

// Sounds for 30 ms once asked.
class FakeChimeVoice final : public ChimeVoice {
public:
    explicit FakeChimeVoice(std::shared_ptr<FakeServer> s) : server(std::move(s)) {}
    void warm(int) override { server->reach(&server->warmed); }
    void play(quint64 serial) override {
        server->reach(&server->played);
        emit started(serial);
        QTimer::singleShot(30, this, [this, serial] { emit ended(serial); });
    }
    std::shared_ptr<FakeServer> server;
};

// "gone" is not there; anything plays for 30 ms.
class FakeMusicVoice final : public MusicVoice {
public:
    explicit FakeMusicVoice(std::shared_ptr<FakeServer> s) : server(std::move(s)) {}
    void prepare(const QString&, int) override { server->reach(&server->warmed); }
    void play(quint64 serial, const QString&) override {
        server->reach(&server->played);
        emit started(serial);
        QTimer::singleShot(30, this, [this, serial] { emit finished(serial); });
    }
    void stop() override {}
    void look(const QString& path) override {
        server->reach();
        emit looked(path, path != QLatin1String("gone"));
    }
    std::shared_ptr<FakeServer> server;
};
