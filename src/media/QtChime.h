#pragma once

#include "alarm/Chime.h"

#include <QTimer>

class QSoundEffect;

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
