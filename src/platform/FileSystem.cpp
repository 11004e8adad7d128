#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace brellow {

const int kWorkingFolder = AT_FDCWD;

FileDescriptor::~FileDescriptor()
{
    if (fd_ >= 0)
        ::close(fd_);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = other.Release();
    }
    return *this;
}

int FileDescriptor::Release()
{
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

FileStatus QueryFile(FileRef file)
{
    FileStatus status;
    struct stat st {};
    if (::fstatat(file.folder, file.name, &st, 0) != 0)
        return status;
    if (S_ISDIR(st.st_mode))
        status.kind = FileKind::Folder;
    else if (S_ISREG(st.st_mode))
        status.kind = FileKind::Regular;
    else
        status.kind = FileKind::Special;
    status.writeTime = st.st_mtim.tv_sec;
    return status;
}

bool FolderExists(FileRef folder)
{
    return QueryFile(folder).kind == FileKind::Folder;
}

bool CreateFolder(FileRef folder)
{
    return ::mkdirat(folder.folder, folder.name, 0777) == 0;
}

FileDescriptor OpenFolder(FileRef folder)
{
    return FileDescriptor(::openat(folder.folder, folder.name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

bool IdentityOf(int fd, FileIdentity& identity)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return false;
    identity = {st.st_dev, st.st_ino};
    return true;
}

FolderListing::FolderListing(FileDescriptor folder)
{
    if (!folder.Valid())
        return;
    dir_ = ::fdopendir(folder.Get());
    if (dir_ != nullptr)
        folder.Release();
}

FolderListing::~FolderListing()
{
    if (dir_ != nullptr)
        ::closedir(dir_);
}

int FolderListing::Folder() const
{
    return dir_ != nullptr ? ::dirfd(dir_) : -1;
}

bool FolderListing::Next(Entry& entry)
{
    if (dir_ == nullptr)
        return false;
    const struct dirent* found = ::readdir(dir_);
    if (found == nullptr)
        return false;
    entry.name = found->d_name;
    switch (found->d_type) {
    case DT_DIR:
        entry.isFolder = true;
        break;
    case DT_LNK:
    case DT_UNKNOWN:
        entry.isFolder = FolderExists(FileRef(::dirfd(dir_), found->d_name));
        break;
    default:
        entry.isFolder = false;
    }
    return true;
}

namespace {

constexpr size_t kKernelCopyChunk = size_t(1) << 30;
constexpr size_t kBufferedCopyChunk = size_t(128) << 10;

bool WriteAll(int to, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(to, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// Copies from the current position of `from` to its end. The kernel copies where the two
// file systems allow it; otherwise the bytes pass through a buffer.
bool CopyContent(int from, int to, off_t sourceSize)
{
    bool copiedAny = false;
    for (;;) {
        const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, kKernelCopyChunk, 0);
        if (copied > 0) {
            copiedAny = true;
            continue;
        }
        // Some file systems answer 0 at once for files with content (generated files).
        if (copied == 0 && (copiedAny || sourceSize == 0))
            return true;
        if (copied < 0 && errno == EINTR)
            continue;
        if (copied < 0 && errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return false;
        break;
    }
    std::vector<char> buffer(kBufferedCopyChunk);
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (!WriteAll(to, buffer.data(), static_cast<size_t>(got)))
            return false;
    }
}

// Content, then permission bits and last-write time. A file system that keeps no modes or
// cannot set times still gets the content.
bool FillCopy(int from, const struct stat& source, int to)
{
    if (!CopyContent(from, to, source.st_size))
        return false;
    ::fchmod(to, source.st_mode & 0777);
    const struct timespec times[2] = {{0, UTIME_OMIT}, source.st_mtim};
    ::futimens(to, times);
    return true;
}

// A name no other copy of this process uses, for the moment between writing and renaming.
std::string PartName()
{
    static std::atomic<unsigned long> counter{0};
    return ".brellow-" + std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".part";
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

enum class CopyOutcome { Done, Failed, Unsupported };

// The copy is written to a file without a name, so nothing is left behind whatever happens
// to the process before the finished copy is given its name. Needs O_TMPFILE and hard links.
CopyOutcome CopyThroughNamelessFile(int from, const struct stat& source, int targetFolder, const char* targetName)
{
    const FileDescriptor to(::openat(targetFolder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (!to.Valid())
        return IsUnsupported(errno) ? CopyOutcome::Unsupported : CopyOutcome::Failed;
    if (!FillCopy(from, source, to.Get()))
        return CopyOutcome::Failed;
    // Where no file stands yet, the finished copy gets its name directly.
    if (LinkNameless(to.Get(), targetFolder, targetName))
        return CopyOutcome::Done;
    if (errno != EEXIST)
        return IsUnsupported(errno) ? CopyOutcome::Unsupported : CopyOutcome::Failed;
    std::string part;
    for (;;) {
        part = PartName();
        if (LinkNameless(to.Get(), targetFolder, part.c_str()))
            break;
        if (errno != EEXIST)
            return IsUnsupported(errno) ? CopyOutcome::Unsupported : CopyOutcome::Failed;
    }
    if (::renameat(targetFolder, part.c_str(), targetFolder, targetName) == 0)
        return CopyOutcome::Done;
    ::unlinkat(targetFolder, part.c_str(), 0);
    return CopyOutcome::Failed;
}

// For file systems without nameless files: a named part file, removed on failure.
bool CopyThroughPartFile(int from, const struct stat& source, int targetFolder, const char* targetName)
{
    std::string part;
    FileDescriptor to;
    while (!to.Valid()) {
        part = PartName();
        to = FileDescriptor(::openat(targetFolder, part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!to.Valid() && errno != EEXIST)
            return false;
    }
    const bool filled = FillCopy(from, source, to.Get());
    if (filled && ::renameat(targetFolder, part.c_str(), targetFolder, targetName) == 0)
        return true;
    ::unlinkat(targetFolder, part.c_str(), 0);
    return false;
}

}  // namespace

bool CopyFileReplacing(FileRef source, int targetFolder, const char* targetName)
{
    // Not blocking: a pipe that slipped in as the source must not hold the walk.
    const FileDescriptor from(::openat(source.folder, source.name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st {};
    if (!from.Valid() || ::fstat(from.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    switch (CopyThroughNamelessFile(from.Get(), st, targetFolder, targetName)) {
    case CopyOutcome::Done:
        return true;
    case CopyOutcome::Failed:
        return false;
    case CopyOutcome::Unsupported:
        break;
    }
    return ::lseek(from.Get(), 0, SEEK_SET) == 0 && CopyThroughPartFile(from.Get(), st, targetFolder, targetName);
}

bool FlushFileSystem(const std::string& path)
{
    const FileDescriptor folder = OpenFolder(path);
    return folder.Valid() && ::syncfs(folder.Get()) == 0;
}

long CurrentUtcOffset()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local.tm_gmtoff;
}

}  // namespace brellow
