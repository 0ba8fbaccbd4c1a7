#include "catalogue/Schedule.h"

#include "catalogue/TimeText.h"

namespace Schedule {

qint64 RipeningTime(qint64 plant, const CropSpec& crop, int seasonNo) {
    return plant + qint64(crop.totalSpan) + qint64(seasonNo - 1) * crop.regrowSpan;
}

qint64 SpanStageToRipe(const CropSpec& c, int stage, int seasonIndex) {
    if (seasonIndex != 0)
        return stage == 0 ? c.ripeSpan : 0;
    switch (stage) {
    case Sprout:
        return qint64(c.smallLeafSpan) + c.bigLeafSpan + c.bloomSpan + c.ripeSpan;
    case SmallLeaf:
        return qint64(c.bigLeafSpan) + c.bloomSpan + c.ripeSpan;
    case BigLeaf:
        return qint64(c.bloomSpan) + c.ripeSpan;
    case Bloom:
        return c.ripeSpan;
    default:
        return 0;
    }
}

qint64 SpanPlantToStage(const CropSpec& c, int stage, int seasonIndex) {
    const qint64 total = c.totalSpan;
    if (seasonIndex != 0) {
        const qint64 ripe = total + qint64(seasonIndex) * c.regrowSpan;
        return stage == 0 ? ripe - c.ripeSpan : ripe;
    }
    switch (stage) {
    case Sprout:
        return total - c.smallLeafSpan - c.bigLeafSpan - c.bloomSpan - c.ripeSpan;
    case SmallLeaf:
        return total - c.bigLeafSpan - c.bloomSpan - c.ripeSpan;
    case BigLeaf:
        return total - c.bloomSpan - c.ripeSpan;
    case Bloom:
        return total - c.ripeSpan;
    case Ripe:
        return total;
    default:
        return 0;
    }
}

QString unstorableText() {
    return QStringLiteral("计算出的时间超出了可保存的范围（1970-01-01 至 2038-01-19）。");
}

qint64 leadingInteger(const QString& text) {
    constexpr qint64 kCap = 1'000'000'000;
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    qint64 v = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        v = qMin(kCap, v * 10 + (text[i].unicode() - u'0'));
    return negative ? -v : v;
}

FriendTimes FriendCropTimes(qint64 reference, const QString& hoursText, const QString& minutesText,
                            int cropIndex, const QString& cropName, int stage, int seasonIndex) {
    FriendTimes out;
    const qint64 hours = leadingInteger(hoursText);
    const qint64 minutes = leadingInteger(minutesText);
    if (hours < 0 || hours > kMaxFriendHours || minutes < 0 || minutes > kMaxFriendMinutes) {
        out.error = QStringLiteral("好友果实的剩余时间无效：小时应在0到%1之间，分钟应在0到%2之间。")
                        .arg(kMaxFriendHours)
                        .arg(kMaxFriendMinutes);
        return out;
    }
    const qint64 remaining = hours * 3600 + minutes * 60;
    const CropSpec crop = CropCatalogue::ResolveCrop(cropIndex, cropName);
    out.ripe = reference + remaining + SpanStageToRipe(crop, stage, seasonIndex);
    out.plant = reference + remaining - SpanPlantToStage(crop, stage, seasonIndex);
    out.seasonNo = seasonIndex + 1;
    if (!TimeText::isStorable(out.plant) || !TimeText::isStorable(out.ripe)) {
        out.error = unstorableText();
        return out;
    }
    out.ok = true;
    return out;
}

} // namespace Schedule
