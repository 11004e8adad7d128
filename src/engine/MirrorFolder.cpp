#include "engine/MirrorFolder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/PackedFileTime.h"
#include "platform/CharSteps.h"
#include "platform/FileSystem.h"

namespace brellow {

namespace {

constexpr std::string::size_type kNameLimit = 255;

// Folders read or written on the branch being walked. A source folder found among them
// would make the walk copy into itself or go round in a circle.
using WalkBranch = std::vector<FileIdentity>;

bool OnBranch(const WalkBranch& branch, const FileIdentity& folder)
{
    return std::find(branch.begin(), branch.end(), folder) != branch.end();
}

// The target folder, made (one level) when it is missing. Making it comes before the
// listing, so a source with no entries still gets its empty counterpart.
FileDescriptor PrepareTarget(FileRef target)
{
    if (!FolderExists(target))
        CreateFolder(target);
    return OpenFolder(target);
}

void MirrorOpenFolder(FileDescriptor sourceFolder, FileRef target, WalkBranch& branch)
{
    FileIdentity sourceIdentity;
    const bool sourceKnown = sourceFolder.Valid() && IdentityOf(sourceFolder.Get(), sourceIdentity);
    if (sourceKnown && OnBranch(branch, sourceIdentity))
        return;
    const FileDescriptor targetFolder = PrepareTarget(target);
    FolderListing listing(std::move(sourceFolder));
    // Without its target folder every copy of this subtree would fail in turn.
    if (!listing.Valid() || !targetFolder.Valid())
        return;

    const WalkBranch::size_type depth = branch.size();
    if (sourceKnown)
        branch.push_back(sourceIdentity);
    FileIdentity targetIdentity;
    if (IdentityOf(targetFolder.Get(), targetIdentity))
        branch.push_back(targetIdentity);

    FolderListing::Entry entry;
    while (listing.Next(entry)) {
        if (std::strcmp(entry.name, ".") == 0 || std::strcmp(entry.name, "..") == 0)
            continue;
        const FileRef source(listing.Folder(), entry.name);
        const FileRef destination(targetFolder.Get(), entry.name);
        if (entry.isFolder)
            MirrorOpenFolder(OpenFolder(source), destination, branch);
        else if (IsSourceNewer(source, destination))
            CopyFileReplacing(source, targetFolder.Get(), entry.name);
    }
    branch.resize(depth);
}

}  // namespace

std::string MirrorTarget(const std::string& source, const std::string& destination)
{
    const std::string::size_type separator = LastSeparator(source);
    const std::string name = separator == std::string::npos ? source : source.substr(separator + 1);
    return destination + kSeparator + name.substr(0, kNameLimit);
}

void MirrorFolder(const std::string& source, const std::string& destination)
{
    const std::string target = MirrorTarget(source, destination);
    const std::string listed = EndsWithSeparator(source) ? source : source + kSeparator;
    WalkBranch branch;
    MirrorOpenFolder(OpenFolder(listed), target, branch);
}

}  // namespace brellow
