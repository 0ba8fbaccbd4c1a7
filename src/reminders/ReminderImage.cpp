#include "reminders/ReminderImage.h"

#include "reminders/Cp936Codec.h"

#include <QHash>
#include <QtEndian>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace ReminderImage {

namespace {

void putInt32(char* at, qint32 v) {
    qToLittleEndian<qint32>(v, at);
}
qint32 getInt32(const char* at) {
    return qFromLittleEndian<qint32>(at);
}

// Every instant a file holds comes back as it was; only one made in memory
// beyond 32 bits is clamped.
qint32 clampInstant(qint64 t) {
    constexpr qint64 lowest = std::numeric_limits<qint32>::min();
    constexpr qint64 highest = std::numeric_limits<qint32>::max();
    return static_cast<qint32>(qBound(lowest, t, highest));
}

bool isAscii(const char* p, qsizetype n) {
    for (qsizetype i = 0; i < n; ++i)
        if (static_cast<unsigned char>(p[i]) >= 0x80)
            return false;
    return true;
}

bool isAscii(const QString& s) {
    for (QChar c : s)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

// Plain ASCII needs no converter; everything else goes through the code page.
QByteArray encodeText(const QString& text, qsizetype maxBytes) {
    if (text.isEmpty())
        return {};
    if (isAscii(text))
        return text.left(maxBytes).toLatin1();
    return Cp936::encodeCut(text, maxBytes);
}

// Catalogue names and friends' names repeat across thousands of rows.
class EncodeCache {
public:
    explicit EncodeCache(qsizetype maxBytes) : m_max(maxBytes) {}
    const QByteArray& get(const QString& text) {
        if (m_hasLast && text.constData() == m_lastKey.constData() &&
            text.size() == m_lastKey.size())
            return m_last;
        auto it = m_map.constFind(text);
        if (it == m_map.cend()) {
            if (m_map.size() > kLimit)
                m_map.clear();
            it = m_map.insert(text, encodeText(text, m_max));
        }
        m_lastKey = text;
        m_last = *it;
        m_hasLast = true;
        return m_last;
    }

private:
    static constexpr qsizetype kLimit = 4096;
    qsizetype m_max;
    QHash<QString, QByteArray> m_map;
    QString m_lastKey;
    QByteArray m_last;
    bool m_hasLast = false;
};

void putText(char* field, const QByteArray& bytes) {
    if (!bytes.isEmpty())
        std::memcpy(field, bytes.constData(), size_t(bytes.size()));
}

} // namespace

QByteArray encode(const StoreState& state) {
    const qsizetype n = state.rows.size();
    QByteArray image(imageSize(n), '\0');
    char* base = image.data();
    putText(base, encodeText(state.musicPath, kMaxMusicBytes));
    putInt32(base + kLeadOffset, state.leadMinutes);
    putInt32(base + kCountOffset, static_cast<qint32>(n));
    EncodeCache names(kMaxNameBytes);
    EncodeCache notes(kMaxNoteBytes);
    for (qsizetype i = 0; i < n; ++i) {
        const ReminderRow& row = state.rows[i];
        char* r = base + kFirstRecord + kUnit * i;
        putInt32(r, row.cropIndex);
        putText(r + kNameOffset, names.get(row.cropName));
        putInt32(r + kPlantOffset, clampInstant(row.plant));
        putInt32(r + kRipeOffset, clampInstant(row.ripe));
        r[kSeasonOffset] = static_cast<char>(row.seasonNo & 0xFF);
        if (!row.note.isEmpty()) {
            // Record 0 shares its slot with the header.
            if (i == 0)
                putText(r + kNoteOffset, encodeText(row.note, kMaxFirstNoteBytes));
            else
                putText(r + kNoteOffset, notes.get(row.note));
        }
    }
    return image;
}

namespace {

struct TextField {
    QString text;
    bool terminated = true;
    bool clean = true;
    bool padded = true; // only zeros after the terminator, as the writer leaves them
};

bool allZero(const char* p, qsizetype n) {
    for (qsizetype i = 0; i < n; ++i)
        if (p[i])
            return false;
    return true;
}

QString decodeBytes(const char* p, qsizetype len, bool* clean) {
    *clean = true;
    if (len == 0)
        return {};
    if (isAscii(p, len))
        return QString::fromLatin1(p, len);
    return Cp936::decode(QByteArrayView(p, len), clean);
}

// A text runs to its first zero byte, but never past its field.
TextField readText(const char* field, qsizetype room) {
    TextField f;
    const void* zero = std::memchr(field, 0, size_t(room));
    const qsizetype len = zero ? static_cast<const char*>(zero) - field : room;
    f.terminated = zero != nullptr;
    f.padded = !zero || allZero(field + len + 1, room - len - 1);
    f.text = decodeBytes(field, len, &f.clean);
    return f;
}

// Decoded names are shared between rows, which keeps a large table small.
class NameCache {
public:
    TextField get(const char* field) {
        const void* zero = std::memchr(field, 0, size_t(kNameField));
        if (!zero)
            return readText(field, kNameField);
        const qsizetype len = static_cast<const char*>(zero) - field;
        if (!allZero(field + len + 1, kNameField - len - 1))
            return readText(field, kNameField);
        char key[16] = {};
        std::memcpy(key, field, size_t(len));
        Key k;
        std::memcpy(&k.first, key, 8);
        std::memcpy(&k.second, key + 8, 8);
        auto it = m_map.constFind(k);
        if (it != m_map.cend())
            return *it;
        if (m_map.size() > 4096)
            m_map.clear();
        TextField f;
        f.text = decodeBytes(field, len, &f.clean);
        m_map.insert(k, f);
        return f;
    }

private:
    using Key = std::pair<quint64, quint64>;
    QHash<Key, TextField> m_map;
};

} // namespace

namespace {

// The header and record 0's slot, which it shares.
constexpr qsizetype kHead = kFirstRecord + kUnit;

// Every reminder names its crop and counts its seasons from 1, so a record
// without either (a zero-filled one above all: a hole in a sparse file, a
// count that claims more than was written) comes from no writer.
bool possible(const char* record) {
    return record[kNameOffset] != 0 && record[kSeasonOffset] != 0;
}

// Fills `into` with n bytes, fewer only where the file ends; -1 on failure.
qint64 fill(const ReadFn& read, char* into, qint64 n) {
    qint64 got = 0;
    while (got < n) {
        const qint64 k = read(into + got, n - got);
        if (k < 0)
            return -1;
        if (k == 0)
            break;
        got += qMin(k, n - got);
    }
    return got;
}

} // namespace

LoadResult decodeFrom(const ReadFn& read, qint64 fileSize, qsizetype pieceSize) {
    LoadResult result;
    // Exactly as large as what is read into it, so a sanitizer sees any over-read.
    std::vector<char> head(size_t(qBound<qint64>(0, fileSize, kHead)));
    const qint64 size = fill(read, head.data(), qint64(head.size()));
    if (size < 0) {
        result.status = LoadStatus::Unreadable;
        return result;
    }
    if (size == 0) {
        result.status = LoadStatus::Empty;
        return result;
    }
    const char* base = head.data();
    QStringList problems;

    const TextField music = readText(base, qMin<qint64>(size, kMusicField));
    result.state.musicPath = music.text;
    if (!music.terminated)
        problems << QStringLiteral("音乐路径没有结尾");
    bool unclean = !music.clean;
    // Bytes the writer leaves zero would not come back after the next save.
    bool unpadded =
        !music.padded || (size == kHead && !allZero(base + kHeaderEnd, kHead - kHeaderEnd));

    qint64 count = 0;
    if (size < kHeaderEnd) {
        problems << QStringLiteral("文件只有 %1 字节，不足以容纳文件头").arg(size);
    } else {
        result.state.leadMinutes = getInt32(base + kLeadOffset);
        count = getInt32(base + kCountOffset);
        if (count < 0)
            problems << QStringLiteral("记录数为负 (%1)").arg(count);
    }

    QVector<ReminderRow>& rows = result.state.rows;
    NameCache names;
    qint64 cutTexts = 0;
    qint64 impossible = -1;
    // Decodes record i; false at one no writer could have made.
    const auto take = [&](const char* r, qint64 i) {
        if (!possible(r)) {
            impossible = i;
            return false;
        }
        ReminderRow row;
        row.cropIndex = getInt32(r);
        const TextField name = names.get(r + kNameOffset);
        row.cropName = name.text;
        row.plant = getInt32(r + kPlantOffset);
        row.ripe = getInt32(r + kRipeOffset);
        row.seasonNo = static_cast<unsigned char>(r[kSeasonOffset]);
        const TextField note = readText(r + kNoteOffset, i == 0 ? kFirstNoteField : kNoteField);
        row.note = note.text;
        row.rowId = static_cast<quint32>(i);
        cutTexts += !name.terminated + !note.terminated;
        unclean = unclean || !name.clean || !note.clean;
        unpadded = unpadded || !name.padded || !note.padded;
        rows.push_back(std::move(row));
        return true;
    };

    // Record 0 lies in the head; the rest follow a piece at a time, never
    // past the layout the count gives nor past the file.
    qint64 got = size;
    if (count >= 1 && size == kHead && take(base + kFirstRecord, 0)) {
        const qint64 end = qMin<qint64>(fileSize, kFirstRecord + kUnit * count);
        const qint64 piece = qMax<qint64>(kUnit, pieceSize - pieceSize % kUnit);
        std::vector<char> buffer;
        for (qint64 i = 1; i < count && impossible < 0 && got == kFirstRecord + kUnit * i;) {
            const qint64 want = qMin(piece, end - got);
            if (want < kUnit)
                break;
            buffer.resize(size_t(want));
            const qint64 n = fill(read, buffer.data(), want);
            if (n < 0) {
                result.status = LoadStatus::Unreadable;
                result.state = {};
                return result;
            }
            got += n;
            for (qint64 at = 0; at + kUnit <= n && take(buffer.data() + at, i); at += kUnit)
                ++i;
        }
    }

    if (size >= kHeaderEnd && count >= 0) {
        // Records the file holds: as far as it was read, or its size where
        // reading stopped early.
        const qint64 held = ((impossible < 0 ? got : fileSize) - kFirstRecord) / kUnit;
        if (count > held)
            problems << QStringLiteral("记录数 %1 超出文件所含的 %2 条").arg(count).arg(held);
        else if (fileSize != imageSize(count))
            problems << QStringLiteral("文件长度 %1 字节与记录数 %2 不符").arg(fileSize).arg(count);
    }
    if (impossible >= 0)
        problems << QStringLiteral("第 %1 条记录没有作物名称或季数，不会是本程序写的；"
                                   "从它起的 %2 条记录没有读入")
                        .arg(impossible + 1)
                        .arg(count - impossible);
    // With no record, the writer leaves record 0's slot zero.
    if (count < 1 && size >= kHeaderEnd)
        unpadded = unpadded || !allZero(base + kFirstRecord, kLeadOffset - kFirstRecord);
    if (cutTexts > 0)
        problems << QStringLiteral("%1 段文字没有结尾，已在字段末尾截断").arg(cutTexts);
    // Such bytes would not come back the same after the next save.
    if (unclean)
        problems << QStringLiteral("有文字不是有效的 GBK 编码");
    if (unpadded)
        problems << QStringLiteral("文字结尾之后或文件头之后有字节，下次保存时无法原样写回");

    if (problems.isEmpty()) {
        result.status = LoadStatus::Whole;
    } else {
        result.status = LoadStatus::Damaged;
        result.reason = problems.join(QStringLiteral("；"));
    }
    return result;
}

LoadResult decode(QByteArrayView bytes, qint64 fileSize) {
    qsizetype at = 0;
    const auto read = [&](char* into, qint64 max) {
        const qsizetype n = qsizetype(qMin<qint64>(max, bytes.size() - at));
        if (n > 0)
            std::memcpy(into, bytes.data() + at, size_t(n));
        at += n;
        return qint64(n);
    };
    return decodeFrom(read, qMax<qint64>(fileSize, bytes.size()));
}

} // namespace ReminderImage

bool fitsNote(const QString& note) {
    return Cp936::encodedLength(note) <= ReminderImage::kMaxFirstNoteBytes;
}

QString cutNote(const QString& note) {
    if (fitsNote(note))
        return note;
    // Cut the text itself, so characters the code page lacks stay as typed.
    qsizetype bytes = 0;
    qsizetype i = 0;
    while (i < note.size()) {
        const qsizetype width =
            (note[i].isHighSurrogate() && i + 1 < note.size() && note[i + 1].isLowSurrogate()) ? 2
                                                                                               : 1;
        const qsizetype need = Cp936::encodedLength(note.mid(i, width));
        if (bytes + need > ReminderImage::kMaxFirstNoteBytes)
            break;
        bytes += need;
        i += width;
    }
    return note.left(i);
}

bool fitsMusicPath(const QString& path) {
    return Cp936::encodedLength(path) <= ReminderImage::kMaxMusicBytes;
}
