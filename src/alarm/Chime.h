#pragma once

#include <QObject>

// The embedded chime, played asynchronously: play() returns at once and
// finished() follows when the sound is over -- or failed, since a box that
// waits for it must never wait forever.
class Chime : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual void play() = 0;

signals:
    void finished();
};
