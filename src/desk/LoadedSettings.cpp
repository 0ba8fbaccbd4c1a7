#include "desk/LoadedSettings.h"

QString DefaultAlarmSoundText() {
    return QStringLiteral("默认提醒声音");
}
QString DefaultMusicLabel() {
    return QStringLiteral("默认音乐");
}

LoadedSettings AdoptLoaded(const LoadResult& loaded, bool musicPresent) {
    LoadedSettings s;
    if (loaded.status == LoadStatus::Missing || loaded.status == LoadStatus::Empty ||
        loaded.status == LoadStatus::Unreadable) {
        s.musicLabel = DefaultMusicLabel();
        return s;
    }
    s.leadMinutes = loaded.state.leadMinutes;
    s.strMusic = musicPresent ? loaded.state.musicPath : QString();
    if (s.strMusic.isEmpty())
        s.strMusic = DefaultAlarmSoundText();
    else
        s.playerPath = s.strMusic;
    s.musicLabel = s.strMusic;
    return s;
}
