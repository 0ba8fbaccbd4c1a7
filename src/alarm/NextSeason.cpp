#include "alarm/NextSeason.h"

#include "catalogue/CropCatalogue.h"
#include "catalogue/Schedule.h"

ReminderRow nextSeasonRow(const ReminderRow& ripe, qint64 reference) {
    const CropSpec crop = CropCatalogue::ResolveCrop(ripe.cropIndex, ripe.cropName);
    const int s = ripe.seasonNo;
    ReminderRow next;
    next.cropIndex = ripe.cropIndex;
    // An unknown crop keeps its own name rather than losing it.
    next.cropName = crop.isEmpty() ? ripe.cropName : crop.name;
    next.ripe = reference + Schedule::SpanStageToRipe(crop, BigLeaf, 0);
    next.plant = reference - Schedule::SpanPlantToStage(crop, Ripe, s - 1);
    next.note = ripe.note;
    next.seasonNo = s + 1;
    return next;
}

bool applyNextSeason(ReminderTable& table, quint64 rowId, qint64 reference) {
    const int pos = table.findRow(rowId);
    if (pos < 0)
        return false;
    ReminderRow next = nextSeasonRow(table.row(pos), reference);
    table.removeAt(pos);
    table.append(std::move(next));
    return true;
}
