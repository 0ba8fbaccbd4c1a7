#include "media/CTuneDeck.h"

#include "media/PlayerMusicVoice.h"

#include <QDeadlineTimer>

CTuneDeck::CTuneDeck(QObject* parent) : CTuneDeck(std::make_unique<PlayerMusicVoice>(), parent) {}

CTuneDeck::CTuneDeck(std::unique_ptr<MusicVoice> voice, QObject* parent)
    : TuneDeck(parent), m_thread(QStringLiteral("music")), m_voice(voice.release()) {
    m_thread.adopt(m_voice);
    connect(m_voice, &MusicVoice::started, this, [this](quint64 serial) {
        if (serial != m_serial || m_state != State::Playing || m_started)
            return;
        m_started = true;
        m_startBound.stop();
        emit started();
    });
    connect(m_voice, &MusicVoice::failed, this, [this](quint64 serial) {
        if (serial == m_serial)
            fail();
    });
    connect(m_voice, &MusicVoice::finished, this, [this](quint64 serial) {
        if (serial == m_serial && m_state == State::Playing)
            setState(State::Finished);
    });
    connect(m_voice, &MusicVoice::looked, this, &TuneDeck::presenceChecked);
    m_startBound.setSingleShot(true);
    m_startBound.setTimerType(Qt::PreciseTimer);
    connect(&m_startBound, &QTimer::timeout, this, &CTuneDeck::fail);
}

CTuneDeck::~CTuneDeck() {
    m_voice->disconnect(this);
}

void CTuneDeck::setState(State s) {
    if (s == m_state)
        return;
    m_state = s;
    emit stateChanged(s);
}

bool CTuneDeck::Play() {
    if (m_strPath.isEmpty())
        return false;
    if (m_state != State::Closed)
        Close();
    const quint64 serial = ++m_serial;
    m_started = false;
    setState(State::Playing);
    m_startBound.start(kStartWithinMs + SoundThread::kGraceMs);
    const QDeadlineTimer deadline(kStartWithinMs);
    QMetaObject::invokeMethod(
        m_voice,
        [voice = m_voice, serial, deadline, path = m_strPath] {
            if (deadline.hasExpired())
                emit voice->failed(serial); // too late to be on time: skipped
            else
                voice->play(serial, path);
        },
        Qt::QueuedConnection);
    return true;
}

void CTuneDeck::fail() {
    if (m_state == State::Closed)
        return;
    Close();
    emit playbackFailed();
}

void CTuneDeck::Close() {
    ++m_serial;
    m_startBound.stop();
    QMetaObject::invokeMethod(m_voice, &MusicVoice::stop, Qt::QueuedConnection);
    setState(State::Closed);
}

void CTuneDeck::prepare() {
    if (m_strPath.isEmpty())
        return;
    const QDeadlineTimer deadline(kStartWithinMs);
    QMetaObject::invokeMethod(
        m_voice,
        [voice = m_voice, deadline, path = m_strPath] {
            if (!deadline.hasExpired())
                voice->prepare(path, kReadyHoldMs);
        },
        Qt::QueuedConnection);
}

void CTuneDeck::checkPresence(const QString& path) {
    QMetaObject::invokeMethod(
        m_voice, [voice = m_voice, path] { voice->look(path); }, Qt::QueuedConnection);
}
