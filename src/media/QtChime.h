#pragma once

#include "alarm/Chime.h"
#include "media/SoundThread.h"

#include <QTimer>
#include <memory>

class ChimeVoice;

// The chime as the GUI thread sees it: every request goes to a voice on a
// sound thread of its own, so a hung audio server never holds the caller. A
// chime that has not begun within kStartWithinMs is skipped: finished() comes
// then, and the voice drops the request if it gets to it later.
class QtChime final : public Chime {
    Q_OBJECT
public:
    static constexpr int kStartWithinMs = 250;
    // How long a prepared output stays open when no chime comes.
    static constexpr int kWarmHoldMs = 8000;

    explicit QtChime(QObject* parent = nullptr);
    QtChime(std::unique_ptr<ChimeVoice> voice, QObject* parent = nullptr);
    ~QtChime() override;

    void play() override;
    void prepare() override;

private:
    void onStarted(quint64 serial);
    void onEnded(quint64 serial);
    void end();

    SoundThread m_thread;
    ChimeVoice* m_voice;
    QTimer m_startBound;
    quint64 m_serial = 0;
    bool m_playing = false;
};
