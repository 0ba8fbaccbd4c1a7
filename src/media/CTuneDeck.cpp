#include "media/CTuneDeck.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>

CTuneDeck::CTuneDeck(QObject* parent) : TuneDeck(parent) {}

CTuneDeck::~CTuneDeck() {
    if (m_player) {
        m_player->disconnect(this);
        m_player->stop();
    }
}

void CTuneDeck::setState(State s) {
    if (s == m_state)
        return;
    m_state = s;
    emit stateChanged(s);
}

bool CTuneDeck::Play() {
    if (m_strPath.isEmpty() || !QFileInfo(m_strPath).isFile())
        return false;
    Close();
    auto player = std::make_unique<QMediaPlayer>();
    if (!player->isAvailable())
        return false;
    auto output = std::make_unique<QAudioOutput>();
    player->setAudioOutput(output.get());
    connect(player.get(), &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error e, const QString&) {
                if (e != QMediaPlayer::NoError)
                    fail();
            });
    connect(player.get(), &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus s) {
                if (s == QMediaPlayer::InvalidMedia)
                    fail();
                else if (s == QMediaPlayer::EndOfMedia && m_state == State::Playing)
                    setState(State::Finished);
            });
    m_player = std::move(player);
    m_output = std::move(output);
    setState(State::Playing);
    m_inPlay = true;
    m_player->setSource(QUrl::fromLocalFile(QFileInfo(m_strPath).absoluteFilePath()));
    if (m_player)
        m_player->play();
    m_inPlay = false;
    // Rejected on the spot: say so through the result, not the signal.
    return m_state != State::Closed;
}

// The player's signal handlers may be running: release it once they return.
void CTuneDeck::fail() {
    if (m_state == State::Closed)
        return;
    Close();
    if (!m_inPlay)
        emit playbackFailed();
}

void CTuneDeck::Close() {
    if (m_player) {
        m_player->disconnect(this);
        m_player->stop();
        m_player.release()->deleteLater();
        m_output.release()->deleteLater();
    }
    setState(State::Closed);
}
