#include "engine/Companion.h"

#include <unistd.h>

#include "companion/CompanionProtocol.h"
#include "platform/Paths.h"

namespace brellow {

Companion::Companion(const std::string& program, const CompanionLimits& limits)
    : process_(ChildProcess::Start(program)), limits_(limits)
{
    if (process_ != nullptr)
        process_->WaitForLine(companion::kReadyLine, limits_.ready);
}

Companion::~Companion()
{
    Close();
}

void Companion::Close()
{
    if (process_ == nullptr)
        return;
    process_->Terminate(limits_.close);
    process_.reset();
}

std::string DefaultCompanionProgram()
{
    const std::string beside = ExecutableFolder() + "/" + companion::kProgramName;
    return ::access(beside.c_str(), X_OK) == 0 ? beside : companion::kProgramName;
}

}  // namespace brellow
