// Mirror benchmark: MirrorFolder against rsync and cp on one generated tree, in one run.
//
//   mirror_bench [--work FOLDER] [--rounds N] [--workers N]
//
// Builds 20,000 files in 200 folders (0 to 20 KB) plus three files of 50 MB under a fresh
// folder inside FOLDER (default: the system's temporary folder), then for every tool times
// the first copy into an empty destination and a second pass with nothing to copy, and
// reads each tool's peak memory. Every tool runs as a child process measured the same way;
// MirrorFolder runs in this program started again as
//
//   mirror_bench --mirror WORKERS SOURCE DESTINATION
//
// with the number of workers the engine chooses for the work folder's disk (one on a
// spinning disk), or the number given with --workers; it also runs with one worker, so the
// gain of the workers shows in the same run.
//
// It prints the median and the best time of the rounds; the ratios say how many times longer
// a peer took than MirrorFolder (above 1: MirrorFolder is faster). Every copy is kept until
// the end (about 1.2 GB per round) and all is removed then.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/MirrorFolder.h"
#include "platform/BlockDevice.h"
#include "platform/Paths.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int kFolders = 200;
constexpr int kFilesPerFolder = 100;
constexpr int kMaxSmallFile = 20 * 1024;
constexpr int kBigFiles = 3;
constexpr std::int64_t kBigFileSize = 50LL * 1024 * 1024;
// All files carry one fixed time in the past, so "newer" means the same to every tool.
constexpr time_t kFileTime = 1600000000;

struct Measure {
    double seconds = 0;
    long peakKilobytes = 0;
};

// A small deterministic generator, so every run builds the same tree.
class Generator {
public:
    std::uint32_t Next()
    {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(state_ >> 33);
    }

private:
    std::uint64_t state_ = 42;
};

void WriteGeneratedFile(const std::string& path, std::int64_t size, Generator& generator)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path);
    std::vector<std::uint32_t> block(16384);
    std::int64_t left = size;
    while (left > 0) {
        for (std::uint32_t& word : block)
            word = generator.Next();
        const std::size_t bytes = static_cast<std::size_t>(std::min<std::int64_t>(left, block.size() * 4));
        if (::write(fd, block.data(), bytes) != static_cast<ssize_t>(bytes))
            throw std::runtime_error("cannot write " + path);
        left -= static_cast<std::int64_t>(bytes);
    }
    const struct timespec times[2] = {{kFileTime, 0}, {kFileTime, 0}};
    ::futimens(fd, times);
    ::close(fd);
}

void BuildTree(const std::string& root)
{
    Generator generator;
    fs::create_directories(root);
    for (int big = 0; big < kBigFiles; ++big)
        WriteGeneratedFile(root + "/big" + std::to_string(big) + ".bin", kBigFileSize, generator);
    char name[32];
    for (int folder = 0; folder < kFolders; ++folder) {
        std::snprintf(name, sizeof name, "/d%03d", folder);
        const std::string path = root + name;
        fs::create_directory(path);
        for (int file = 0; file < kFilesPerFolder; ++file) {
            std::snprintf(name, sizeof name, "/f%03d.dat", file);
            WriteGeneratedFile(path + name, generator.Next() % (kMaxSmallFile + 1), generator);
        }
    }
}

// Runs a command as a child and measures its wall time and peak resident memory.
Measure RunMeasured(const std::vector<std::string>& command)
{
    std::vector<char*> arguments;
    for (const std::string& argument : command)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (::posix_spawnp(&pid, arguments[0], nullptr, nullptr, arguments.data(), environ) != 0)
        throw std::runtime_error("cannot start " + command[0]);
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(command[0] + " failed");
    return {std::chrono::duration<double>(end - start).count(), usage.ru_maxrss};
}

std::size_t CountFiles(const std::string& root)
{
    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        files += entry.is_regular_file();
    return files;
}

struct Tool {
    std::string name;
    std::vector<std::string> command;  // the destination folder is appended
    std::vector<Measure> first;
    std::vector<Measure> again;
};

// The median and the best of the rounds' times. On a machine shared with other work the best
// shows what the code costs; the median shows what a user meets.
struct Summary {
    double median;
    double best;
};

Summary Summarize(const std::vector<Measure>& measures)
{
    std::vector<double> seconds;
    for (const Measure& measure : measures)
        seconds.push_back(measure.seconds);
    std::sort(seconds.begin(), seconds.end());
    return {seconds[seconds.size() / 2], seconds.front()};
}

long Peak(const std::vector<Measure>& measures)
{
    long peak = 0;
    for (const Measure& measure : measures)
        peak = std::max(peak, measure.peakKilobytes);
    return peak;
}

