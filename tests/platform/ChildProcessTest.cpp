#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "FakePrograms.h"
#include "TempFolder.h"
#include "platform/ChildProcess.h"

using namespace brellow;
using namespace brellow::testing;
using std::chrono::milliseconds;

namespace {
// Long enough never to run out on a loaded machine; only reached when a test fails.
const milliseconds kPatience(10000);
// For waits that are meant to run out.
const milliseconds kShort(50);

std::string ReadText(const std::string& path)
{
    std::string text;
    std::getline(std::ifstream(path), text);
    return text;
}
}  // namespace

TEST(ChildProcessTest, WaitsForTheLineUntilOutputEndsOrTimeIsUp)
{
    struct Case {
        const char* body;
        milliseconds limit;
        bool found;
    };
    const Case cases[] = {
        {"echo starting\necho ready\nexec sleep 1000\n", kPatience, true},
        {"printf 'rea'\nprintf 'dy\\r\\n'\nexec sleep 1000\n", kPatience, true},
        {"echo ready-ish\necho not ready\nexit 0\n", kPatience, false},
        {"echo almost\nexec sleep 1000\n", kShort, false},
        {"while :; do printf 'no line end '; done\n", kPatience, false},
    };
    const TempFolder folder;
    for (const Case& c : cases) {
        auto child = ChildProcess::Start(WriteScript(folder, "child", c.body));
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(child->WaitForLine("ready", c.limit), c.found) << c.body;
        child->Terminate(kPatience);
        EXPECT_TRUE(NoChildLeft()) << c.body;
    }
}

TEST(ChildProcessTest, TerminateEndsAndReapsEvenAChildThatIgnoresTheRequest)
{
    const TempFolder folder;
    auto polite = ChildProcess::Start(WriteScript(
        folder, "polite", "trap 'kill -KILL $! 2>/dev/null; exit 7' TERM\necho ready\nsleep 1000 &\nwait $!\n"));
    ASSERT_NE(polite, nullptr);
    ASSERT_TRUE(polite->WaitForLine("ready", kPatience));
    EXPECT_TRUE(polite->Terminate(kPatience));
    EXPECT_EQ(polite->ExitCode(), 7);

    auto stubborn = ChildProcess::Start(WriteScript(folder, "stubborn", "trap '' TERM\necho ready\nexec sleep 1000\n"));
    ASSERT_NE(stubborn, nullptr);
    ASSERT_TRUE(stubborn->WaitForLine("ready", kPatience));
    EXPECT_FALSE(stubborn->Terminate(kShort));
    EXPECT_EQ(stubborn->ExitCode(), std::nullopt);
    EXPECT_TRUE(NoChildLeft());
}

TEST(ChildProcessTest, WhatAChildLeftRunningEndsWithIt)
{
    const TempFolder folder;
    auto child = ChildProcess::Start(
        WriteScript(folder, "child", "sleep 1000 &\necho $! > '" + folder / "helper" + "'\necho ready\nexit 0\n"));
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(child->WaitForLine("ready", kPatience));
    const pid_t helper = std::stoi(ReadText(folder / "helper"));
    const int handle = static_cast<int>(::syscall(SYS_pidfd_open, helper, 0));
    ASSERT_GE(handle, 0);

    EXPECT_TRUE(child->Terminate(kPatience));
    pollfd ended{handle, POLLIN, 0};
    EXPECT_EQ(::poll(&ended, 1, static_cast<int>(kPatience.count())), 1) << "the helper outlived the child";
    ::close(handle);
}

TEST(ChildProcessTest, DestroyingARunningChildReapsIt)
{
    const TempFolder folder;
    {
        auto child = ChildProcess::Start(WriteScript(folder, "child", "exec sleep 1000\n"));
        ASSERT_NE(child, nullptr);
    }
    EXPECT_TRUE(NoChildLeft());
}

TEST(ChildProcessTest, StartsCleanWithoutArgumentsOrInheritedDescriptors)
{
    const TempFolder folder;
    // A descriptor this program forgot to mark, and signal settings a child must not take on.
    const int stray = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(stray, 0);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous {};
    ::sigaction(SIGTERM, &ignore, &previous);

    const std::string fd = std::to_string(stray);
    auto child = ChildProcess::Start(WriteScript(
        folder, "child",
        "[ $# -eq 0 ] && [ ! -e /proc/$$/fd/" + fd + " ] && echo clean\necho ready\nexec sleep 1000\n"));
    ::sigaction(SIGTERM, &previous, nullptr);
    ::close(stray);
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(child->WaitForLine("clean", kPatience));
    EXPECT_TRUE(child->Terminate(kPatience)) << "the child ignored SIGTERM like its parent";
}

TEST(ChildProcessTest, ProgramsWithoutAFolderAreLookedUpOnThePath)
{
    const TempFolder folder;
    WriteScript(folder, "fake-on-path", "echo ready\n");
    const std::string previousPath = std::getenv("PATH");
    ::setenv("PATH", (folder.Path().string() + ":" + previousPath).c_str(), 1);
    auto found = ChildProcess::Start("fake-on-path");
    auto missing = ChildProcess::Start("no-such-program-anywhere");
    ::setenv("PATH", previousPath.c_str(), 1);

    ASSERT_NE(found, nullptr);
    EXPECT_TRUE(found->WaitForLine("ready", kPatience));
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(ChildProcess::Start(folder / "missing"), nullptr);
    found->Terminate(kPatience);
    EXPECT_TRUE(NoChildLeft());
}
