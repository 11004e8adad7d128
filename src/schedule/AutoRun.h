#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/RunStatus.h"
#include "platform/Clock.h"
#include "platform/LocaleSettings.h"
#include "schedule/TStatFlg.h"
#include "store/Store.h"

namespace brellow {

// The four automatic-execution menu items.
enum class AutoRunMenuItem { N3, A1, B1, N4 };

// What automatic execution needs of the main window.
class AutoRunView : public StatusLine {
public:
    virtual void SetMenuItemState(AutoRunMenuItem item, bool enabled, bool checked) = 0;
    virtual void SetAutoButtonCaption(const std::string& caption) = 0;
    // true: pure green face; false: the style's standard colour.
    virtual void SetAutoButtonGreen(bool green) = 0;
    virtual void StartTimer() = 0;
    virtual void StopTimer() = 0;
    virtual void HideWindow() = 0;
};

// The automatic-execution switch, the schedule cache and the once-a-second check.
class AutoRun {
public:
    AutoRun(AutoRunView& view, std::function<void()> runBackup, const Clock& clock, const LocaleSettings& locale);

    // Start-up: makes AutoRunFlag and clears it. Until then the switch does nothing.
    void MakeFlag();
    const TStacFlg* Flag() const { return AutoRunFlag.get(); }

    void ToggleAutoRun();
    // Copies the stored schedule into the cache; the last row wins, no row changes nothing.
    void LoadSchedule();
    // One tick: starts a run when the cached schedule is due now. A scheduled minute starts
    // one run at most, however many ticks fall into it and however often the day is listed.
    // Values it cannot read (an empty item, words, a time it cannot parse) match nothing.
    void CheckSchedule();

    const ScheduleRecord& Cache() const { return ScheduleCache; }

private:
    void SwitchOn();
    void SwitchOff();
    void ScheduledRun();

    AutoRunView& view_;
    std::function<void()> runBackup_;
    const Clock& clock_;
    const LocaleSettings& locale_;
    std::unique_ptr<TStacFlg> AutoRunFlag;
    ScheduleRecord ScheduleCache;
    // The minute the last scheduled run was started in.
    std::optional<LocalDateTime> servedMinute_;
};

}  // namespace brellow
