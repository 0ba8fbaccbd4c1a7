#pragma once

#include <QObject>
#include <QString>

// The workers behind QtChime and CTuneDeck. Each lives on a SoundThread and
// is the only code that touches the audio server or the music file, so any
// of its calls may take as long as they like. Every request carries a serial,
// echoed in what it reports, so an answer to an abandoned request is known.

class ChimeVoice : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Opens the output and keeps it running silent for holdMs.
    virtual void warm(int holdMs) = 0;
    // Sounds the chime from its start, cutting short one that plays. Reports
    // started() when the samples are on their way, then ended(); ended()
    // alone when no sound can be made.
    virtual void play(quint64 serial) = 0;

signals:
    void started(quint64 serial);
    void ended(quint64 serial);
};

class MusicVoice : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Opens the file and keeps it ready to play for holdMs.
    virtual void prepare(const QString& path, int holdMs) = 0;
    // Plays path from its start, stopping what plays. started() once it
    // sounds, then finished() at its end; failed() instead, or later.
    virtual void play(quint64 serial, const QString& path) = 0;
    virtual void stop() = 0;
    // Answers looked().
    virtual void look(const QString& path) = 0;

signals:
    void started(quint64 serial);
    void finished(quint64 serial);
    void failed(quint64 serial);
    void looked(const QString& path, bool present);
};
