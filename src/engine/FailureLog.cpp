#include "engine/FailureLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "platform/FileSystem.h"
#include "store/StoreLocation.h"

namespace brellow {

namespace {

const char* const kLogName = "qzbackup.log";

std::string LogTime(const LocalDateTime& when)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", when.year, when.month, when.day, when.hour,
                  when.minute, when.second);
    return text;
}

std::string Reason(int error)
{
    char buffer[256];
    return ::strerror_r(error, buffer, sizeof buffer);
}

bool WriteWhole(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0)
            return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

std::string FailureLogPath()
{
    return BesideStore(StorePath(), kLogName);
}

FailureLog::FailureLog(std::string path, std::size_t limit) : path_(std::move(path)), limit_(limit) {}

void FailureLog::Write(const LocalDateTime& when, const FolderPair& pair, const std::string& path, int error)
{
    const std::string line = LogTime(when) + "\t" + pair.target_folder + " -> " + pair.bkup_folder + "\t" + path +
                             "\t" + Reason(error) + "\n";
    const FileDescriptor log(::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600));
    struct stat st {};
    if (!log.Valid() || !WriteWhole(log.Get(), line) || ::fstat(log.Get(), &st) != 0)
        return;
    if (static_cast<std::size_t>(st.st_size) > limit_)
        Trim();
}

void FailureLog::Trim()
{
    std::FILE* log = std::fopen(path_.c_str(), "re");
    if (log == nullptr)
        return;
    std::string kept(limit_ / 2, '\0');
    std::fseek(log, -static_cast<long>(kept.size()), SEEK_END);
    kept.resize(std::fread(kept.data(), 1, kept.size(), log));
    std::fclose(log);
    // The first line of the tail is most likely cut.
    const std::string::size_type lineStart = kept.find('\n');
    kept.erase(0, lineStart == std::string::npos ? 0 : lineStart + 1);

    const std::string fresh = path_ + ".new";
    const FileDescriptor out(::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (out.Valid() && WriteWhole(out.Get(), kept) && ::rename(fresh.c_str(), path_.c_str()) == 0)
        return;
    ::unlink(fresh.c_str());
}

}  // namespace brellow
