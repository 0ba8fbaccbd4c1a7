#include "media/QtChime.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

QtChime::QtChime(QObject* parent) : Chime(parent), m_effect(new QSoundEffect(this)) {
    connect(m_effect, &QSoundEffect::playingChanged, this, [this] {
        if (m_effect->isPlaying())
            m_started = true;
        else if (m_started)
            end();
    });
    connect(m_effect, &QSoundEffect::statusChanged, this, [this] {
        if (m_effect->status() == QSoundEffect::Error)
            end();
    });
    m_effect->setSource(QUrl(QString::fromLatin1(kSource)));
}

QtChime::~QtChime() {
    m_effect->disconnect(this);
}

void QtChime::play() {
    // A new chime starts over; the one it cuts short ends without a word.
    m_started = false;
    if (m_playing)
        m_effect->stop();
    m_playing = true;
    if (m_effect->status() == QSoundEffect::Error || QMediaDevices::defaultAudioOutput().isNull()) {
        // No device or no sound: fail soft, but never inside play() itself.
        QTimer::singleShot(0, this, &QtChime::end);
        return;
    }
    m_effect->play();
}

void QtChime::end() {
    if (!m_playing)
        return;
    m_playing = false;
    m_started = false;
    emit finished();
}
