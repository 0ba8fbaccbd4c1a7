#pragma once

#include <QString>
#include <QtGlobal>

// The two fixed crop tables of the game. An entry's index is part of the
// stored data, so the order of both tables never changes.
enum class SoilKind : qint32 { Ordinary = 0, RedSoil = 1 };

enum CropStage : qint32 { Sprout = 0, SmallLeaf = 1, BigLeaf = 2, Bloom = 3, Ripe = 4 };

constexpr int kStageCount = 5;
constexpr int kMaxSeasons = 9;

// Spans in seconds; an unknown crop yields the empty entry (all zero).
struct CropSpec {
    QString name;
    qint32 totalSpan = 0;
    qint32 sproutSpan = 0;
    qint32 smallLeafSpan = 0;
    qint32 bigLeafSpan = 0;
    qint32 bloomSpan = 0;
    qint32 ripeSpan = 0;
    qint32 regrowSpan = 0;
    qint32 seasons = 0;

    bool isEmpty() const { return seasons == 0; }
};

namespace CropCatalogue {

int CropCount(SoilKind soil);
CropSpec GetOrdinaryCrop(int index);
CropSpec GetRedSoilCrop(int index);
CropSpec GetCrop(SoilKind soil, int index);
// A stored reminder keeps index and name but not the soil kind: the ordinary
// entry when its name matches, otherwise the red-soil entry at that index.
CropSpec ResolveCrop(int index, const QString& name);
QString StageName(int stage);
QString SeasonName(int seasonIndex);

} // namespace CropCatalogue
