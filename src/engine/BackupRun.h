#pragma once

#include <string>

#include "engine/Companion.h"
#include "platform/Clock.h"
#include "platform/LocaleSettings.h"

namespace brellow {

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
    // and dropped). Pairs with a missing folder are skipped without a trace. Finally the
    // companion is closed; one that never became ready is ended as well, and none is left
    // unreaped. Copy failures are silent. Both waits for the companion are bounded by limits.
    //
    // The status line is the caller's (ShowRunningWhile). When the store cannot be opened or the pairs cannot be
    // read (or a rollback fails), the store's error (ESQLiteException) leaves the run after
    // the companion has been closed; the caller's remaining steps are then skipped and the
    // error reaches the standard error box.
    void RunBackup();

private:
    BackupRunHost& host_;
    const Clock& clock_;
    const LocaleSettings& locale_;
    std::string companionProgram_;
    CompanionLimits limits_;
};

}  // namespace brellow
