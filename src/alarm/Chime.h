#pragma once

#include <QObject>

// The embedded chime, played asynchronously: play() returns at once and
// finished() follows when the sound is over or has failed. One that never
// reports is given up by the alert queue's watchdog.
class Chime : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual void play() = 0;

signals:
    void finished();
};
