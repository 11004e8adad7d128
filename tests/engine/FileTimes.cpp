#include "FileTimes.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/FileSystem.h"

namespace brellow::testing {

FixedTimeZone::FixedTimeZone(const char* zone)
{
    const char* previous = std::getenv("TZ");
    hadPrevious_ = previous != nullptr;
    if (hadPrevious_)
        previous_ = previous;
    ::setenv("TZ", zone, 1);
    ::tzset();
}

FixedTimeZone::~FixedTimeZone()
{
    if (hadPrevious_)
        ::setenv("TZ", previous_.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

int64_t LocalSeconds(int year, int month, int day, int hour, int minute, int second)
{
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    return ::timegm(&parts);
}

void SetWriteTime(const std::string& path, int64_t localSeconds)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(localSeconds - CurrentUtcOffset()), 0}};
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0)
        throw std::runtime_error("cannot set the time of " + path);
}

void WriteFile(const std::string& path, const std::string& content, int64_t localSeconds)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
    SetWriteTime(path, localSeconds);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace brellow::testing
