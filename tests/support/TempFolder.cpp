#include "TempFolder.h"

#include <stdlib.h>

#include <stdexcept>

namespace brellow::testing {

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "brellow-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace brellow::testing
