#include "platform/FileSystem.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
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
    status.permissions = st.st_mode & 0777;
    return status;
}

bool FolderExists(FileRef folder)
{
    return QueryFile(folder).kind == FileKind::Folder;
}

bool CreateFolder(FileRef folder, unsigned permissions)
{
    return ::mkdirat(folder.folder, folder.name, permissions & 0777) == 0;
}

void NarrowPermissions(int folder, unsigned current, unsigned allowed)
{
    if ((current & ~allowed) != 0)
        ::fchmod(folder, current & allowed);
}

void CreatePrivateFile(const std::string& path)
{
    const FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
}

FileDescriptor OpenFolder(FileRef folder)
{
    return FileDescriptor(::openat(folder.folder, folder.name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

bool StatusOf(int fd, OpenFileStatus& status)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return false;
    status.identity = {st.st_dev, st.st_ino};
    status.permissions = st.st_mode & 0777;
    return true;
}

std::vector<FileIdentity> EnclosingFolders(int folder)
{
    std::vector<FileIdentity> enclosing;
    OpenFileStatus previous;
    if (!StatusOf(folder, previous))
        return enclosing;
    FileDescriptor current(::openat(folder, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    OpenFileStatus parent;
    // The root is its own parent.
    while (current.Valid() && StatusOf(current.Get(), parent) && !(parent.identity == previous.identity)) {
        enclosing.push_back(parent.identity);
        previous = parent;
        current = FileDescriptor(::openat(current.Get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }
    return enclosing;
}

namespace {

const char* const kPseudoFileSystemTypes[] = {
    "proc",    "sysfs",  "devtmpfs", "devpts",  "cgroup",    "cgroup2",  "securityfs",  "debugfs", "tracefs",
    "pstore",  "bpf",    "configfs", "fusectl", "mqueue",    "hugetlbfs", "efivarfs",   "binfmt_misc", "autofs",
};

// The same kinds told by the file system's own type, for when the mount table cannot be read.
// devtmpfs answers as tmpfs and is known by the mount table only.
const unsigned long kPseudoFileSystemMagics[] = {
    PROC_SUPER_MAGIC, SYSFS_MAGIC,    DEVPTS_SUPER_MAGIC, CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC,
    SECURITYFS_MAGIC, DEBUGFS_MAGIC,  TRACEFS_MAGIC,      PSTOREFS_MAGIC,     BPF_FS_MAGIC,
    0x62656570,  // configfs
    0x65735543,  // fusectl
    0x19800202,  // mqueue
    HUGETLBFS_MAGIC,  EFIVARFS_MAGIC, BINFMTFS_MAGIC,     AUTOFS_SUPER_MAGIC,
};

}  // namespace

std::vector<dev_t> PseudoFileSystemDevices()
{
    std::vector<dev_t> devices;
    std::FILE* table = std::fopen("/proc/self/mountinfo", "re");
    if (table == nullptr)
        return devices;
    char* line = nullptr;
    size_t capacity = 0;
    // "id parent major:minor root point options [optional fields] - type source options"
    while (::getline(&line, &capacity, table) > 0) {
        unsigned major = 0;
        unsigned minor = 0;
        if (std::sscanf(line, "%*s %*s %u:%u", &major, &minor) != 2)
            continue;
        const char* separator = std::strstr(line, " - ");
        if (separator == nullptr)
            continue;
        char type[64] = {};
        if (std::sscanf(separator + 3, "%63s", type) != 1)
            continue;
        for (const char* pseudo : kPseudoFileSystemTypes) {
            if (std::strcmp(type, pseudo) == 0)
                devices.push_back(makedev(major, minor));
        }
    }
    std::free(line);
    std::fclose(table);
    return devices;
}

bool OnPseudoFileSystem(int folder)
{
    struct statfs fs {};
    if (::fstatfs(folder, &fs) != 0)
        return false;
    for (const unsigned long magic : kPseudoFileSystemMagics) {
        if (static_cast<unsigned long>(fs.f_type) == magic)
            return true;
    }
    return false;
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
    entry.isLink = found->d_type == DT_LNK;
    switch (found->d_type) {
    case DT_DIR:
        entry.isFolder = true;
        break;
    case DT_LNK:
        entry.isFolder = FolderExists(FileRef(::dirfd(dir_), found->d_name));
        break;
    case DT_UNKNOWN: {
        struct stat st {};
        entry.isLink = ::fstatat(::dirfd(dir_), found->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
        entry.isFolder = FolderExists(FileRef(::dirfd(dir_), found->d_name));
        break;
    }
    default:
        entry.isFolder = false;
    }
    return true;
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
