#include "engine/MirrorFolder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "engine/PackedFileTime.h"
#include "platform/CharSteps.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/StopRequest.h"

namespace brellow {

namespace {

constexpr std::string::size_type kNameLimit = 255;
// The owner keeps full access to every folder made, or nothing could be copied into it.
constexpr unsigned kOwnerAccess = 0700;

std::string Joined(const std::string& folder, const char* name)
{
    return !folder.empty() && folder.back() == kSeparator ? folder + name : folder + kSeparator + name;
}

// A folder still to be mirrored: its source and target paths.
struct PendingFolder {
    std::string source;
    std::string target;
};

// Subfolders found in one folder, in listing order: the folder's own, and those reached
// through links.
struct FoundFolders {
    std::vector<PendingFolder> own;
    std::vector<PendingFolder> linked;
};

// Puts found folders on a stack so that the first found is taken next.
void Stack(std::vector<PendingFolder>& stack, std::vector<PendingFolder>& found)
{
    stack.insert(stack.end(), std::make_move_iterator(found.rbegin()), std::make_move_iterator(found.rend()));
}

// One pass over one source tree: a loop over folders, each listed on its own with only its
// source and target open, the subfolders it holds put on stacks of paths. Folders reached
// through links wait until the tree itself is done, so a folder the source holds is mirrored
// where it stands rather than under a link that also leads to it.
class MirrorWalk {
public:
    explicit MirrorWalk(const MirrorFailureSink& onFailure) : onFailure_(onFailure) {}

    MirrorReport Run(const std::string& source, const std::string& target, bool namedTarget);

private:
    void Fail(const std::string& path, int error);
    // The source folder may be entered: not met before, not holding the source, not written
    // to by this pass, no pseudo file system. Marks it entered and gives its permission bits.
    bool Enter(int sourceFolder, unsigned& permissions);
    // The target folder, made or narrowed after the source's permission bits; invalid
    // (and counted) when it cannot be made or opened.
    FileDescriptor PrepareTarget(const std::string& target, unsigned sourcePermissions, bool narrow);
    // Copies the files of one folder and answers the subfolders still to be mirrored.
    FoundFolders MirrorFiles(const PendingFolder& folder, FileDescriptor sourceFolder,
                             const FileDescriptor& targetFolder);