// The benchmark's own folder, removed with everything in it however the run ends.
class WorkFolder {
public:
    explicit WorkFolder(const std::string& parent) : path_(parent + "/mirror-bench-XXXXXX")
    {
        if (::mkdtemp(path_.data()) == nullptr)
            throw std::runtime_error("cannot create a folder in " + parent);
    }
    ~WorkFolder()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

int Benchmark(const std::string& workParent, int rounds, unsigned workers)
{
    const WorkFolder workFolder(workParent);
    const std::string& work = workFolder.Path();
    const std::string tree = work + "/source/tree";
    std::printf("building %d files in %d folders and %d files of 50 MB in %s\n", kFolders * kFilesPerFolder, kFolders,
                kBigFiles, work.c_str());
    BuildTree(tree);
    ::sync();

    const std::string self = brellow::ExecutableFolder() + "/mirror_bench";
    if (workers == 0)
        workers = brellow::MirrorWorkers(tree, work);
    const std::string chosen = std::to_string(workers);
    std::printf("MirrorFolder runs with %u worker(s)%s\n", workers,
                brellow::OnRotationalDisk(work) ? " (the work folder lies on a spinning disk)" : "");
    std::vector<Tool> tools = {
        {"MirrorFolder", {self, "--mirror", chosen, tree}, {}, {}},
        {"MirrorFolder, one worker", {self, "--mirror", "1", tree}, {}, {}},
        {"rsync -rt --update", {"rsync", "-rt", "--update", tree}, {}, {}},
        {"cp -ru --preserve=timestamps", {"cp", "-ru", "--preserve=timestamps", tree}, {}, {}},
    };
    for (int round = 0; round < rounds; ++round) {
        // Each round starts with another tool, so none always meets the warmest caches.
        for (std::size_t turn = 0; turn < tools.size(); ++turn) {
            Tool& tool = tools[(turn + static_cast<std::size_t>(round)) % tools.size()];
            // A fresh folder each time, all removed only at the end: right after a mass delete
            // the file system skips the freed inodes, which would slow whichever tool came next.
            const std::string destination = work + "/destination-" + std::to_string(round) + "-" + std::to_string(turn);
            fs::create_directory(destination);
            ::sync();
            std::vector<std::string> command = tool.command;
            command.push_back(destination + "/");
            tool.first.push_back(RunMeasured(command));
            ::sync();
            tool.again.push_back(RunMeasured(command));
            std::printf("round %d  %-30s first %8.3f s  again %8.3f s\n", round + 1, tool.name.c_str(),
                        tool.first.back().seconds, tool.again.back().seconds);
            std::fflush(stdout);
            const std::size_t copied = CountFiles(destination + "/tree");
            if (copied != static_cast<std::size_t>(kFolders * kFilesPerFolder + kBigFiles))
                throw std::runtime_error(tool.name + " copied " + std::to_string(copied) + " files");
        }
    }
    // Memory against the tree's size: one folder of the tree alone.
    const std::string small = work + "/small";
    fs::create_directory(small);
    const Measure oneFolder = RunMeasured({self, "--mirror", chosen, tree + "/d000", small});

    const Tool& mirror = tools[0];
    const Summary mirrorFirst = Summarize(mirror.first);
    const Summary mirrorAgain = Summarize(mirror.again);
    std::printf("\nseconds over %d round(s), median / best; ratio: the peer's time over MirrorFolder's\n", rounds);
    std::printf("%-30s %17s %17s %9s %13s %13s\n", "tool", "first copy", "nothing to copy", "peak KB",
                "first ratio", "again ratio");
    for (const Tool& tool : tools) {
        const Summary first = Summarize(tool.first);
        const Summary again = Summarize(tool.again);
        std::printf("%-30s %8.3f / %6.3f %8.3f / %6.3f %9ld %6.2f / %4.2f %6.2f / %4.2f\n", tool.name.c_str(),
                    first.median, first.best, again.median, again.best, std::max(Peak(tool.first), Peak(tool.again)),
                    first.median / mirrorFirst.median, first.best / mirrorFirst.best,
                    again.median / mirrorAgain.median, again.best / mirrorAgain.best);
    }
    std::printf("\nMirrorFolder peak memory: whole tree %ld KB, one folder of %d files %ld KB\n",
                std::max(Peak(mirror.first), Peak(mirror.again)), kFilesPerFolder, oneFolder.peakKilobytes);
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    try {
        if (argc == 5 && std::string(argv[1]) == "--mirror") {
            const int workers = std::atoi(argv[2]);
            brellow::MirrorFolder(argv[3], argv[4], brellow::MirrorFailureSink(), static_cast<unsigned>(std::max(1, workers)));
            return 0;
        }
        std::string workParent = fs::temp_directory_path().string();
        int rounds = 5;
        unsigned workers = 0;
        for (int i = 1; i + 1 < argc; i += 2) {
            const std::string option = argv[i];
            if (option == "--work")
                workParent = argv[i + 1];
            else if (option == "--rounds")
                rounds = std::max(1, std::atoi(argv[i + 1]));
            else if (option == "--workers")
                workers = static_cast<unsigned>(std::max(1, std::atoi(argv[i + 1])));
            else
                throw std::runtime_error("unknown option " + option);
        }
        if (argc % 2 == 0)
            throw std::runtime_error("usage: mirror_bench [--work FOLDER] [--rounds N] [--workers N]");
        return Benchmark(workParent, rounds, workers);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "mirror_bench: %s\n", error.what());
        return 1;
    }
}
