#pragma once

#include "platform/FileSystem.h"

namespace brellow {

// Copies a file's content, permission bits and last-write time over the target name,
// replacing whatever file stands there, read-only or not. Only regular files are copied.
// The copy is written to a nameless file in the target's folder where the file system has
// them, else to a temporary file named recognisably as this program's own (see
// IsLeftoverCopyName), and only then put in place under its name: a copy that fails or is
// cut short leaves the old target untouched and nothing else behind.
// Answers 0 when done, else the error number that stopped it; ECANCELED when a stop request
// (StopRequest.h) cut it short.
int CopyFileReplacing(FileRef source, int targetFolder, const char* targetName);

// The name is one of this program's temporary copies.
bool IsLeftoverCopyName(const char* name);

// Removes the temporary copies left in the open folder by a process that no longer runs
// (killed in the middle of a copy). Nothing else is touched.
void RemoveLeftoverCopies(int folder);

// Makes every copy take the temporary-file road, as on file systems without nameless files.
void ForceTemporaryFileCopiesForTesting(bool force);

}  // namespace brellow
