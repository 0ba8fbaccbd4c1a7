// A catalogue source that climbs to a later layer by a relative path.
#include "../app/CReminderApp.h"
