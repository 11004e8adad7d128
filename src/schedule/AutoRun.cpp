#include "schedule/AutoRun.h"

#include <utility>

#include "engine/BackupRun.h"
#include "schedule/ListItems.h"
#include "schedule/ScheduleValues.h"
#include "store/StoreOperations.h"

namespace brellow {

namespace {

const char* const kAutoRunOnText = "現在自動実行中です";
const char* const kAutoRunOffText = "自動実行を停止しています";
const char* const kStartAutoRunCaption = "自動実行";
const char* const kStopAutoRunCaption = "自動実行停止";

// Whether an item of the list names the wanted number. Items that are no number match
// nothing, so a damaged list never turns into an error on every tick.
bool ListNames(const std::string& list, int wanted)
{
    if (list.empty())
        return false;
    for (const std::string& item : SplitListText(list)) {
        const std::optional<int> number = WholeNumber(item);
        if (number && *number == wanted)
            return true;
    }
    return false;
}

bool SameMinute(const LocalDateTime& a, const LocalDateTime& b)
{
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute;
}

}  // namespace

AutoRun::AutoRun(AutoRunView& view, std::function<void()> runBackup, const Clock& clock, const LocaleSettings& locale)
    : view_(view), runBackup_(std::move(runBackup)), clock_(clock), locale_(locale)
{
}

void AutoRun::MakeFlag()
{
    AutoRunFlag = std::make_unique<TStacFlg>();
    AutoRunFlag->Clear();
}

void AutoRun::ToggleAutoRun()
{
    if (!AutoRunFlag)
        return;
    if (AutoRunFlag->Value() == 0)
        SwitchOn();
    else
        SwitchOff();
}

void AutoRun::SwitchOn()
{
    AutoRunFlag->Toggle();
    view_.SetMenuItemState(AutoRunMenuItem::N3, false, true);
    view_.SetMenuItemState(AutoRunMenuItem::A1, false, true);
    view_.SetMenuItemState(AutoRunMenuItem::B1, true, false);
    view_.SetMenuItemState(AutoRunMenuItem::N4, true, false);
    view_.SetAutoButtonCaption(kStopAutoRunCaption);
    view_.SetAutoButtonGreen(true);
    LoadSchedule();
    view_.StartTimer();
    view_.SetStatusText(kAutoRunOnText);
    view_.HideWindow();
}

void AutoRun::SwitchOff()
{
    AutoRunFlag->Toggle();
    view_.SetMenuItemState(AutoRunMenuItem::N3, true, false);
    view_.SetMenuItemState(AutoRunMenuItem::N4, false, true);
    view_.SetMenuItemState(AutoRunMenuItem::A1, true, false);
    view_.SetMenuItemState(AutoRunMenuItem::B1, false, true);
    view_.SetAutoButtonCaption(kStartAutoRunCaption);
    view_.SetAutoButtonGreen(false);
    view_.StopTimer();
    view_.SetStatusText(kAutoRunOffText);
}

void AutoRun::LoadSchedule()
{
    if (std::optional<ScheduleRecord> stored = StoredSchedule())
        ScheduleCache = std::move(*stored);
}

void AutoRun::CheckSchedule()
{
    // A tick that was already on its way when automatic execution went off starts nothing.
    if (!AutoRunFlag || AutoRunFlag->Value() != 1)
        return;
    const LocalDateTime now = clock_.Now();
    const std::optional<TimeOfDay> scheduled = ParseLongTime(locale_, ScheduleCache.bk_time);
    if (!scheduled)
        return;
    const bool inWindow = now.hour == scheduled->hour && now.minute == scheduled->minute && now.second < 2;
    if (!inWindow)
        return;

    bool due = false;
    switch (StoredIntervalKind(ScheduleCache.bk_type)) {
    case kDaily:
        due = true;
        break;
    case kWeekly:
        due = ListNames(ScheduleCache.bk_week, now.dayOfWeek - 1);
        break;
    case kMonthly:
        due = ListNames(ScheduleCache.bk_month, now.day);
        break;
    }
    if (!due || (servedMinute_ && SameMinute(*servedMinute_, now)))
        return;
    // Served before the run: a run that fails is not retried by the next tick of the minute.
    servedMinute_ = now;
    ScheduledRun();
}

void AutoRun::ScheduledRun()
{
    ShowRunningWhile(view_, runBackup_, StatusAfterRun::Empty);
}

}  // namespace brellow
