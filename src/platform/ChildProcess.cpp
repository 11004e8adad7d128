#include "platform/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace brellow {

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr std::string::size_type kLongestLine = 64 * 1024;

int MillisecondsLeft(SteadyClock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits until the descriptor is readable or the deadline has passed; false on time-out.
bool PollReadable(int fd, SteadyClock::time_point deadline)
{
    for (;;) {
        pollfd entry{fd, POLLIN, 0};
        const int ready = ::poll(&entry, 1, MillisecondsLeft(deadline));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// Spawn settings: the child starts with default signal handling and nothing blocked,
// whatever this program changed for itself.
struct SpawnSettings {
    explicit SpawnSettings(int output)
    {
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
        ::posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
        ::posix_spawnattr_init(&attributes);
        sigset_t none;
        sigemptyset(&none);
        sigset_t all;
        sigfillset(&all);
        ::posix_spawnattr_setsigmask(&attributes, &none);
        ::posix_spawnattr_setsigdefault(&attributes, &all);
        // A group of its own, so that nothing it starts outlives it.
        ::posix_spawnattr_setpgroup(&attributes, 0);
        ::posix_spawnattr_setflags(&attributes,
                                   POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
    }
    ~SpawnSettings()
    {
        ::posix_spawnattr_destroy(&attributes);
        ::posix_spawn_file_actions_destroy(&actions);
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
};

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::string& program)
{
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return nullptr;
    pid_t pid = 0;
    int failed = 0;
    {
        const SpawnSettings settings(pipeEnds[1]);
        char* const arguments[] = {const_cast<char*>(program.c_str()), nullptr};
        const bool searchPath = program.find('/') == std::string::npos;
        const auto spawn = searchPath ? ::posix_spawnp : ::posix_spawn;
        failed = spawn(&pid, program.c_str(), &settings.actions, &settings.attributes, arguments, environ);
    }
    ::close(pipeEnds[1]);
    if (failed != 0) {
        ::close(pipeEnds[0]);
        return nullptr;
    }
    return std::unique_ptr<ChildProcess>(new ChildProcess(pid, pipeEnds[0]));
}

ChildProcess::ChildProcess(pid_t pid, int output) : pid_(pid), output_(output) {}

ChildProcess::~ChildProcess()
{
    if (!reaped_)
        EndGroupAndReap();
    ::close(output_);
}

bool ChildProcess::WaitForLine(const std::string& line, std::chrono::milliseconds limit)
{
    const SteadyClock::time_point deadline = SteadyClock::now() + limit;
    for (;;) {
        std::string::size_type end;
        while ((end = pending_.find('\n')) != std::string::npos) {
            std::string received = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            if (!received.empty() && received.back() == '\r')
                received.pop_back();
            if (received == line)
                return true;
        }
        if (!PollReadable(output_, deadline))
            return false;
        char buffer[256];
        const ssize_t got = ::read(output_, buffer, sizeof buffer);
        if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN))
            return false;
        if (got > 0)
            pending_.append(buffer, static_cast<size_t>(got));
        // Output without line ends is no line at all; it must not fill the memory.
        if (pending_.size() > kLongestLine)
            return false;
    }
}

bool ChildProcess::WaitForEnd(std::chrono::milliseconds limit)
{
    if (reaped_)
        return true;
    if (limit.count() > 0) {
        // The child is not reaped yet, so its id cannot have passed to another process.
        const int handle = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
        if (handle >= 0) {
            PollReadable(handle, SteadyClock::now() + limit);
            ::close(handle);
        }
    }
    // Looked at without reaping: until it is reaped its id still names its process group.
    siginfo_t info{};
    int result;
    do
        result = ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT);
    while (result < 0 && errno == EINTR);
    if (result == 0 && info.si_pid == 0)
        return false;
    EndGroupAndReap();
    return true;
}

bool ChildProcess::Ended()
{
    return WaitForEnd(std::chrono::milliseconds(0));
}

void ChildProcess::EndGroupAndReap()
{
    // Whatever the child started and left behind in its group goes with it.
    ::kill(-pid_, SIGKILL);
    int status = 0;
    pid_t result;
    do
        result = ::waitpid(pid_, &status, 0);
    while (result < 0 && errno == EINTR);
    reaped_ = true;
    if (result == pid_ && WIFEXITED(status))
        exitCode_ = WEXITSTATUS(status);
}

bool ChildProcess::Terminate(std::chrono::milliseconds limit)
{
    if (Ended())
        return true;
    ::kill(pid_, SIGTERM);
    if (WaitForEnd(limit))
        return true;
    EndGroupAndReap();
    return false;
}

}  // namespace brellow
