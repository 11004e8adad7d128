#pragma once

// What the companion program and the backup run agree on.
namespace brellow::companion {

// The companion's file name, looked for beside the backup program.
inline constexpr const char* kProgramName = "Spinnet";
// The line the companion writes on standard output once its window is on screen.
inline constexpr const char* kReadyLine = "ready";

}  // namespace brellow::companion
