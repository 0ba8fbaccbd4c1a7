#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

class AlertPresenter;
class Chime;
class QWidget;
class TuneDeck;

// What the window needs from outside; tests pass fakes.
struct DialogServices {
    // The current instant, seconds since the epoch.
    std::function<qint64()> now;
    // A message about a refused action (parent, text); the caption is the
    // application's display name.
    std::function<void(QWidget*, const QString&)> showMessage;
    // The music chooser: the chosen path, empty when cancelled.
    std::function<QString(QWidget*)> chooseMusicFile;
    // Sound and alert boxes, made by whoever assembles the program; required.
    Chime* chime = nullptr;
    TuneDeck* tuneDeck = nullptr;
    AlertPresenter* presenter = nullptr;
    // The data file; empty keeps the reminders in memory only.
    QString storePath;

    // The system's clock, boxes, chooser and data file; no sound or boxes.
    static DialogServices system();
};
