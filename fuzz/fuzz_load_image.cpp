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

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "round trip broken: %s\n", what);
        std::abort();
    }
}

// What a text becomes once stored in a field of that many bytes.
QString stored(const QString& text, qsizetype maxBytes) {
    return Cp936::decode(Cp936::encodeCut(text, maxBytes));
}

bool sameLoad(const LoadResult& a, const LoadResult& b) {
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
        decode(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    check((first.status == LoadStatus::Empty) == (size == 0), "empty status");
    check(first.status != LoadStatus::Missing, "decode never says missing");
    check((first.status == LoadStatus::Damaged) == !first.reason.isEmpty(), "reason");
    check(first.state.rows.size() * kUnit <= qsizetype(size), "more rows than bytes");
    const bool whole = first.status == LoadStatus::Whole;
    for (const ReminderRow& row : first.state.rows)
        check(!row.cropName.isEmpty() && row.seasonNo >= 1, "a record no writer makes was loaded");

    // Short reads of varying length, into pieces of one to four records.
    size_t at = 0;
    const ReadFn shortReads = [&](char* into, qint64 max) {
        const size_t n = std::min({size_t(max), size - at, size_t(1 + data[at % size] % 300)});
        std::memcpy(into, data + at, n);
        at += n;
        return qint64(n);
    };
    const LoadResult pieces = size ? decodeFrom(shortReads, qint64(size), kUnit * (1 + size % 4))
                                   : decode(QByteArrayView());
    check(sameLoad(pieces, first), "read in pieces");
    if (size >= size_t(kHeaderEnd)) {
        const qint64 count = qFromLittleEndian<qint32>(data + kCountOffset);
        check(qint64(at) <= kFirstRecord + kUnit * std::max<qint64>(count, 1), "read past layout");
    }

    const QByteArray image = encode(first.state);
    check(image.size() == imageSize(first.state.rows.size()), "image size");
    // A whole file saved untouched is the same file, byte for byte.
    check(!whole || image == QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)),
          "whole file kept exactly");
    const LoadResult second = decode(image);
    check(second.status == LoadStatus::Whole, "re-encoded file is whole");
    check(encode(second.state) == image, "encoding is stable");

    const StoreState& a = first.state;
    const StoreState& b = second.state;
    check(b.leadMinutes == a.leadMinutes, "lead");
    check(b.musicPath == (whole ? a.musicPath : stored(a.musicPath, kMaxMusicBytes)), "music");
    check(b.rows.size() == a.rows.size(), "row count");
    for (qsizetype i = 0; i < a.rows.size(); ++i) {
        const ReminderRow& x = a.rows[i];
        const ReminderRow& y = b.rows[i];
        const qsizetype noteRoom = i == 0 ? kMaxFirstNoteBytes : kMaxNoteBytes;
        check(y.rowId == quint32(i) && x.rowId == quint32(i), "row ids");
        check(y.cropIndex == x.cropIndex, "crop index");
        check(y.cropName == (whole ? x.cropName : stored(x.cropName, kMaxNameBytes)), "name");
        check(y.plant == x.plant && y.ripe == x.ripe, "times");
        check(y.seasonNo == x.seasonNo, "season");
        check(y.note == (whole ? x.note : stored(x.note, noteRoom)), "note");
    }
    return 0;
}
