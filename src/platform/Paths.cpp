#include "platform/Paths.h"

#include <unistd.h>

#include <stdexcept>
#include <vector>

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

std::string ExecutableFolder()
{
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            throw std::runtime_error("実行ファイルのパスを読み取れません");
        if (static_cast<size_t>(n) < buffer.size()) {
            const std::string path(buffer.data(), static_cast<size_t>(n));
            const std::string::size_type cut = LastSeparator(path);
            if (cut == std::string::npos)
                return path;
            return cut == 0 ? std::string("/") : path.substr(0, cut);
        }
        buffer.resize(buffer.size() * 2);
    }
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
