#pragma once

#include "reminders/ReminderImage.h"

#include <QString>

// The decisions behind the music row's buttons, free of widgets.
namespace MusicChoice {

// The data file's music field holds this many cp936 bytes (and a NUL).
constexpr qsizetype kMaxPathBytes = ReminderImage::kMaxMusicBytes;

QString noSongText(); // "当前没有选择歌曲！"

// The chooser's filter. The visible description stays
// "mp3或wav Files (*.wav,*.mp3)"; the patterns Qt reads come in a trailing
// group of their own, since Qt takes patterns from the last parentheses and
// splits them at spaces, so the comma form alone would show no file at all.
// Show it with QFileDialog::HideNameFilterDetails so only the description is
// seen.
QString fileFilter();
QString filterDescription();

struct ChooseOutcome {
    bool changed = false; // m_strMusic and the deck's path take `music`
    QString music;        // the new m_strMusic (may be empty: choice cleared)
    QString label;        // the new text of the music label
    QString message;      // non-empty: refused, show this and change nothing
};

// What OnChooseMusic does with the path the file dialog returned (empty when
// cancelled). Cancelling clears an existing choice, as it always has;
// cancelling with none shows the default label and changes nothing else.
ChooseOutcome OnChooseMusic(const QString& chosenPath, const QString& currentMusic);

enum class PreviewAction { ShowNoSongMessage, Nothing, Play };
PreviewAction OnPreviewMusic(const QString& currentMusic, bool deckActive);

} // namespace MusicChoice
