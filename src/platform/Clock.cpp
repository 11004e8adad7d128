#include "platform/Clock.h"

#include <ctime>

namespace brellow {

LocalDateTime SystemClock::Now() const
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    LocalDateTime moment;
    moment.year = local.tm_year + 1900;
    moment.month = local.tm_mon + 1;
    moment.day = local.tm_mday;
    moment.hour = local.tm_hour;
    moment.minute = local.tm_min;
    moment.second = local.tm_sec;
    moment.dayOfWeek = local.tm_wday + 1;
    return moment;
}

const Clock& DefaultClock()
{
    static const SystemClock clock;
    return clock;
}

}  // namespace brellow
