#pragma once

#include <QObject>
#include <QString>

// The player for the user's chosen music file.
//   Closed   -- nothing open (also after a file the media layer rejected)
//   Playing  -- started; plays once, in the background
//   Finished -- played to its end and still open; IsActive() stays true
// Only Close() leaves Playing or Finished for Closed on the user's behalf.
//
// Nothing here waits on the file or the audio server: whether the music
// really sounds is told later, through started() or playbackFailed().
class TuneDeck : public QObject {
    Q_OBJECT
public:
    enum class State { Closed, Playing, Finished };

    using QObject::QObject;

    virtual void SetPath(const QString& path) = 0;
    // Starts the file from its beginning. False when there is no path: the
    // caller sounds the chime. True is followed by started() once the music
    // sounds, or by playbackFailed() (no such file, a file the media layer
    // cannot play, no audio output).
    virtual bool Play() = 0;
    virtual void Close() = 0;
    virtual State currentState() const = 0;
    virtual QString path() const = 0;

    bool IsActive() const { return currentState() != State::Closed; }

    // The music may be wanted in a few seconds: open the file now so it
    // begins on its second. Let go again when nothing follows.
    virtual void prepare() {}
    // Whether a file or folder is at path, looked at away from the caller's
    // thread; the answer comes through presenceChecked(), late or never when
    // the file system does not answer.
    virtual void checkPresence(const QString& path) = 0;

signals:
    void started();
    // Music that Play() accepted could not be played; the deck is Closed again.
    void playbackFailed();
    void stateChanged(TuneDeck::State state);
    void presenceChecked(const QString& path, bool present);
};
