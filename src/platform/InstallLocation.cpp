#include "platform/InstallLocation.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/FileSystem.h"

namespace brellow {

const char* const kDesktopEntryName = "org.brellow.Brellow2.desktop";

namespace {

// No program put there is the user's to write beside.
const char* const kSystemProgramFolders[] = {
    "/bin", "/sbin", "/usr/bin", "/usr/sbin", "/usr/local/bin", "/usr/local/sbin", "/usr/games",
};

std::string WithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

}  // namespace

bool IsInstalledProgramFolder(const std::string& executableFolder)
{
    const std::string folder = WithoutTrailingSlashes(executableFolder);
    for (const char* system : kSystemProgramFolders) {
        if (folder == system)
            return true;
    }
    const std::string::size_type cut = folder.rfind('/');
    if (cut == std::string::npos || folder.compare(cut + 1, std::string::npos, "bin") != 0)
        return false;
    const std::string prefix = folder.substr(0, cut);
    return QueryFile(prefix + "/share/applications/" + kDesktopEntryName).kind == FileKind::Regular;
}

std::string UserDataHome(const std::string& xdgDataHome, const std::string& home)
{
    // A relative value is invalid and is ignored, as the base directory rules say.
    if (!xdgDataHome.empty() && xdgDataHome.front() == '/')
        return WithoutTrailingSlashes(xdgDataHome);
    return WithoutTrailingSlashes(home) + "/.local/share";
}

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return "/";
}

bool MakePrivateFolders(const std::string& folder)
{
    if (FolderExists(folder))
        return true;
    const std::string path = WithoutTrailingSlashes(folder);
    const std::string::size_type cut = path.rfind('/');
    if (cut != std::string::npos && cut > 0 && !MakePrivateFolders(path.substr(0, cut)))
        return false;
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST ? FolderExists(path) : false;
}

}  // namespace brellow
