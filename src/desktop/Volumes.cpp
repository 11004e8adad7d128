#include "desktop/Volumes.h"

#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

namespace brellow {

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

}  // namespace brellow
