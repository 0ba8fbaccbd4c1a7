// Decodes any bytes as a data file, then checks that read in short pieces it
// decodes the same without reading past its layout, that what was loaded saves
// into a whole file that loads back the same, and that a whole file saves
// back exactly as it was.
#include "reminders/Cp936Codec.h"
#include "reminders/ReminderImage.h"

#include <QtEndian>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

bool SameLoad(const LoadResult& a, const LoadResult& b) {
    const auto sameRow = [](const ReminderRow& x, const ReminderRow& y) {
        return x.sameContent(y) && x.rowId == y.rowId;
    };
    return a.status == b.status && a.reason == b.reason && a.state.musicPath == b.state.musicPath &&
           a.state.leadMinutes == b.state.leadMinutes &&
           std::equal(a.state.rows.cbegin(), a.state.rows.cend(), b.state.rows.cbegin(),
                      b.state.rows.cend(), sameRow);
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
    for (const ReminderRow& row : first.state.rows)
        Check(!row.cropName.isEmpty() && row.seasonNo >= 1, "a record no writer makes was loaded");

    // Short reads of varying length, into pieces of one to four records.
    size_t at = 0;
    const ReadFn shortReads = [&](char* into, qint64 max) {
        const size_t n = std::min({size_t(max), size - at, size_t(1 + data[at % size] % 300)});
        std::memcpy(into, data + at, n);
        at += n;
        return qint64(n);
    };
    const LoadResult pieces = size ? DecodeFrom(shortReads, qint64(size), kUnit * (1 + size % 4))
                                   : Decode(QByteArrayView());
    Check(SameLoad(pieces, first), "read in pieces");
    if (size >= size_t(kHeaderEnd)) {
        const qint64 count = qFromLittleEndian<qint32>(data + kCountOffset);
        Check(qint64(at) <= kFirstRecord + kUnit * std::max<qint64>(count, 1), "read past layout");
    }

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
