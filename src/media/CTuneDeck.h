#pragma once

#include "alarm/TuneDeck.h"

#include <memory>

class QAudioOutput;
class QMediaPlayer;

// Over QMediaPlayer + QAudioOutput. The music plays to its real end.
class CTuneDeck final : public TuneDeck {
    Q_OBJECT
public:
    explicit CTuneDeck(QObject* parent = nullptr);
    ~CTuneDeck() override;

    void SetPath(const QString& path) override { m_strPath = path; }
    bool Play() override;
    void Close() override;
    State CurrentState() const override { return m_state; }
    QString Path() const override { return m_strPath; }

private:
    void setState(State s);
    void fail();

    QString m_strPath;
    State m_state = State::Closed;
    bool m_inPlay = false;
    // A fresh player per Play(), so nothing of a failed file lingers.
    std::unique_ptr<QMediaPlayer> m_player;
    std::unique_ptr<QAudioOutput> m_output;
};
