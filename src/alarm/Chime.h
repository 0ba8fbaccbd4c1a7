#pragma once

#include <QObject>
#include <QTimer>

class QSoundEffect;

// The embedded chime, played asynchronously: play() returns at once and
// finished() follows when the sound is over -- or failed, since a box that
// waits for it must never wait forever.
class Chime : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual void play() = 0;

signals:
    void finished();
};

// Over QSoundEffect from qrc:/sounds/chime.wav.
class QtChime final : public Chime {
    Q_OBJECT
public:
    static constexpr const char* kSource = "qrc:/sounds/chime.wav";
    // Longer than the sound (about 0.75 s) with room for a slow start.
    static constexpr int kWatchdogMs = 3000;

    explicit QtChime(QObject* parent = nullptr);
    ~QtChime() override;

    void play() override;
    bool isPlaying() const { return m_playing; }

private:
    void end();

    QSoundEffect* m_effect;
    QTimer m_watchdog;
    bool m_playing = false;
    bool m_started = false;
};
