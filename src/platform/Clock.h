#pragma once

namespace brellow {

// A local wall-clock moment.
struct LocalDateTime {
    int year = 2000;
    int month = 1;      // 1..12
    int day = 1;        // 1..31
    int hour = 0;       // 0..23
    int minute = 0;     // 0..59
    int second = 0;     // 0..59
    int dayOfWeek = 7;  // 1 = Sunday .. 7 = Saturday
};

// The one source of "now"; tests set their own.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime Now() const = 0;
};

class SystemClock : public Clock {
public:
    LocalDateTime Now() const override;
};

// The process's clock, shared by everything that does not get one of its own.
const Clock& DefaultClock();

}  // namespace brellow
