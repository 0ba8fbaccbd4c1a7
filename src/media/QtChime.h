#pragma once

#include "alarm/Chime.h"

class QSoundEffect;

// Over QSoundEffect from qrc:/sounds/chime.wav.
class QtChime final : public Chime {
    Q_OBJECT
public:
    static constexpr const char* kSource = "qrc:/sounds/chime.wav";

    explicit QtChime(QObject* parent = nullptr);
    ~QtChime() override;

    void play() override;

private:
    void end();

    QSoundEffect* m_effect;
    bool m_playing = false;
    bool m_started = false;
};
