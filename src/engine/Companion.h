#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/ChildProcess.h"

namespace brellow {

// How long the run waits for the companion: to be ready, and to end once asked to close.
struct CompanionLimits {
    std::chrono::milliseconds ready{10000};
    std::chrono::milliseconds close{10000};
};

// The progress companion on screen while a run lasts. It writes the line "ready" once its
// one window is visible, and closes that window and ends on SIGTERM.
class Companion {
public:
    // Starts the program with no arguments and waits until it is ready, its output closes or
    // limits.ready has passed. A program that cannot be started is simply absent.
    Companion(const std::string& program, const CompanionLimits& limits);
    // Closes it when Close() was not reached (an error leaving the run).
    ~Companion();
    Companion(const Companion&) = delete;
    Companion& operator=(const Companion&) = delete;

    // Asks the companion to close and waits up to limits.close; one that hangs is killed. A
    // companion that never became ready is ended the same way, and one that has already
    // ended (closed by the user) is only reaped: no process and no zombie stays behind.
    void Close();

private:
    std::unique_ptr<ChildProcess> process_;
    CompanionLimits limits_;
};

// "Spinnet" beside the executable when it is there, else "Spinnet" looked up on PATH.
std::string DefaultCompanionProgram();

}  // namespace brellow
