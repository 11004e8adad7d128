#pragma once

#include <cstdint>
#include <string>

namespace brellow::testing {

// A fixed time zone (UTC+9, no daylight saving) for the life of the object, so that the
// local times a test writes are the local times the code reads.
class FixedTimeZone {
public:
    explicit FixedTimeZone(const char* zone = "JST-9");
    ~FixedTimeZone();
    FixedTimeZone(const FixedTimeZone&) = delete;
    FixedTimeZone& operator=(const FixedTimeZone&) = delete;

private:
    std::string previous_;
    bool hadPrevious_;
};

// Seconds since the epoch of a local wall-clock time, taken as if it were universal time.
int64_t LocalSeconds(int year, int month, int day, int hour, int minute, int second);

// Writes a file with the given content and a last-write time given in local time
// (the zone in force now).
void WriteFile(const std::string& path, const std::string& content, int64_t localSeconds);
void SetWriteTime(const std::string& path, int64_t localSeconds);

std::string ReadFile(const std::string& path);

}  // namespace brellow::testing
