#pragma once

#include <string>

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
    // executable, then on PATH.
    BackupRun(BackupRunHost& host, const Clock& clock, const LocaleSettings& locale,
              std::string companionProgram = std::string());

    // Runs to its end. Errors of the store leave it (the companion is closed first).
    void RunBackup();

private:
    BackupRunHost& host_;
    const Clock& clock_;
    const LocaleSettings& locale_;
    std::string companionProgram_;
};

}  // namespace brellow
