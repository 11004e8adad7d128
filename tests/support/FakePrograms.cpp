#include "FakePrograms.h"

#include <sys/wait.h>

#include <cerrno>
#include <fstream>

namespace brellow::testing {

std::string WriteScript(const TempFolder& folder, const std::string& name, const std::string& body)
{
    const std::string path = folder / name;
    std::ofstream(path) << "#!/bin/sh\n" << body;
    std::filesystem::permissions(path, std::filesystem::perms(0755));
    return path;
}

bool NoChildLeft()
{
    return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

}  // namespace brellow::testing
