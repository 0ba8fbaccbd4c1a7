#pragma once

#include <QObject>
#include <QString>

// The player for the user's chosen music file.
//   Closed   -- nothing open (also after a file the media layer rejected)
//   Playing  -- started; plays once, in the background
//   Finished -- played to its end and still open; IsActive() stays true
// Only Close() leaves Playing or Finished for Closed on the user's behalf.
class TuneDeck : public QObject {
    Q_OBJECT
public:
    enum class State { Closed, Playing, Finished };

    using QObject::QObject;

    virtual void SetPath(const QString& path) = 0;
    // Starts the file from its beginning. False when there is nothing to play
    // (no path, no such file, no media back end): the caller sounds the chime.
    // True does not yet mean sound: a file the media layer cannot decode is
    // reported later through playbackFailed().
    virtual bool Play() = 0;
    virtual void Close() = 0;
    virtual State CurrentState() const = 0;
    virtual QString Path() const = 0;

    bool IsActive() const { return CurrentState() != State::Closed; }

signals:
    // Music that Play() accepted could not be played; the deck is Closed again.
    void playbackFailed();
    void stateChanged(TuneDeck::State state);
};