    const MirrorFailureSink& onFailure_;
    MirrorReport report_;
    std::set<FileIdentity> entered_;
    std::set<FileIdentity> excluded_;
    std::vector<dev_t> pseudoDevices_ = PseudoFileSystemDevices();
};

void MirrorWalk::Fail(const std::string& path, int error)
{
    ++report_.failures;
    if (onFailure_)
        onFailure_(path, error);
}

bool MirrorWalk::Enter(int sourceFolder, unsigned& permissions)
{
    OpenFileStatus status;
    if (!StatusOf(sourceFolder, status) || entered_.count(status.identity) != 0 ||
        excluded_.count(status.identity) != 0)
        return false;
    if (std::find(pseudoDevices_.begin(), pseudoDevices_.end(), status.identity.device) != pseudoDevices_.end() ||
        OnPseudoFileSystem(sourceFolder))
        return false;
    entered_.insert(status.identity);
    permissions = status.permissions;
    return true;
}

FileDescriptor MirrorWalk::PrepareTarget(const std::string& target, unsigned sourcePermissions, bool narrow)
{
    const unsigned allowed = sourcePermissions | kOwnerAccess;
    FileDescriptor folder = OpenFolder(target);
    if (!folder.Valid() && errno == ENOENT) {
        if (!CreateFolder(target, allowed) && errno != EEXIST) {
            Fail(target, errno);
            return folder;
        }
        folder = OpenFolder(target);
    }
    if (!folder.Valid()) {
        Fail(target, errno);
        return folder;
    }
    OpenFileStatus status;
    if (StatusOf(folder.Get(), status)) {
        excluded_.insert(status.identity);
        if (narrow)
            NarrowPermissions(folder.Get(), status.permissions, allowed);
    }
    return folder;
}

FoundFolders MirrorWalk::MirrorFiles(const PendingFolder& folder, FileDescriptor sourceFolder,
                                      const FileDescriptor& targetFolder)
{
    FoundFolders subfolders;
    RemoveLeftoverCopies(targetFolder.Get());
    FolderListing listing(std::move(sourceFolder));
    FolderListing::Entry entry;
    while (listing.Next(entry)) {
        if (StopRequested()) {
            report_.stopped = true;
            break;
        }
        if (std::strcmp(entry.name, ".") == 0 || std::strcmp(entry.name, "..") == 0 || IsLeftoverCopyName(entry.name))
            continue;
        if (entry.isFolder) {
            (entry.isLink ? subfolders.linked : subfolders.own)
                .push_back({Joined(folder.source, entry.name), Joined(folder.target, entry.name)});
            continue;
        }
        if (!IsSourceNewer(FileRef(listing.Folder(), entry.name), FileRef(targetFolder.Get(), entry.name)))
            continue;
        const int error = CopyFileReplacing(FileRef(listing.Folder(), entry.name), targetFolder.Get(), entry.name);
        if (error == ECANCELED && StopRequested())
            report_.stopped = true;
        else if (error != 0)
            Fail(Joined(folder.source, entry.name), error);
    }
    return subfolders;
}

MirrorReport MirrorWalk::Run(const std::string& source, const std::string& target, bool namedTarget)
{
    FileDescriptor sourceFolder = OpenFolder(source);
    const int openError = errno;
    const FileStatus sourceStatus = QueryFile(source);
    // Made before the listing, so a source with no entries still gets its empty counterpart.
    const FileDescriptor targetFolder = PrepareTarget(target, sourceStatus.permissions, namedTarget);
    report_.targetReady = targetFolder.Valid();
    if (!report_.targetReady)
        return report_;
    if (!sourceFolder.Valid()) {
        Fail(source, openError);
        return report_;
    }
    for (const FileIdentity& enclosing : EnclosingFolders(sourceFolder.Get()))
        excluded_.insert(enclosing);
    unsigned permissions = 0;
    if (!Enter(sourceFolder.Get(), permissions))
        return report_;

    std::vector<PendingFolder> pending;
    std::vector<PendingFolder> linked;
    FoundFolders found = MirrorFiles({source, target}, std::move(sourceFolder), targetFolder);
    Stack(pending, found.own);
    Stack(linked, found.linked);
    while (!report_.stopped && (!pending.empty() || !linked.empty())) {
        std::vector<PendingFolder>& from = pending.empty() ? linked : pending;
        const PendingFolder folder = std::move(from.back());
        from.pop_back();
        FileDescriptor subSource = OpenFolder(folder.source);
        if (!subSource.Valid()) {
            Fail(folder.source, errno);
            continue;
        }
        unsigned permissions = 0;
        if (!Enter(subSource.Get(), permissions))
            continue;
        const FileDescriptor subTarget = PrepareTarget(folder.target, permissions, true);
        if (!subTarget.Valid())
            continue;
        found = MirrorFiles(folder, std::move(subSource), subTarget);
        Stack(pending, found.own);
        Stack(linked, found.linked);
    }
    return report_;
}

}  // namespace

std::string MirrorTarget(const std::string& source, const std::string& destination)
{
    const std::string::size_type separator = LastSeparator(source);
    const std::string name = separator == std::string::npos ? source : source.substr(separator + 1);
    return destination + kSeparator + name.substr(0, kNameLimit);
}

MirrorReport MirrorFolder(const std::string& source, const std::string& destination,
                          const MirrorFailureSink& onFailure)
{
    const std::string target = MirrorTarget(source, destination);
    const std::string listed = EndsWithSeparator(source) ? source : source + kSeparator;
    // A root source is mirrored into the destination itself, which is the user's to keep as it is.
    const bool namedTarget = target.back() != kSeparator;
    return MirrorWalk(onFailure).Run(listed, target, namedTarget);
}

}  // namespace brellow
