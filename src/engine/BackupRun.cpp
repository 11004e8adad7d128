#include "engine/BackupRun.h"

#include <memory>
#include <utility>
#include <vector>

#include "engine/FailureLog.h"
#include "engine/MirrorFolder.h"
#include "platform/FileSystem.h"
#include "platform/StopRequest.h"
#include "store/StoreOperations.h"

namespace brellow {

BackupRun::BackupRun(BackupRunHost& host, const Clock& clock, const LocaleSettings& locale,
                     std::string companionProgram, CompanionLimits limits)
    : host_(host), clock_(clock), locale_(locale), companionProgram_(std::move(companionProgram)), limits_(limits)
{
}

std::string FailureNoticeLine(int failures)
{
    if (failures == 0)
        return std::string();
    return "コピーできなかったファイル: " + std::to_string(failures) + " 件（詳細は qzbackup.log）";
}

int BackupRun::RunBackup()
{
    // Declared first, so that a store error leaving the run closes it on the way out.
    Companion companion(companionProgram_.empty() ? DefaultCompanionProgram() : companionProgram_, limits_);
    host_.ShowRunStartedBalloon();

    const std::unique_ptr<TSQLiteDatabase> db = OpenStore();
    const std::vector<FolderPair> pairs = ReadPairs(*db);
    FailureLog log(FailureLogPath());
    int failures = 0;
    for (const FolderPair& pair : pairs) {
        if (StopRequested())
            break;
        if (!FolderExists(pair.target_folder) || !FolderExists(pair.bkup_folder))
            continue;
        const MirrorReport report =
            MirrorFolder(pair.target_folder, pair.bkup_folder, [&](const std::string& path, int error) {
                log.Write(clock_.Now(), pair, path, error);
            });
        failures += report.failures;
        if (report.stopped)
            break;
        // Nothing could be copied: no row may say the pair was backed up.
        if (!report.targetReady)
            continue;
        // A history row must not stand for copies that are still only in memory.
        flush_(MirrorTarget(pair.target_folder, pair.bkup_folder));
        const HistoryRecord row{pair.target_folder, pair.bkup_folder, HistoryDateText(locale_, clock_.Now())};
        AppendHistoryRow(*db, row);
    }
    companion.Close();
    return failures;
}

}  // namespace brellow
