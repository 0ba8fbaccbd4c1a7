#include "media/PlayerMusicVoice.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

PlayerMusicVoice::PlayerMusicVoice(QObject* parent) : MusicVoice(parent) {
    m_readyHold.setSingleShot(true);
    connect(&m_readyHold, &QTimer::timeout, this, [this] { drop(m_ready); });
}

PlayerMusicVoice::~PlayerMusicVoice() {
    drop(m_ready);
    drop(m_playing);
}

// Null when there is nothing to play: no output, no back end, or a file the
// back end refused at once (said inside setSource(), so with no signal).
QMediaPlayer* PlayerMusicVoice::load(const QString& path) {
    if (QMediaDevices::defaultAudioOutput().isNull())
        return nullptr;
    auto* player = new QMediaPlayer(this);
    if (!player->isAvailable()) {
        delete player;
        return nullptr;
    }
    player->setAudioOutput(new QAudioOutput(player));
    player->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    if (player->error() != QMediaPlayer::NoError ||
        player->mediaStatus() == QMediaPlayer::InvalidMedia) {
        delete player;
        return nullptr;
    }
    return player;
}

// The player's signal handlers may be running: it goes once they return.
void PlayerMusicVoice::drop(QMediaPlayer*& player) {
    if (!player)
        return;
    player->disconnect(this);
    player->stop();
    player->deleteLater();
    player = nullptr;
}

void PlayerMusicVoice::prepare(const QString& path, int holdMs) {
    if (m_ready && m_readyPath == path) {
        m_readyHold.start(holdMs);
        return;
    }
    drop(m_ready);
    m_readyPath = path;
    m_probe.ask(path, FileProbe::Kind::File, [this, path, holdMs](bool isFile) {
        if (!isFile || m_ready || path != m_readyPath)
            return;
        m_ready = load(path);
        if (!m_ready)
            return;
        // A file that turns out unplayable is loaded afresh, and refused, by play().
        connect(m_ready, &QMediaPlayer::errorOccurred, this, [this] { drop(m_ready); });
        m_readyHold.start(holdMs);
    });
}

void PlayerMusicVoice::play(quint64 serial, const QString& path) {
    drop(m_playing);
    m_serial = serial;
    if (m_ready && m_readyPath == path && m_ready->error() == QMediaPlayer::NoError) {
        m_playing = m_ready;
        m_ready = nullptr;
        m_playing->disconnect(this);
        m_readyHold.stop();
        start(serial);
        return;
    }
    m_probe.ask(path, FileProbe::Kind::File, [this, serial, path](bool isFile) {
        if (serial != m_serial) // stopped, or another play came
            return;
        if (isFile)
            m_playing = load(path);
        if (m_playing)
            start(serial);
        else
            emit failed(serial);
    });
}

void PlayerMusicVoice::start(quint64 serial) {
    m_started = false;
    connect(m_playing, &QMediaPlayer::errorOccurred, this, [this, serial] {
        drop(m_playing);
        emit failed(serial);
    });
    connect(m_playing, &QMediaPlayer::mediaStatusChanged, this,
            [this, serial] { onStatus(serial); });
    m_playing->play();
    onStatus(serial);
}

void PlayerMusicVoice::onStatus(quint64 serial) {
    if (!m_playing)
        return;
    switch (m_playing->mediaStatus()) {
    case QMediaPlayer::InvalidMedia:
        drop(m_playing);
        emit failed(serial);
        return;
    case QMediaPlayer::EndOfMedia:
        drop(m_playing); // the device is let go; the deck stays Finished
        emit finished(serial);
        return;
    case QMediaPlayer::LoadedMedia:
    case QMediaPlayer::BufferingMedia:
    case QMediaPlayer::BufferedMedia:
        if (!m_started && m_playing->playbackState() == QMediaPlayer::PlayingState) {
            m_started = true;
            emit started(serial);
        }
        return;
    default:
        return;
    }
}

void PlayerMusicVoice::stop() {
    m_serial = 0;
    drop(m_playing);
}

void PlayerMusicVoice::look(const QString& path) {
    m_probe.ask(path, FileProbe::Kind::Anything,
                [this, path](bool present) { emit looked(path, present); });
}
