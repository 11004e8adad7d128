#include "ui/Volumes.h"

#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

#include "platform/CharSteps.h"

namespace brellow {

namespace {

bool HoldsPath(const std::string& root, const std::string& path)
{
    if (path.compare(0, root.size(), root) != 0)
        return false;
    return path.size() == root.size() || EndsWithSeparator(root) || path[root.size()] == kSeparator;
}

}  // namespace

std::vector<std::string> MountedVolumeRoots()
{
    std::vector<std::string> roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // Files mounted over files (container set-ups do that) are no place for folders.
        if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir())
            roots.push_back(volume.rootPath().toStdString());
    }
    std::sort(roots.begin(), roots.end());
    roots.erase(std::unique(roots.begin(), roots.end()), roots.end());
    return roots;
}

std::string DriveOfPath(const std::string& path, const std::vector<std::string>& volumeRoots)
{
    std::string drive;
    for (const std::string& root : volumeRoots) {
        if (!root.empty() && root.size() > drive.size() && HoldsPath(root, path))
            drive = root;
    }
    return drive;
}

}  // namespace brellow
