#pragma once

#include <cstddef>
#include <string>

#include "platform/Clock.h"
#include "store/Store.h"

namespace brellow {

// "qzbackup.log" beside the store, wherever the store lies.
std::string FailureLogPath();

// The plain-text log of what runs could not copy or create, one line per entry: the local
// time, the pair, the path and the reason in words. Made readable by its owner only; it
// keeps only about its last `limit` bytes.
class FailureLog {
public:
    static constexpr std::size_t kDefaultLimit = std::size_t(1) << 20;

    explicit FailureLog(std::string path, std::size_t limit = kDefaultLimit);

    // Appends one line; a log that cannot be written is passed over (the count still tells).
    void Write(const LocalDateTime& when, const FolderPair& pair, const std::string& path, int error);

private:
    // Cuts the log down to about half its limit, at a line start.
    void Trim();

    std::string path_;
    std::size_t limit_;
};

}  // namespace brellow
