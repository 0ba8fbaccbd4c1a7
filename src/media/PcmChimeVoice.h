#pragma once

#include "media/Voices.h"

#include <QAudioFormat>
#include <QByteArray>
#include <QTimer>
#include <memory>

class QAudioSink;
class QIODevice;

// The chime's samples pushed into a QAudioSink. Warm, the sink runs with a
// short queue of silence, so a chime starts that little later; playing, it
// is kept full. Idle, the sink is closed and the audio device let go.
class PcmChimeVoice final : public ChimeVoice {
    Q_OBJECT
public:
    static constexpr const char* kSource = ":/sounds/chime.wav";
    // Silence kept queued while warm: what a chime waits behind.
    static constexpr int kQueueMs = 20;
    static constexpr int kBufferMs = 30;
    static constexpr int kFeedMs = 5;
    // The output stays open this long after a chime, for one that follows.
    static constexpr int kLingerMs = 2000;

    explicit PcmChimeVoice(QObject* parent = nullptr);
    ~PcmChimeVoice() override;

    void warm(int holdMs) override;
    void play(quint64 serial) override;

private:
    bool load();
    bool open(bool primed);
    void close();
    void feed();
    void end();
    qsizetype bytesFor(int ms) const;

    QAudioFormat m_format;
    QByteArray m_pcm;
    bool m_loaded = false;
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_out = nullptr;
    QTimer m_feeder{this};
    QTimer m_release{this};
    QTimer m_tail{this};   // the last samples written are still to be heard
    qsizetype m_next = -1; // the next chime byte to write; -1 between chimes
    quint64 m_serial = 0;
    bool m_sounding = false;
};
