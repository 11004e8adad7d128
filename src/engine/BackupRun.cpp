#include "engine/BackupRun.h"

#include <memory>
#include <utility>
#include <vector>

#include "engine/MirrorFolder.h"
#include "platform/FileSystem.h"
#include "store/StoreOperations.h"

namespace brellow {

BackupRun::BackupRun(BackupRunHost& host, const Clock& clock, const LocaleSettings& locale,
                     std::string companionProgram, CompanionLimits limits)
    : host_(host), clock_(clock), locale_(locale), companionProgram_(std::move(companionProgram)), limits_(limits)
{
}

void BackupRun::RunBackup()
{
    // Declared first, so that a store error leaving the run closes it on the way out.
    Companion companion(companionProgram_.empty() ? DefaultCompanionProgram() : companionProgram_, limits_);
    host_.ShowRunStartedBalloon();

    const std::unique_ptr<TSQLiteDatabase> db = OpenStore();
    const std::vector<FolderPair> pairs = ReadPairs(*db);
    for (const FolderPair& pair : pairs) {
        if (!FolderExists(pair.target_folder) || !FolderExists(pair.bkup_folder))
            continue;
        MirrorFolder(pair.target_folder, pair.bkup_folder);
        // A history row must not stand for copies that are still only in memory.
        FlushFileSystem(MirrorTarget(pair.target_folder, pair.bkup_folder));
        const HistoryRecord row{pair.target_folder, pair.bkup_folder, HistoryDateText(locale_, clock_.Now())};
        AppendHistoryRow(*db, row);
    }
    companion.Close();
}

}  // namespace brellow
