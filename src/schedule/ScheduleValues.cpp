#include "schedule/ScheduleValues.h"

namespace brellow {

IntervalKind StoredIntervalKind(const std::string& storedKind)
{
    if (storedKind == "0")
        return kDaily;
    if (storedKind == "1")
        return kWeekly;
    return kMonthly;
}

}  // namespace brellow
