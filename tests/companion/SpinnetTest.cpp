#include <gtest/gtest.h>

#include <cstdlib>

#include "companion/CompanionProtocol.h"
#include "platform/ChildProcess.h"

using namespace brellow;

namespace {
// Long enough never to run out on a loaded machine; only reached when a test fails.
const std::chrono::milliseconds kPatience(10000);
}  // namespace

TEST(SpinnetTest, AnnouncesItsWindowAndEndsCleanlyWhenAskedToClose)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    auto spinnet = ChildProcess::Start(SPINNET_PROGRAM);
    ASSERT_NE(spinnet, nullptr);
    ASSERT_TRUE(spinnet->WaitForLine(companion::kReadyLine, kPatience));
    EXPECT_TRUE(spinnet->Terminate(kPatience));
    // Ended by its own handler, not by the signal's default action.
    EXPECT_EQ(spinnet->ExitCode(), 0);
}
