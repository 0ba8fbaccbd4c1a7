#pragma once

#include "reminders/ReminderImage.h"

#include <QString>

// What the dialog shows after loading: lead time, music choice, the player's
// path and the music label.
struct LoadedSettings {
    qint32 leadMinutes = StoreState().leadMinutes; // as stored: the desk applies its limit
    QString strMusic;
    QString playerPath;
    QString musicLabel;
};

QString defaultAlarmSoundText(); // "默认提醒声音"
QString defaultMusicLabel();     // "默认音乐"

// The stored music counts while a file or folder is at its path. Whether one
// is there is asked away from the GUI thread, so the desk first adopts it as
// present and, should it turn out missing, adopts the file again without it.
LoadedSettings adoptLoaded(const LoadResult& loaded, bool musicPresent = true);
