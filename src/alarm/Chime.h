#pragma once

#include <QObject>

// The embedded chime, played asynchronously: play() returns at once and
// finished() follows when the sound is over, has failed, or could not begin
// in time (then it is skipped, never played late). One that never reports is
// given up by the alert queue's watchdog.
class Chime : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual void play() = 0;
    // A chime is due in a few seconds: open the output now so it begins on
    // its second. The output is let go again when nothing follows.
    virtual void prepare() {}

signals:
    void finished();
};
