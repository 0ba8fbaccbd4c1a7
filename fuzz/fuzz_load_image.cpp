// Decodes any bytes as a data file, then checks that what was loaded saves
// into a whole file that loads back the same, and that a whole file saves
// back exactly as it was.
#include "reminders/Cp936Codec.h"
#include "reminders/ReminderImage.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "round trip broken: %s\n", what);
        std::abort();
    }
}

// What a text becomes once stored in a field of that many bytes.
QString Stored(const QString& text, qsizetype maxBytes) {
    return Cp936::Decode(Cp936::EncodeCut(text, maxBytes));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ReminderImage;
    const LoadResult first =
        Decode(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    Check((first.status == LoadStatus::Empty) == (size == 0), "empty status");
    Check(first.status != LoadStatus::Missing, "decode never says missing");
    Check((first.status == LoadStatus::Damaged) == !first.reason.isEmpty(), "reason");
    Check(first.state.rows.size() * kUnit <= qsizetype(size), "more rows than bytes");
    const bool whole = first.status == LoadStatus::Whole;

    const QByteArray image = Encode(first.state);
    Check(image.size() == ImageSize(first.state.rows.size()), "image size");
    // A whole file saved untouched is the same file, byte for byte.
    Check(!whole || image == QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)),
          "whole file kept exactly");
    const LoadResult second = Decode(image);
    Check(second.status == LoadStatus::Whole, "re-encoded file is whole");
    Check(Encode(second.state) == image, "encoding is stable");

    const StoreState& a = first.state;
    const StoreState& b = second.state;
    Check(b.leadMinutes == a.leadMinutes, "lead");
    Check(b.musicPath == (whole ? a.musicPath : Stored(a.musicPath, kMaxMusicBytes)), "music");
    Check(b.rows.size() == a.rows.size(), "row count");
    for (qsizetype i = 0; i < a.rows.size(); ++i) {
        const ReminderRow& x = a.rows[i];
        const ReminderRow& y = b.rows[i];
        const qsizetype noteRoom = i == 0 ? kMaxFirstNoteBytes : kMaxNoteBytes;
        Check(y.rowId == quint32(i) && x.rowId == quint32(i), "row ids");
        Check(y.cropIndex == x.cropIndex, "crop index");
        Check(y.cropName == (whole ? x.cropName : Stored(x.cropName, kMaxNameBytes)), "name");
        Check(y.plant == x.plant && y.ripe == x.ripe, "times");
        Check(y.seasonNo == x.seasonNo, "season");
        Check(y.note == (whole ? x.note : Stored(x.note, noteRoom)), "note");
    }
    return 0;
}
