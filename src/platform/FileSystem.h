#pragma once

#include <dirent.h>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace brellow {

// File services for the folder walk. Walks address names inside open folders (descriptors)
// rather than ever longer path texts; a plain path is a name relative to the working folder.

// Stands for the working folder where a folder descriptor is expected.
extern const int kWorkingFolder;

// One name inside an open folder, or a plain path (relative to the working folder). It points
// into the text it was made from, so it is meant for arguments, not for keeping.
struct FileRef {
    FileRef(const std::string& path) : folder(kWorkingFolder), name(path.c_str()) {}
    FileRef(int folderDescriptor, const char* entryName) : folder(folderDescriptor), name(entryName) {}

    int folder;
    const char* name;
};

// An open descriptor, closed with the object.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.Release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    bool Valid() const { return fd_ >= 0; }
    int Get() const { return fd_; }
    int Release();

private:
    int fd_ = -1;
};

// Where a file lives on its file system; equal for two names of one folder.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity& other) const { return device == other.device && inode == other.inode; }
    bool operator<(const FileIdentity& other) const
    {
        return device != other.device ? device < other.device : inode < other.inode;
    }
};

enum class FileKind {
    Missing,  // also when the name cannot be queried
    Folder,
    Regular,
    Special,  // pipe, socket or device: nothing a backup can read as a file
};

// What a walk needs to know of one name. Links are followed.
struct FileStatus {
    FileKind kind = FileKind::Missing;
    int64_t writeTime = 0;  // last-write time, whole seconds since the epoch (UTC)
    unsigned permissions = 0;  // the permission bits, 0777 at most
};

FileStatus QueryFile(FileRef file);

// The name exists and is a folder (links followed).
bool FolderExists(FileRef folder);

// Creates one folder level with the given permission bits (narrowed by the umask); false
// when it could not be made, errno telling why.
bool CreateFolder(FileRef folder, unsigned permissions);

// Takes away from an open folder with the `current` permission bits every bit that
// `allowed` lacks; never adds one.
void NarrowPermissions(int folder, unsigned current, unsigned allowed);

// Creates a file readable and writable by its owner only, unless it exists already.
void CreatePrivateFile(const std::string& path);

// Opens a folder (links followed) for walking; invalid when it cannot be opened.
FileDescriptor OpenFolder(FileRef folder);

// What the walk needs to know of an open file.
struct OpenFileStatus {
    FileIdentity identity;
    unsigned permissions = 0;  // the permission bits, 0777 at most
};

// The status of an open file; false when it cannot be read.
bool StatusOf(int fd, OpenFileStatus& status);

// The folders holding the given open folder, from its parent up to the root "/" included.
std::vector<FileIdentity> EnclosingFolders(int folder);

// Devices of the mounted pseudo file systems (proc, sysfs, devtmpfs, cgroup, ...): kernel
// views, not files a user keeps. Empty when the mount table cannot be read.
std::vector<dev_t> PseudoFileSystemDevices();

// The open folder lies on a pseudo file system (told by the file system's own type).
bool OnPseudoFileSystem(int folder);

// The entries of one open folder in the order the file system yields them, "." and ".."
// included. One listing holds one descriptor, however large the folder.
class FolderListing {
public:
    struct Entry {
        const char* name = nullptr;
        bool isFolder = false;  // links are followed; a name that cannot be queried is no folder
        bool isLink = false;    // the name itself is a symbolic link
    };

    // Takes over the descriptor; a listing of an invalid one is empty.
    explicit FolderListing(FileDescriptor folder);
    ~FolderListing();
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;

    bool Valid() const { return dir_ != nullptr; }
    // Descriptor of the listed folder, for names relative to it.
    int Folder() const;
    // The next entry; false at the end. The name stays valid until the next call.
    bool Next(Entry& entry);

private:
    DIR* dir_ = nullptr;
};

// Writes everything still held in memory for the file system holding the path to its
// device. False when the folder cannot be opened or writing reported an error.
bool FlushFileSystem(const std::string& path);

// Offset of local time from universal time in force now, in seconds east of Greenwich.
long CurrentUtcOffset();

}  // namespace brellow
