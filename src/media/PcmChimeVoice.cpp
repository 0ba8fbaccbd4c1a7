#include "media/PcmChimeVoice.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QFile>
#include <QMediaDevices>
#include <QWaveDecoder>

PcmChimeVoice::PcmChimeVoice(QObject* parent) : ChimeVoice(parent) {
    m_feeder.setTimerType(Qt::PreciseTimer);
    m_feeder.setInterval(kFeedMs);
    connect(&m_feeder, &QTimer::timeout, this, &PcmChimeVoice::feed);
    m_release.setSingleShot(true);
    connect(&m_release, &QTimer::timeout, this, [this] {
        if (!m_sounding)
            close();
    });
    m_tail.setSingleShot(true);
    connect(&m_tail, &QTimer::timeout, this, &PcmChimeVoice::end);
}

PcmChimeVoice::~PcmChimeVoice() {
    close();
}

bool PcmChimeVoice::load() {
    if (!m_loaded) {
        m_loaded = true;
        QFile file(QString::fromLatin1(kSource));
        QWaveDecoder wave(&file);
        if (file.open(QIODevice::ReadOnly) && wave.open(QIODevice::ReadOnly)) {
            m_format = wave.audioFormat();
            m_pcm = wave.readAll();
        }
        if (m_format.isValid())
            m_pcm.truncate(m_pcm.size() - m_pcm.size() % m_format.bytesPerFrame());
    }
    return m_format.isValid() && !m_pcm.isEmpty();
}

qsizetype PcmChimeVoice::bytesFor(int ms) const {
    return qsizetype(m_format.bytesForDuration(qint64(ms) * 1000));
}

// A sink that failed (the server went away) is replaced; none without a device.
bool PcmChimeVoice::open(bool primed) {
    if (m_sink && (m_sink->error() == QAudio::NoError || m_sink->error() == QAudio::UnderrunError))
        return true;
    close();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return false;
    m_sink = std::make_unique<QAudioSink>(device, m_format);
    m_sink->setBufferSize(int(bytesFor(kBufferMs)));
    m_out = m_sink->start();
    if (!m_out || m_sink->error() == QAudio::OpenError || m_sink->error() == QAudio::FatalError) {
        close();
        return false;
    }
    // A stream begins only once its buffer is full enough; warm, fill it
    // with silence now and let it drain to the short queue.
    if (primed)
        m_out->write(QByteArray(m_sink->bytesFree(), '\0'));
    m_feeder.start();
    return true;
}

void PcmChimeVoice::close() {
    m_feeder.stop();
    m_release.stop();
    m_next = -1;
    if (m_sink)
        m_sink->stop();
    m_sink.reset();
    m_out = nullptr;
}

void PcmChimeVoice::feed() {
    if (!m_sink)
        return;
    const QAudio::Error error = m_sink->error();
    if (error != QAudio::NoError && error != QAudio::UnderrunError) {
        close();
        m_tail.stop();
        if (m_sounding)
            end();
        return;
    }
    const qsizetype frame = m_format.bytesPerFrame();
    const qsizetype room = m_sink->bytesFree() / frame * frame;
    const qsizetype queued = m_sink->bufferSize() - room;
    if (m_next < 0) {
        const qsizetype lack = (bytesFor(kQueueMs) - queued) / frame * frame;
        if (lack > 0)
            m_out->write(QByteArray(lack, '\0'));
        return;
    }
    const qsizetype n = qMin(room, m_pcm.size() - m_next);
    const qint64 written = n > 0 ? m_out->write(m_pcm.constData() + m_next, n) : 0;
    m_next += qMax<qint64>(written, 0);
    if (m_next >= m_pcm.size()) {
        m_next = -1;
        const qint64 heardInUs = m_format.durationForBytes(qint32(queued + written));
        m_tail.start(int(heardInUs / 1000));
    }
}

void PcmChimeVoice::warm(int holdMs) {
    if (!load() || !open(true))
        return;
    if (!m_sounding && m_release.remainingTime() < holdMs)
        m_release.start(holdMs);
}

void PcmChimeVoice::play(quint64 serial) {
    m_serial = serial; // one cut short ends without a word
    m_tail.stop();
    if (!load() || !open(false)) {
        m_sounding = false;
        emit ended(serial);
        return;
    }
    m_release.stop();
    m_sounding = true;
    m_next = 0;
    feed();
    emit started(serial);
}

void PcmChimeVoice::end() {
    if (!m_sounding)
        return;
    m_sounding = false;
    if (m_sink)
        m_release.start(kLingerMs);
    emit ended(m_serial);
}
