#pragma once

#include "alarm/TuneDeck.h"
#include "media/SoundThread.h"

#include <QTimer>
#include <memory>

class MusicVoice;

// The music player as the GUI thread sees it: the file and the audio server
// are touched only by a voice on a sound thread of its own. Music that has
// not begun within kStartWithinMs is given up: playbackFailed() comes then,
// and a late start is stopped. The music plays to its real end.
class CTuneDeck final : public TuneDeck {
    Q_OBJECT
public:
    static constexpr int kStartWithinMs = 500;
    // How long a prepared file stays open when no play comes.
    static constexpr int kReadyHoldMs = 10000;

    explicit CTuneDeck(QObject* parent = nullptr);
    CTuneDeck(std::unique_ptr<MusicVoice> voice, QObject* parent = nullptr);
    ~CTuneDeck() override;

    void SetPath(const QString& path) override { m_strPath = path; }
    bool Play() override;
    void Close() override;
    State currentState() const override { return m_state; }
    QString path() const override { return m_strPath; }
    void prepare() override;
    void checkPresence(const QString& path) override;

private:
    void setState(State s);
    void fail();

    SoundThread m_thread;
    MusicVoice* m_voice;
    QTimer m_startBound;
    QString m_strPath;
    State m_state = State::Closed;
    quint64 m_serial = 0; // of the latest play; answers to others are stale
    bool m_started = false;
};
