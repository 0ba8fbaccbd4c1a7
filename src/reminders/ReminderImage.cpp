#include "reminders/ReminderImage.h"

#include "reminders/Cp936Codec.h"

#include <QHash>
#include <QtEndian>
#include <cstring>
#include <limits>
#include <utility>

namespace ReminderImage {

namespace {

void PutInt32(char* at, qint32 v) {
    qToLittleEndian<qint32>(v, at);
}
qint32 GetInt32(const char* at) {
    return qFromLittleEndian<qint32>(at);
}

// Every instant a file holds comes back as it was; only one made in memory
// beyond 32 bits is clamped.
qint32 ClampInstant(qint64 t) {
    constexpr qint64 lowest = std::numeric_limits<qint32>::min();
    constexpr qint64 highest = std::numeric_limits<qint32>::max();
    return static_cast<qint32>(qBound(lowest, t, highest));
}

bool IsAscii(const char* p, qsizetype n) {
    for (qsizetype i = 0; i < n; ++i)
        if (static_cast<unsigned char>(p[i]) >= 0x80)
            return false;
    return true;
}

bool IsAscii(const QString& s) {
    for (QChar c : s)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

// Plain ASCII needs no converter; everything else goes through the code page.
QByteArray EncodeText(const QString& text, qsizetype maxBytes) {
    if (text.isEmpty())
        return {};
    if (IsAscii(text))
        return text.left(maxBytes).toLatin1();
    return Cp936::EncodeCut(text, maxBytes);
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
            it = m_map.insert(text, EncodeText(text, m_max));
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

void PutText(char* field, const QByteArray& bytes) {
    if (!bytes.isEmpty())
        std::memcpy(field, bytes.constData(), size_t(bytes.size()));
}

} // namespace

QByteArray Encode(const StoreState& state) {
    const qsizetype n = state.rows.size();
    QByteArray image(ImageSize(n), '\0');
    char* base = image.data();
    PutText(base, EncodeText(state.musicPath, kMaxMusicBytes));
    PutInt32(base + kLeadOffset, state.leadMinutes);
    PutInt32(base + kCountOffset, static_cast<qint32>(n));
    EncodeCache names(kMaxNameBytes);
    EncodeCache notes(kMaxNoteBytes);
    for (qsizetype i = 0; i < n; ++i) {
        const ReminderRow& row = state.rows[i];
        char* r = base + kFirstRecord + kUnit * i;
        PutInt32(r, row.cropIndex);
        PutText(r + kNameOffset, names.get(row.cropName));
        PutInt32(r + kPlantOffset, ClampInstant(row.plant));
        PutInt32(r + kRipeOffset, ClampInstant(row.ripe));
        r[kSeasonOffset] = static_cast<char>(row.seasonNo & 0xFF);
        if (!row.note.isEmpty()) {
            // Record 0 shares its slot with the header.
            if (i == 0)
                PutText(r + kNoteOffset, EncodeText(row.note, kMaxFirstNoteBytes));
            else
                PutText(r + kNoteOffset, notes.get(row.note));
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

bool AllZero(const char* p, qsizetype n) {
    for (qsizetype i = 0; i < n; ++i)
        if (p[i])
            return false;
    return true;
}

QString DecodeBytes(const char* p, qsizetype len, bool* clean) {
    *clean = true;
    if (len == 0)
        return {};
    if (IsAscii(p, len))
        return QString::fromLatin1(p, len);
    return Cp936::Decode(QByteArrayView(p, len), clean);
}

// A text runs to its first zero byte, but never past its field.
TextField ReadText(const char* field, qsizetype room) {
    TextField f;
    const void* zero = std::memchr(field, 0, size_t(room));
    const qsizetype len = zero ? static_cast<const char*>(zero) - field : room;
    f.terminated = zero != nullptr;
    f.padded = !zero || AllZero(field + len + 1, room - len - 1);
    f.text = DecodeBytes(field, len, &f.clean);
    return f;
}

// Decoded names are shared between rows, which keeps a large table small.
class NameCache {
public:
    TextField get(const char* field) {
        const void* zero = std::memchr(field, 0, size_t(kNameField));
        if (!zero)
            return ReadText(field, kNameField);
        const qsizetype len = static_cast<const char*>(zero) - field;
        if (!AllZero(field + len + 1, kNameField - len - 1))
            return ReadText(field, kNameField);
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
        f.text = DecodeBytes(field, len, &f.clean);
        m_map.insert(k, f);
        return f;
    }

private:
    using Key = std::pair<quint64, quint64>;
    QHash<Key, TextField> m_map;
};

} // namespace

LoadResult Decode(QByteArrayView bytes, qint64 fileSize) {
    LoadResult result;
    const qsizetype size = bytes.size();
    if (fileSize < size)
        fileSize = size;
    if (size == 0) {
        result.status = LoadStatus::Empty;
        return result;
    }
    const char* base = bytes.data();
    QStringList problems;

    const TextField music = ReadText(base, qMin(size, kMusicField));
    result.state.musicPath = music.text;
    if (!music.terminated)
        problems << QStringLiteral("音乐路径没有结尾");
    bool unclean = !music.clean;
    // Bytes the writer leaves zero would not come back after the next save.
    bool unpadded =
        !music.padded || (size >= kFirstRecord + kUnit &&
                          !AllZero(base + kHeaderEnd, kFirstRecord + kUnit - kHeaderEnd));

    qint64 count = 0;
    if (size < kHeaderEnd) {
        problems << QStringLiteral("文件只有 %1 字节，不足以容纳文件头").arg(size);
    } else {
        result.state.leadMinutes = GetInt32(base + kLeadOffset);
        count = GetInt32(base + kCountOffset);
        if (count < 0)
            problems << QStringLiteral("记录数为负 (%1)").arg(count);
    }

    const qint64 fit = size < kFirstRecord ? 0 : (size - kFirstRecord) / kUnit;
    const qint64 loadable = qBound<qint64>(0, count, fit);
    if (count > fit)
        problems << QStringLiteral("记录数 %1 超出文件所含的 %2 条").arg(count).arg(fit);
    else if (count >= 0 && size >= kHeaderEnd && fileSize != ImageSize(count))
        problems << QStringLiteral("文件长度 %1 字节与记录数 %2 不符").arg(fileSize).arg(count);

    QVector<ReminderRow>& rows = result.state.rows;
    rows.resize(loadable);
    NameCache names;
    qint64 cutTexts = 0;
    for (qint64 i = 0; i < loadable; ++i) {
        const char* r = base + kFirstRecord + kUnit * i;
        ReminderRow& row = rows[i];
        row.cropIndex = GetInt32(r);
        const TextField name = names.get(r + kNameOffset);
        row.cropName = name.text;
        row.plant = GetInt32(r + kPlantOffset);
        row.ripe = GetInt32(r + kRipeOffset);
        row.seasonNo = static_cast<unsigned char>(r[kSeasonOffset]);
        const TextField note = ReadText(r + kNoteOffset, i == 0 ? kFirstNoteField : kNoteField);
        row.note = note.text;
        row.rowId = static_cast<quint32>(i);
        if (!name.terminated)
            ++cutTexts;
        if (!note.terminated)
            ++cutTexts;
        unclean = unclean || !name.clean || !note.clean;
        unpadded = unpadded || !name.padded || !note.padded;
    }
    // With no record, the writer leaves record 0's slot zero.
    if (loadable == 0 && size >= kHeaderEnd)
        unpadded = unpadded || !AllZero(base + kFirstRecord, kLeadOffset - kFirstRecord);
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

} // namespace ReminderImage

bool FitsNote(const QString& note) {
    return Cp936::EncodedLength(note) <= ReminderImage::kMaxFirstNoteBytes;
}

QString CutNote(const QString& note) {
    if (FitsNote(note))
        return note;
    // Cut the text itself, so characters the code page lacks stay as typed.
    qsizetype bytes = 0;
    qsizetype i = 0;
    while (i < note.size()) {
        const qsizetype width =
            (note[i].isHighSurrogate() && i + 1 < note.size() && note[i + 1].isLowSurrogate()) ? 2
                                                                                               : 1;
        const qsizetype need = Cp936::EncodedLength(note.mid(i, width));
        if (bytes + need > ReminderImage::kMaxFirstNoteBytes)
            break;
        bytes += need;
        i += width;
    }
    return note.left(i);
}

bool FitsMusicPath(const QString& path) {
    return Cp936::EncodedLength(path) <= ReminderImage::kMaxMusicBytes;
}
