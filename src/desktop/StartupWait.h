#pragma once

#include <chrono>
#include <functional>

namespace brellow {

// Time passing while the program starts, so tests can let it pass without sleeping.
struct StartupWaiter {
    std::function<std::chrono::steady_clock::time_point()> now;
    std::function<void(std::chrono::milliseconds)> sleep;

    static StartupWaiter Real();
};

// Looks at the condition at once, then about every interval until it holds or the limit has
// passed. Answers whether it held.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit,
               std::chrono::milliseconds interval, const StartupWaiter& waiter);

}  // namespace brellow
