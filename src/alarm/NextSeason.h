#pragma once

#include "reminders/ReminderTable.h"

// The reminder for the season after a ripe one, timed from the reference
// instant (the second shown by the latest tick, taken as the harvest). Its
// plant instant is notional: the planting that would ripen the new row's
// previous season exactly at the reference. Crop, name and note carry over;
// the row id is left for the table to give.
ReminderRow nextSeasonRow(const ReminderRow& ripe, qint64 reference);

// Replaces the row with this id by its next season, appended at the end.
// Acts on the id, not a position, so rows removed or re-sorted since the click
// cannot redirect it. False, and nothing changed, when the id is gone.
bool applyNextSeason(ReminderTable& table, quint64 rowId, qint64 reference);
