#pragma once

#include <string>

namespace brellow {

// What decides where the store lies.
struct StoreLocationFacts {
    std::string executableFolder;
    bool storeBesideExecutable = false;  // a qzbackup.db exists in the executable's folder
    bool installed = false;              // the program was installed, not run from a folder of its own
    std::string xdgDataHome;             // $XDG_DATA_HOME as set; may be empty
    std::string home;                    // the user's home folder
};

// A copy in a folder of its own keeps qzbackup.db beside its executable, and an existing
// qzbackup.db there is always used; an installed copy keeps it in the user's data folder,
// <data home>/Brellow2, since the program folder is not the user's to write.
std::string StorePathFor(const StoreLocationFacts& facts);

// The file of that name in the store's folder (the lock, the failure log).
std::string BesideStore(const std::string& storePath, const char* fileName);

// The store path of this process. When it lies in the user's data folder that folder is made
// (private to the user) if it is missing.
std::string LocatedStorePath();

}  // namespace brellow
