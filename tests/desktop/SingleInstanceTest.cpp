#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>


#include <cstdio>
#include <string>

#include "TempFolder.h"
#include "desktop/SingleInstance.h"

using namespace brellow;
using brellow::testing::TempFolder;

namespace {

// Another process that takes the lock, says so, and holds it until told to end.
class LockHolder {
public:
    explicit LockHolder(const std::string& path)
    {
        int said[2];
        int told[2];
        EXPECT_EQ(::pipe(said), 0);
        EXPECT_EQ(::pipe(told), 0);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(said[0]);
            ::close(told[1]);
            InstanceLock lock(path);
            const char answer = lock.TryLock() == InstanceLock::Result::Held ? 'y' : 'n';
            (void)!::write(said[1], &answer, 1);
            char ignored;
            (void)!::read(told[0], &ignored, 1);
            ::_exit(0);
        }
        ::close(said[1]);
        ::close(told[0]);
        tell_ = told[1];
        char answer = 0;
        EXPECT_EQ(::read(said[0], &answer, 1), 1);
        ::close(said[0]);
        locked_ = answer == 'y';
    }
    ~LockHolder() { End(); }

    bool Locked() const { return locked_; }
    void End()
    {
        if (pid_ <= 0)
            return;
        ::close(tell_);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    int tell_ = -1;
    bool locked_ = false;
};

}  // namespace

TEST(SingleInstanceTest, TheLockKeepsASecondProcessOutUntilTheFirstEnds)
{
    TempFolder folder;
    const std::string path = InstanceLockPathFor(folder / "qzbackup.db");
    LockHolder first(path);
    ASSERT_TRUE(first.Locked());

    InstanceLock second(path);
    EXPECT_EQ(second.TryLock(), InstanceLock::Result::TakenByOther);
    first.End();
    EXPECT_EQ(second.TryLock(), InstanceLock::Result::Held);

    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // Now this process holds it: another one is kept out.
    LockHolder third(path);
    EXPECT_FALSE(third.Locked());
}

TEST(SingleInstanceTest, AProgramStartedByTheHolderGetsNoShareOfTheLock)
{
    TempFolder folder;
    const std::string path = InstanceLockPathFor(folder / "qzbackup.db");
    InstanceLock lock(path);
    ASSERT_EQ(lock.TryLock(), InstanceLock::Result::Held);
    FILE* listing = ::popen("ls -l /proc/self/fd", "r");
    ASSERT_NE(listing, nullptr);
    std::string text;
    char buffer[512];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, listing))
        text.append(buffer, n);
    ::pclose(listing);
    EXPECT_EQ(text.find(path), std::string::npos) << text;
}

TEST(SingleInstanceTest, ALockBesideAMissingFolderIsUnavailableNotTaken)
{
    TempFolder folder;
    InstanceLock lock(InstanceLockPathFor(folder / "missing/qzbackup.db"));
    EXPECT_EQ(lock.TryLock(), InstanceLock::Result::Unavailable);
}

TEST(SingleInstanceTest, EachStoreHasItsOwnLockFileAndBusName)
{
    EXPECT_EQ(InstanceLockPathFor("/home/ann/.local/share/Brellow2/qzbackup.db"),
              "/home/ann/.local/share/Brellow2/qzbackup.lock");
    EXPECT_EQ(InstanceLockPathFor("/opt/b/qzbackup.db"), "/opt/b/qzbackup.lock");

    const QString one = InstanceBusNameFor("/home/ann/.local/share/Brellow2/qzbackup.db");
    const QString other = InstanceBusNameFor("/opt/b/qzbackup.db");
    EXPECT_NE(one, other);
    EXPECT_EQ(one, InstanceBusNameFor("/home/ann/.local/share/Brellow2/qzbackup.db"));
    EXPECT_TRUE(one.startsWith(QStringLiteral("org.brellow.Brellow2.Store_")));

}
