#include "store/StoreLocation.h"

#include <sys/stat.h>

#include <cstdlib>

#include "platform/InstallLocation.h"
#include "platform/Paths.h"

namespace brellow {

namespace {

const char* const kStoreFileName = "qzbackup.db";
const char* const kDataFolderName = "Brellow2";

std::string DataFolderOf(const StoreLocationFacts& facts)
{
    return UserDataHome(facts.xdgDataHome, facts.home) + "/" + kDataFolderName;
}

}  // namespace

std::string StorePathFor(const StoreLocationFacts& facts)
{
    if (facts.storeBesideExecutable || !facts.installed)
        return facts.executableFolder + "/" + kStoreFileName;
    return DataFolderOf(facts) + "/" + kStoreFileName;
}

std::string BesideStore(const std::string& storePath, const char* fileName)
{
    const std::string::size_type cut = storePath.rfind('/');
    return cut == std::string::npos ? fileName : storePath.substr(0, cut + 1) + fileName;
}

std::string LocatedStorePath()
{
    StoreLocationFacts facts;
    facts.executableFolder = ExecutableFolder();
    struct stat info {};
    const std::string beside = facts.executableFolder + "/" + kStoreFileName;
    facts.storeBesideExecutable = ::stat(beside.c_str(), &info) == 0;
    facts.installed = IsInstalledProgramFolder(facts.executableFolder);
    if (const char* dataHome = std::getenv("XDG_DATA_HOME"))
        facts.xdgDataHome = dataHome;
    facts.home = HomeFolder();
    const std::string path = StorePathFor(facts);
    // When the folder cannot be made, opening the store reports it.
    if (path != beside)
        MakePrivateFolders(DataFolderOf(facts));
    return path;
}

}  // namespace brellow
