#pragma once

#include "media/FileProbe.h"
#include "media/Voices.h"

#include <QTimer>

class QMediaPlayer;

// The chosen file through QMediaPlayer + QAudioOutput, a fresh player per
// file, so nothing of a failed file lingers. The file is looked at by a
// FileProbe before a player opens it, so a dead share holds no thread of
// ours. A prepared player has opened its file; one that played to its end
// is let go at once.
class PlayerMusicVoice final : public MusicVoice {
    Q_OBJECT
public:
    explicit PlayerMusicVoice(QObject* parent = nullptr);
    ~PlayerMusicVoice() override;

    void prepare(const QString& path, int holdMs) override;
    void play(quint64 serial, const QString& path) override;
    void stop() override;
    void look(const QString& path) override;

private:
    QMediaPlayer* load(const QString& path);
    void drop(QMediaPlayer*& player);
    void start(quint64 serial);
    void onStatus(quint64 serial);

    FileProbe m_probe{this};
    QMediaPlayer* m_ready = nullptr;
    QString m_readyPath;
    QTimer m_readyHold{this};
    QMediaPlayer* m_playing = nullptr;
    quint64 m_serial = 0; // the play under way, 0 for none
    bool m_started = false;
};
