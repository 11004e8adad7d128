#pragma once

#include <functional>
#include <string>

#include "engine/Companion.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/LocaleSettings.h"

namespace brellow {

// The line a run's end notice adds when entries could not be copied; nothing without failures.
std::string FailureNoticeLine(int failures);

// What a run needs of the main window.
class BackupRunHost {
public:
    virtual ~BackupRunHost() = default;
    // The tray balloon: "Brellow2", "バックアップを開始しました", information icon, 15 ms.
    virtual void ShowRunStartedBalloon() = 0;
};

// One backup run over every stored folder pair.
class BackupRun {
public:
    // companionProgram: the progress companion to start; empty means "Spinnet" beside the
    // executable, then on PATH. limits bound the waits for it.
    BackupRun(BackupRunHost& host, const Clock& clock, const LocaleSettings& locale,
              std::string companionProgram = std::string(), CompanionLimits limits = CompanionLimits());

    // Runs to its end on the calling thread; nothing else of the program is served meanwhile.
    //
    // Starts the companion (no arguments) and waits until it is ready, shows the balloon,
    // opens one store connection, reads every pair first, then for each pair whose two
    // folders exist mirrors it and, once its copies are flushed to disk, writes one history
    // row dated at that moment in a transaction of its own (a failed insert is rolled back
    // and dropped, and the run goes on). Pairs with a missing folder are skipped without a
    // trace; a pair whose target folder cannot be made or opened gets no history row. Every
    // entry that could not be copied or created is written to the failure log beside the
    // store. A stop request ends the run after the current file, without a row for the pair
    // it cut short. Finally the companion is closed; one that never became ready is ended as
    // well, and none is left unreaped. Both waits for the companion are bounded by limits.
    // Answers the number of entries that could not be copied or created.
    //
    // The status line is the caller's (ShowRunningWhile). When the store cannot be opened or
    // the pairs cannot be read, the store's error (ESQLiteException) leaves the run after
    // the companion has been closed; the caller's remaining steps are then skipped and the
    // error reaches the standard error box.
    int RunBackup();

    // Replaces the flush of each pair's destination before its history row.
    void UseFlushForTesting(std::function<void(const std::string& folder)> flush) { flush_ = std::move(flush); }

private:
    BackupRunHost& host_;
    const Clock& clock_;
    const LocaleSettings& locale_;
    std::string companionProgram_;
    CompanionLimits limits_;
    std::function<void(const std::string& folder)> flush_ = [](const std::string& folder) {
        FlushFileSystem(folder);
    };
};

}  // namespace brellow
