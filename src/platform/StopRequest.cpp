#include "platform/StopRequest.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <initializer_list>

namespace brellow {

namespace {

std::atomic<bool> stopRequested{false};
int notifierPipe[2] = {-1, -1};

extern "C" void OnStopSignal(int)
{
    stopRequested = true;
    if (notifierPipe[1] >= 0) {
        const char byte = 1;
        // Nothing to do when the pipe is full: it is readable already.
        [[maybe_unused]] const ssize_t written = ::write(notifierPipe[1], &byte, 1);
    }
}

}  // namespace

void InstallStopSignals()
{
    if (notifierPipe[0] >= 0)
        return;
    if (::pipe2(notifierPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        notifierPipe[0] = notifierPipe[1] = -1;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a long copy returns early and sees the request.
    action.sa_flags = 0;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

bool StopRequested()
{
    return stopRequested;
}

int StopNotifier()
{
    return notifierPipe[0];
}

void SetStopRequestedForTesting(bool requested)
{
    stopRequested = requested;
}

}  // namespace brellow
