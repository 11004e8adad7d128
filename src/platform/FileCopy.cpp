#include "platform/FileCopy.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/StopRequest.h"

namespace brellow {

namespace {

// Small enough that a stop request is seen soon during a large file.
constexpr size_t kKernelCopyChunk = size_t(64) << 20;
constexpr size_t kBufferedCopyChunk = size_t(128) << 10;

const char kLeftoverPrefix[] = ".brellow-copy-";
const char kLeftoverSuffix[] = ".part";

std::atomic<bool> forceTemporaryFiles{false};

int WriteAll(int to, const char* data, size_t size)
{
    while (size > 0) {
        if (StopRequested())
            return ECANCELED;
        const ssize_t written = ::write(to, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return 0;
}

// Copies from the current position of `from` to its end. The kernel copies where the two
// file systems allow it; otherwise the bytes pass through a buffer.
int CopyContent(int from, int to, off_t sourceSize)
{
    bool copiedAny = false;
    for (;;) {
        if (StopRequested())
            return ECANCELED;
        const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, kKernelCopyChunk, 0);
        if (copied > 0) {
            copiedAny = true;
            continue;
        }
        // Some file systems answer 0 at once for files with content (generated files).
        if (copied == 0 && (copiedAny || sourceSize == 0))
            return 0;
        if (copied < 0 && errno == EINTR)
            continue;
        if (copied < 0 && errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return errno;
        break;
    }
    std::vector<char> buffer(kBufferedCopyChunk);
    for (;;) {
        if (StopRequested())
            return ECANCELED;
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got == 0)
            return 0;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (const int error = WriteAll(to, buffer.data(), static_cast<size_t>(got)))
            return error;
    }
}

// Content, then permission bits and last-write time. A file system that keeps no modes or
// cannot set times still gets the content.
int FillCopy(int from, const struct stat& source, int to)
{
    if (const int error = CopyContent(from, to, source.st_size))
        return error;
    ::fchmod(to, source.st_mode & 0777);
    const struct timespec times[2] = {{0, UTIME_OMIT}, source.st_mtim};
    ::futimens(to, times);
    return 0;
}

// A name no other copy uses, for the moment between writing and renaming. It carries the
// process id, so a later walk can tell a leftover of a dead process from a live copy.
std::string TemporaryName()
{
    static std::atomic<unsigned long> counter{0};
    return kLeftoverPrefix + std::to_string(::getpid()) + "-" + std::to_string(++counter) + kLeftoverSuffix;
}

bool IsUnsupported(int error)
{
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL || error == ENOENT || error == EPERM ||
           error == ENOSYS;
}

// Gives a nameless file a name. Linking by descriptor needs a privilege on older kernels;
// without it the link goes through /proc. On failure errno tells why.
bool LinkNameless(int file, int folder, const char* name)
{
    if (::linkat(file, "", folder, name, AT_EMPTY_PATH) == 0)
        return true;
    if (errno != ENOENT && errno != EPERM)
        return false;
    const std::string self = "/proc/self/fd/" + std::to_string(file);
    return ::linkat(AT_FDCWD, self.c_str(), folder, name, AT_SYMLINK_FOLLOW) == 0;
}

// The outcome of the nameless road: 0 done, an error number, or kUnsupported.
constexpr int kUnsupported = -1;

int Outcome(int error)
{
    return IsUnsupported(error) ? kUnsupported : error;
}

// The copy is written to a file without a name, so nothing is left behind whatever happens
// to the process before the finished copy is given its name. Needs O_TMPFILE and hard links.
int CopyThroughNamelessFile(int from, const struct stat& source, int targetFolder, const char* targetName)
{
    const FileDescriptor to(::openat(targetFolder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (!to.Valid())
        return Outcome(errno);
    if (const int error = FillCopy(from, source, to.Get()))
        return error;
    // Where no file stands yet, the finished copy gets its name directly.
    if (LinkNameless(to.Get(), targetFolder, targetName))
        return 0;
    if (errno != EEXIST)
        return Outcome(errno);
    std::string part;
    for (;;) {
        part = TemporaryName();
        if (LinkNameless(to.Get(), targetFolder, part.c_str()))
            break;
        if (errno != EEXIST)
            return Outcome(errno);
    }
    if (::renameat(targetFolder, part.c_str(), targetFolder, targetName) == 0)
        return 0;
    const int error = errno;
    ::unlinkat(targetFolder, part.c_str(), 0);
    return error;
}

// For file systems without nameless files: a named temporary file, removed on failure.
int CopyThroughTemporaryFile(int from, const struct stat& source, int targetFolder, const char* targetName)
{
    std::string part;
    FileDescriptor to;
    while (!to.Valid()) {
        part = TemporaryName();
        to = FileDescriptor(::openat(targetFolder, part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!to.Valid() && errno != EEXIST)
            return errno;
    }
    int error = FillCopy(from, source, to.Get());
    if (error == 0 && ::renameat(targetFolder, part.c_str(), targetFolder, targetName) == 0)
        return 0;
    if (error == 0)
        error = errno;
    ::unlinkat(targetFolder, part.c_str(), 0);
    return error;
}

// The process id a temporary name carries; 0 when the name is none of ours.
pid_t LeftoverOwner(const char* name)
{
    const size_t prefix = sizeof kLeftoverPrefix - 1;
    const size_t suffix = sizeof kLeftoverSuffix - 1;
    const size_t length = std::strlen(name);
    if (length <= prefix + suffix || std::strncmp(name, kLeftoverPrefix, prefix) != 0 ||
        std::strcmp(name + length - suffix, kLeftoverSuffix) != 0)
        return 0;
    const char* digits = name + prefix;
    char* end = nullptr;
    const long owner = std::strtol(digits, &end, 10);
    if (end == digits || *end != '-' || owner <= 0)
        return 0;
    const char* counter = end + 1;
    std::strtoul(counter, &end, 10);
    if (end == counter || end != name + length - suffix)
        return 0;
    return static_cast<pid_t>(owner);
}

}  // namespace

int CopyFileReplacing(FileRef source, int targetFolder, const char* targetName)
{
    // Not blocking: a pipe that slipped in as the source must not hold the walk.
    const FileDescriptor from(::openat(source.folder, source.name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!from.Valid())
        return errno;
    struct stat st {};
    if (::fstat(from.Get(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    if (!forceTemporaryFiles) {
        const int outcome = CopyThroughNamelessFile(from.Get(), st, targetFolder, targetName);
        if (outcome != kUnsupported)
            return outcome;
        if (::lseek(from.Get(), 0, SEEK_SET) != 0)
            return errno;
    }
    return CopyThroughTemporaryFile(from.Get(), st, targetFolder, targetName);
}

bool IsLeftoverCopyName(const char* name)
{
    return LeftoverOwner(name) != 0;
}

void RemoveLeftoverCopies(int folder)
{
    FolderListing listing(FileDescriptor(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
    FolderListing::Entry entry;
    while (listing.Next(entry)) {
        const pid_t owner = LeftoverOwner(entry.name);
        if (owner == 0 || entry.isFolder)
            continue;
        // A copy under way in a running process is not a leftover.
        if (owner == ::getpid() || ::kill(owner, 0) == 0 || errno == EPERM)
            continue;
        ::unlinkat(folder, entry.name, 0);
    }
}

void ForceTemporaryFileCopiesForTesting(bool force)
{
    forceTemporaryFiles = force;
}

}  // namespace brellow
