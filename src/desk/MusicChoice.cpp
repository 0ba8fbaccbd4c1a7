#include "desk/MusicChoice.h"

#include "desk/LoadedSettings.h"
#include "reminders/Cp936Codec.h"

namespace MusicChoice {

QString noSongText() {
    return QStringLiteral("当前没有选择歌曲！");
}
QString filterDescription() {
    return QStringLiteral("mp3或wav Files (*.wav,*.mp3)");
}
QString fileFilter() {
    return filterDescription() + QStringLiteral(" (*.wav *.mp3)");
}

ChooseOutcome OnChooseMusic(const QString& chosenPath, const QString& currentMusic) {
    ChooseOutcome out;
    if (chosenPath.isEmpty() && currentMusic.isEmpty()) {
        out.label = defaultAlarmSoundText();
        out.music = currentMusic;
        return out;
    }
    if (!chosenPath.isEmpty()) {
        // The data file would cut or garble such a path and lose the choice at
        // the next start: refuse it now, while the user can pick another.
        if (!fitsMusicPath(chosenPath)) {
            out.message = QStringLiteral("所选音乐文件的路径太长（超过%1字节），"
                                         "请把文件放到路径较短的文件夹后再选择。")
                              .arg(kMaxPathBytes);
            out.music = currentMusic;
            return out;
        }
        if (Cp936::decode(Cp936::encode(chosenPath)) != chosenPath) {
            out.message = QStringLiteral("所选音乐文件的路径含有无法保存的字符，"
                                         "请把文件改名或换个文件夹后再选择。");
            out.music = currentMusic;
            return out;
        }
    }
    out.changed = true;
    out.music = chosenPath;
    out.label = chosenPath;
    return out;
}

PreviewAction OnPreviewMusic(const QString& currentMusic, bool deckActive) {
    if (currentMusic.isEmpty())
        return PreviewAction::ShowNoSongMessage;
    return deckActive ? PreviewAction::Nothing : PreviewAction::Play;
}

} // namespace MusicChoice
