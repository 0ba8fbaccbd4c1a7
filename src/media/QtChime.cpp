#include "media/QtChime.h"

#include "media/PcmChimeVoice.h"

#include <QDeadlineTimer>

QtChime::QtChime(QObject* parent) : QtChime(std::make_unique<PcmChimeVoice>(), parent) {}

QtChime::QtChime(std::unique_ptr<ChimeVoice> voice, QObject* parent)
    : Chime(parent), m_thread(QStringLiteral("chime")), m_voice(voice.release()) {
    m_thread.adopt(m_voice);
    connect(m_voice, &ChimeVoice::started, this, &QtChime::onStarted);
    connect(m_voice, &ChimeVoice::ended, this, &QtChime::onEnded);
    m_startBound.setSingleShot(true);
    m_startBound.setTimerType(Qt::PreciseTimer);
    connect(&m_startBound, &QTimer::timeout, this, &QtChime::end);
}

QtChime::~QtChime() {
    m_voice->disconnect(this);
}

void QtChime::play() {
    // A new chime starts over; the one it cuts short ends without a word.
    const quint64 serial = ++m_serial;
    m_playing = true;
    m_startBound.start(kStartWithinMs + SoundThread::kGraceMs);
    const QDeadlineTimer deadline(kStartWithinMs);
    QMetaObject::invokeMethod(
        m_voice,
        [voice = m_voice, serial, deadline] {
            if (deadline.hasExpired())
                emit voice->ended(serial); // too late to be on time: skipped
            else
                voice->play(serial);
        },
        Qt::QueuedConnection);
}

void QtChime::prepare() {
    const QDeadlineTimer deadline(kStartWithinMs);
    QMetaObject::invokeMethod(
        m_voice,
        [voice = m_voice, deadline] {
            if (!deadline.hasExpired())
                voice->warm(kWarmHoldMs);
        },
        Qt::QueuedConnection);
}

void QtChime::onStarted(quint64 serial) {
    if (serial == m_serial && m_playing)
        m_startBound.stop();
}

void QtChime::onEnded(quint64 serial) {
    if (serial == m_serial)
        end();
}

void QtChime::end() {
    m_startBound.stop();
    if (!m_playing)
        return;
    m_playing = false;
    emit finished();
}
