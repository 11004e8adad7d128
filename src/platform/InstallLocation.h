#pragma once

#include <string>

namespace brellow {

// The desktop entry an install lays out under <prefix>/share/applications.
extern const char* const kDesktopEntryName;

// Whether a program in this folder was installed rather than run from a folder of its own:
// the folder is <prefix>/bin of an install that laid out the program's desktop entry (any
// prefix), or one of the system's own program folders.
bool IsInstalledProgramFolder(const std::string& executableFolder);

// The user's data folder: $XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
std::string UserDataHome(const std::string& xdgDataHome, const std::string& home);

// The home folder of the user running the program: $HOME, else the password database's.
std::string HomeFolder();

// Makes the folder and any missing parents, private to the user. Answers whether it exists.
bool MakePrivateFolders(const std::string& folder);

}  // namespace brellow
