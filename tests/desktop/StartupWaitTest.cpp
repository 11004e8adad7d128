#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "desktop/NotificationArea.h"
#include "desktop/StartupWait.h"

using namespace brellow;
using namespace std::chrono_literals;

namespace {

// Time passes only when the code under test sleeps; every sleep is recorded.
struct FakeTime {
    std::chrono::steady_clock::time_point now{};
    std::vector<std::chrono::milliseconds> sleeps;

    StartupWaiter Waiter()
    {
        return {[this] { return now; }, [this](std::chrono::milliseconds span) {
                    sleeps.push_back(span);
                    now += span;
                }};
    }
};

}  // namespace

TEST(StartupWaitTest, WaitUntilLooksAtOnceThenEachIntervalUpToTheLimit)
{
    const struct {
        const char* what;
        int holdsFromLook;  // 0: never
        bool held;
        std::vector<std::chrono::milliseconds> sleeps;
    } cases[] = {
        {"holds at once", 1, true, {}},
        {"holds at the third look", 3, true, {400ms, 400ms}},
        {"never holds: last sleep cut to the limit", 0, false, {400ms, 400ms, 200ms}},
    };
    for (const auto& row : cases) {
        FakeTime time;
        int looks = 0;
        const bool held = WaitUntil([&] { return ++looks == row.holdsFromLook; }, 1000ms, 400ms, time.Waiter());
        EXPECT_EQ(held, row.held) << row.what;
        EXPECT_EQ(time.sleeps, row.sleeps) << row.what;
    }
}

TEST(StartupWaitTest, ANotificationAreaComingWithinThirtySecondsIsAwaited)
{
    FakeTime time;
    const auto start = time.now;
    // The panel comes five seconds after the start.
    EXPECT_TRUE(AwaitNotificationArea([&] { return time.now - start >= 5s; }, time.Waiter()));
    EXPECT_EQ(time.now - start, 5s);
    EXPECT_EQ(time.sleeps, std::vector<std::chrono::milliseconds>(5, 1000ms));
}

TEST(StartupWaitTest, WithoutANotificationAreaTheWaitEndsAfterThirtyLooksASecondApart)
{
    FakeTime time;
    const auto start = time.now;
    int looks = 0;
    EXPECT_FALSE(AwaitNotificationArea([&] { ++looks; return false; }, time.Waiter()));
    EXPECT_EQ(time.now - start, 30s);
    EXPECT_EQ(looks, 31);
}
