// Compiled twice: in a library that may include this header, and in one below
// it, where the include must not even be found.
#include "reminders/ReminderTable.h"

int reachesUp() {
    return ReminderTable::ColumnCount;
}
