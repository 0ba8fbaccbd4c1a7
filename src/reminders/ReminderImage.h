#pragma once

#include "reminders/ReminderTable.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVector>
#include <functional>

// Everything the data file carries: the reminders in display
// order, the warning lead time and the chosen music.
struct StoreState {
    QString musicPath;
    qint32 leadMinutes = 5; // also what a file too short to hold it reads as
    QVector<ReminderRow> rows;
};

enum class LoadStatus {
    Missing,    // no file
    Empty,      // a file of 0 bytes
    Whole,      // exactly what the writer produces
    Damaged,    // loaded as far as it goes; see reason
    Unreadable, // a file that could not be read; moved aside, see damagedCopy
};

struct LoadResult {
    LoadStatus status = LoadStatus::Missing;
    StoreState state;
    QString reason;      // why the file counts as damaged
    QString damagedCopy; // where the damaged file was copied aside, if it was
};

// The byte layout of the data file: a 384-byte music text, then 128-byte
// records from offset 384; the lead time (500) and the record count (504) sit
// inside record 0's slot, so its note has only 90 bytes.
namespace ReminderImage {

constexpr qsizetype kUnit = 128;
constexpr qsizetype kFirstRecord = 384;
constexpr qsizetype kLeadOffset = 500;
constexpr qsizetype kCountOffset = 504;
constexpr qsizetype kHeaderEnd = 508;
constexpr qsizetype kMusicField = 384;
constexpr qsizetype kNameOffset = 4;
constexpr qsizetype kNameField = 12;
constexpr qsizetype kPlantOffset = 16;
constexpr qsizetype kRipeOffset = 20;
constexpr qsizetype kSeasonOffset = 24;
constexpr qsizetype kNoteOffset = 25;
constexpr qsizetype kNoteField = 103;
constexpr qsizetype kFirstNoteField = 91;

// Longest texts that still leave room for the terminating zero.
constexpr qsizetype kMaxMusicBytes = kMusicField - 1;
constexpr qsizetype kMaxNameBytes = kNameField - 1;
constexpr qsizetype kMaxNoteBytes = kNoteField - 1;
constexpr qsizetype kMaxFirstNoteBytes = kFirstNoteField - 1;

// The size the writer gives a file of n records (an empty table still gets
// one record's room).
constexpr qint64 imageSize(qint64 n) {
    return (3 + (n < 1 ? 1 : n)) * kUnit;
}

QByteArray encode(const StoreState& state);

// Reads the file's next bytes into `into`, at most max of them: returns how
// many (0 at the file's end), or -1 when reading fails.
using ReadFn = std::function<qint64(char* into, qint64 max)>;
constexpr qsizetype kPieceSize = 64 * 1024;

// Decodes a file of fileSize bytes read in order through `read`, a piece at a
// time, so memory holds only the rows: it reads the header, then no further
// than the layout the header counts and the file's size allow, and stops at
// the first record no writer could have made (no crop name, or season 0),
// which makes the file Damaged. Status is Empty for no bytes, Unreadable when
// a read fails, otherwise Whole or Damaged (never Missing). Whole means the
// rows encode back to the same bytes.
LoadResult decodeFrom(const ReadFn& read, qint64 fileSize, qsizetype pieceSize = kPieceSize);
// The same over bytes in memory; never reads outside the view. fileSize: the
// file's real length when the view holds only its start.
LoadResult decode(QByteArrayView bytes, qint64 fileSize = -1);

} // namespace ReminderImage

// A note has to fit the smallest note field (record 0's) wherever its row
// ends up after sorting; the note edit limits input with these.
bool fitsNote(const QString& note);
QString cutNote(const QString& note);
// A music path longer than its field is refused when chosen (by its length;
// characters cp936 cannot hold are refused there too).
bool fitsMusicPath(const QString& path);
