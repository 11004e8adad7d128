#pragma once

#include <string>

#include "TempFolder.h"

namespace brellow::testing {

// Writes an executable shell script "name" into the folder and answers its path. The body
// follows the "#!/bin/sh" line.
std::string WriteScript(const TempFolder& folder, const std::string& name, const std::string& body);

// True when this process has no child left, running or unreaped.
bool NoChildLeft();

}  // namespace brellow::testing
