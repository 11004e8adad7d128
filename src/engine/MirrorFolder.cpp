#include "engine/MirrorFolder.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "engine/PackedFileTime.h"
#include "platform/BlockDevice.h"
#include "platform/CharSteps.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/StopRequest.h"

namespace brellow {

namespace {

constexpr std::string::size_type kNameLimit = 255;
// More workers than this gain nothing on a desktop's disks and only add memory.
constexpr unsigned kMostWorkers = 8;
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

// One pass over one source tree. Folders are the units of work: each is listed on its own
// with only its source and target open, its files copied, and the subfolders it holds put
// on stacks of paths that a few workers take from, so the open descriptors stay few
// whatever the depth or the breadth. Folders reached through links wait until the tree
// itself is done, so a folder the source holds is mirrored where it stands rather than under
// a link that also leads to it; of those, the one with the first path goes first, so which
// link a folder is mirrored under does not depend on how the workers met.
class MirrorWalk {
public:
    MirrorWalk(const MirrorFailureSink& onFailure, unsigned workers) : onFailure_(onFailure), workers_(workers) {}

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
    void MirrorSubfolder(const PendingFolder& folder);
    void Stop();

    // The stacks, shared by the workers.
    void Work();
    // Waits for a folder to mirror; false once there is none left or the pass stopped.
    bool Take(PendingFolder& folder);
    // Hands in what one folder held and wakes whoever waits for work.
    void Done(FoundFolders& found);

    const MirrorFailureSink& onFailure_;
    const unsigned workers_;
    std::mutex mutex_;  // guards everything below
    std::condition_variable changed_;
    MirrorReport report_;
    std::set<FileIdentity> entered_;
    std::set<FileIdentity> excluded_;
    std::vector<PendingFolder> pending_;
    std::vector<PendingFolder> linked_;
    unsigned busy_ = 0;
    const std::vector<dev_t> pseudoDevices_ = PseudoFileSystemDevices();
};

void MirrorWalk::Fail(const std::string& path, int error)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    ++report_.failures;
    if (onFailure_)
        onFailure_(path, error);
}

void MirrorWalk::Stop()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    report_.stopped = true;
    changed_.notify_all();
}

bool MirrorWalk::Enter(int sourceFolder, unsigned& permissions)
{
    OpenFileStatus status;
    if (!StatusOf(sourceFolder, status))
        return false;
    if (std::find(pseudoDevices_.begin(), pseudoDevices_.end(), status.identity.device) != pseudoDevices_.end() ||
        OnPseudoFileSystem(sourceFolder))
        return false;
    const std::lock_guard<std::mutex> lock(mutex_);
    if (excluded_.count(status.identity) != 0 || !entered_.insert(status.identity).second)
        return false;
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
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            excluded_.insert(status.identity);
        }
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
            Stop();
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
            Stop();
        else if (error != 0)
            Fail(Joined(folder.source, entry.name), error);
    }
    return subfolders;
}

void MirrorWalk::MirrorSubfolder(const PendingFolder& folder)
{
    FoundFolders found;
    FileDescriptor source = OpenFolder(folder.source);
    unsigned permissions = 0;
    if (!source.Valid()) {
        Fail(folder.source, errno);
    } else if (Enter(source.Get(), permissions)) {
        const FileDescriptor target = PrepareTarget(folder.target, permissions, true);
        if (target.Valid())
            found = MirrorFiles(folder, std::move(source), target);
    }
    Done(found);
}

bool MirrorWalk::Take(PendingFolder& folder)
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (report_.stopped)
            return false;
        if (!pending_.empty()) {
            folder = std::move(pending_.back());
            pending_.pop_back();
            ++busy_;
            return true;
        }
        // A folder that is still being listed may add to the tree: links wait for it.
        if (busy_ == 0 && !linked_.empty()) {
            const auto first = std::min_element(linked_.begin(), linked_.end(),
                                                [](const PendingFolder& a, const PendingFolder& b) {
                                                    return a.source < b.source;
                                                });
            folder = std::move(*first);
            linked_.erase(first);
            ++busy_;
            return true;
        }
        if (busy_ == 0)
            return false;
        changed_.wait(lock);
    }
}

void MirrorWalk::Done(FoundFolders& found)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    --busy_;
    Stack(pending_, found.own);
    linked_.insert(linked_.end(), std::make_move_iterator(found.linked.begin()),
                   std::make_move_iterator(found.linked.end()));
    changed_.notify_all();
}

void MirrorWalk::Work()
{
    PendingFolder folder;
    while (Take(folder))
        MirrorSubfolder(folder);
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

    ++busy_;
    FoundFolders found = MirrorFiles({source, target}, std::move(sourceFolder), targetFolder);
    Done(found);

    // The calling thread is one of the workers; a worker that fails to start is not missed.
    std::vector<std::thread> helpers;
    std::exception_ptr failure;
    std::mutex failureMutex;
    const auto work = [&] {
        try {
            Work();
        } catch (...) {
            const std::lock_guard<std::mutex> lock(failureMutex);
            failure = std::current_exception();
            Stop();
        }
    };
    try {
        for (unsigned worker = 1; worker < workers_; ++worker)
            helpers.emplace_back(work);
    } catch (const std::system_error&) {
        // Fewer threads than wished for: those that started do all the work.
    }
    work();
    for (std::thread& helper : helpers)
        helper.join();
    if (failure)
        std::rethrow_exception(failure);
    return report_;
}

}  // namespace

std::string MirrorTarget(const std::string& source, const std::string& destination)
{
    const std::string::size_type separator = LastSeparator(source);
    const std::string name = separator == std::string::npos ? source : source.substr(separator + 1);
    return destination + kSeparator + name.substr(0, kNameLimit);
}

unsigned MirrorWorkers(const std::string& source, const std::string& destination)
{
    // Parallel seeks make a spinning disk slower.
    if (OnRotationalDisk(source) || OnRotationalDisk(destination))
        return 1;
    return std::clamp(std::thread::hardware_concurrency(), 1u, kMostWorkers);
}

MirrorReport MirrorFolder(const std::string& source, const std::string& destination,
                          const MirrorFailureSink& onFailure, unsigned workers)
{
    const std::string target = MirrorTarget(source, destination);
    const std::string listed = EndsWithSeparator(source) ? source : source + kSeparator;
    // A root source is mirrored into the destination itself, which is the user's to keep as it is.
    const bool namedTarget = target.back() != kSeparator;
    return MirrorWalk(onFailure, workers != 0 ? workers : MirrorWorkers(source, destination))
        .Run(listed, target, namedTarget);
}

}  // namespace brellow
