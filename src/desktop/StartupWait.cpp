#include "desktop/StartupWait.h"

#include <thread>

namespace brellow {

StartupWaiter StartupWaiter::Real()
{
    return {[] { return std::chrono::steady_clock::now(); },
            [](std::chrono::milliseconds span) { std::this_thread::sleep_for(span); }};
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit,
               std::chrono::milliseconds interval, const StartupWaiter& waiter)
{
    const auto deadline = waiter.now() + limit;
    for (;;) {
        if (condition())
            return true;
        const auto left = deadline - waiter.now();
        if (left <= std::chrono::milliseconds::zero())
            return false;
        waiter.sleep(std::min(interval, std::chrono::duration_cast<std::chrono::milliseconds>(left)));
    }
}

}  // namespace brellow
