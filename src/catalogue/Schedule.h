#pragma once

#include "catalogue/CropCatalogue.h"

#include <QString>
#include <QtGlobal>

// Places planting, stages and every season's ripening on one time line.
// Spans are computed in 64 bits.
namespace Schedule {

// Season number k (1-based) ripens totalSpan + (k - 1) * regrowSpan after planting.
qint64 RipeningTime(qint64 plant, const CropSpec& crop, int seasonNo);

// In season index 0 the stage is a CropStage; in later seasons 0 means "开花"
// and anything else "成熟".
qint64 SpanStageToRipe(const CropSpec& crop, int stage, int seasonIndex);
qint64 SpanPlantToStage(const CropSpec& crop, int stage, int seasonIndex);

// Why a reminder whose times the data file cannot hold is refused.
QString unstorableText();

// Friend-mode input is bounded so that no arithmetic can overflow and every
// result stays a real game time.
constexpr qint64 kMaxFriendHours = 999;
constexpr qint64 kMaxFriendMinutes = 9999;

// The leading integer of a field (optional sign, digits); empty counts as 0.
// Saturates far beyond the bounds above instead of overflowing.
qint64 leadingInteger(const QString& text);

struct FriendTimes {
    bool ok = false;
    QString error; // user-facing message when !ok
    qint64 plant = 0;
    qint64 ripe = 0;
    int seasonNo = 1;
};

FriendTimes FriendCropTimes(qint64 reference, const QString& hoursText, const QString& minutesText,
                            int cropIndex, const QString& cropName, int stage, int seasonIndex);

} // namespace Schedule
