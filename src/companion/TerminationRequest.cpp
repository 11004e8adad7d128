#include "TerminationRequest.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace spinnet {

namespace {
int signalSockets[2] = {-1, -1};
}  // namespace

TerminationRequest::TerminationRequest(QObject* parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) != 0)
        throw std::runtime_error("シグナル用のソケットを作成できません");
    notifier_ = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationRequest::Receive);
    struct sigaction action {};
    action.sa_handler = &TerminationRequest::HandleSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
}

TerminationRequest::~TerminationRequest()
{
    ::signal(SIGTERM, SIG_DFL);
    ::close(signalSockets[0]);
    ::close(signalSockets[1]);
}

void TerminationRequest::HandleSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(signalSockets[0], &byte, 1);
}

void TerminationRequest::Receive()
{
    char byte;
    [[maybe_unused]] const ssize_t ignored = ::read(signalSockets[1], &byte, 1);
    emit requested();
}

}  // namespace spinnet
