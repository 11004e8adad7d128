#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace brellow {

// A program started by this one, in a process group of its own, with its standard output on
// a pipe. Every wait is bounded, and the child is always reaped: destroying a child that
// still runs kills it. When it ends, whatever it started in its group is killed with it.
class ChildProcess {
public:
    // Starts the program with no arguments, in this program's environment, current folder,
    // standard input and error; no other descriptor is passed on. A program text without
    // a separator is looked up on PATH. Nothing when it cannot be started.
    static std::unique_ptr<ChildProcess> Start(const std::string& program);

    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Reads the child's output until it writes `line` as a whole line (true), closes its
    // output, writes a line too long to be any line awaited, or the time is up (false).
    bool WaitForLine(const std::string& line, std::chrono::milliseconds limit);

    // Asks the child to end (SIGTERM) and waits for it up to `limit`; a child still
    // running then is killed. Reaped either way. Answers whether it ended when asked.
    bool Terminate(std::chrono::milliseconds limit);

    // Reaps the child when it has ended; true once it is gone.
    bool Ended();

    // The child's exit code once it has ended by itself; nothing while it runs or when a
    // signal ended it.
    std::optional<int> ExitCode() const { return exitCode_; }

private:
    ChildProcess(pid_t pid, int output);
    // Waits for the end up to `limit` (no wait for zero); true when reaped.
    bool WaitForEnd(std::chrono::milliseconds limit);
    // Kills the child's group, the child with it when it still runs, and reaps the child.
    void EndGroupAndReap();

    pid_t pid_;
    int output_;
    std::string pending_;  // output read but not yet a whole line
    bool reaped_ = false;
    std::optional<int> exitCode_;
};

}  // namespace brellow
