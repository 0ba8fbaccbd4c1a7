#include "desk/LoadedSettings.h"

QString defaultAlarmSoundText() {
    return QStringLiteral("默认提醒声音");
}
QString defaultMusicLabel() {
    return QStringLiteral("默认音乐");
}

LoadedSettings adoptLoaded(const LoadResult& loaded, bool musicPresent) {
    LoadedSettings s;
    if (loaded.status == LoadStatus::Missing || loaded.status == LoadStatus::Empty ||
        loaded.status == LoadStatus::Unreadable) {
        s.musicLabel = defaultMusicLabel();
        return s;
    }
    s.leadMinutes = loaded.state.leadMinutes;
    s.strMusic = musicPresent ? loaded.state.musicPath : QString();
    if (s.strMusic.isEmpty())
        s.strMusic = defaultAlarmSoundText();
    else
        s.playerPath = s.strMusic;
    s.musicLabel = s.strMusic;
    return s;
}
