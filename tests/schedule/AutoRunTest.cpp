#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "ScheduleStoreTest.h"
#include "schedule/AutoRun.h"

using namespace brellow;

namespace {

const std::string kOnText = "現在自動実行中です";
const std::string kOffText = "自動実行を停止しています";
const std::string kRunningText = "バックアップを実行しています";

// Records every call in order; the run itself is logged as "run".
class FakeView : public AutoRunView {
public:
    void SetMenuItemState(AutoRunMenuItem item, bool enabled, bool checked) override
    {
        static const char* const names[] = {"N3", "A1", "B1", "N4"};
        log.push_back(std::string(names[static_cast<int>(item)]) + (enabled ? " enabled" : " disabled") +
                      (checked ? " checked" : ""));
    }
    void SetAutoButtonCaption(const std::string& caption) override { log.push_back("caption " + caption); }
    void SetAutoButtonGreen(bool green) override { log.push_back(green ? "green" : "standard colour"); }
    void StartTimer() override
    {
        log.push_back("start timer");
        timerRunning = true;
    }
    void StopTimer() override
    {
        log.push_back("stop timer");
        timerRunning = false;
    }
    void SetStatusText(const std::string& text) override
    {
        log.push_back("status " + text);
        status = text;
    }
    std::string StatusText() const override { return status; }
    void HideWindow() override { log.push_back("hide"); }

    std::vector<std::string> log;
    std::string status;
    bool timerRunning = false;
};

class FakeClock : public Clock {
public:
    LocalDateTime Now() const override { return now; }
    LocalDateTime now;
};

// A moment with its true weekday (1 = Sunday).
LocalDateTime At(int year, int month, int day, int hour, int minute, int second)
{
    static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    const int y = month < 3 ? year - 1 : year;
    const int weekday = (y + y / 4 - y / 100 + y / 400 + offsets[month - 1] + day) % 7;
    return LocalDateTime{year, month, day, hour, minute, second, weekday + 1};
}

class AutoRunTest : public brellow::testing::ScheduleStoreTest {
protected:
    // Runs made by one tick at the given moment, automatic execution switched on.
    int RunsAt(const LocalDateTime& moment, const LocaleSettings& locale = LocaleSettings())
    {
        FakeView view;
        FakeClock clock;
        int runs = 0;
        AutoRun autoRun(view, [&runs] { ++runs; }, clock, locale);
        autoRun.MakeFlag();
        autoRun.ToggleAutoRun();
        clock.now = moment;
        autoRun.CheckSchedule();
        return runs;
    }

    FakeView view;
    FakeClock clock;
    LocaleSettings locale;
    std::function<void()> onRun = [] {};
    AutoRun autoRun{view, [this] {
                        view.log.push_back("run");
                        onRun();
                    },
                    clock, locale};
};

}  // namespace

TEST_F(AutoRunTest, SwitchingOnAndOffSetsTheControlsInOrder)
{
    autoRun.ToggleAutoRun();  // no flag yet: a failed start-up
    EXPECT_TRUE(view.log.empty());
    EXPECT_EQ(autoRun.Flag(), nullptr);

    autoRun.MakeFlag();
    ASSERT_NE(autoRun.Flag(), nullptr);
    EXPECT_EQ(autoRun.Flag()->Value(), 0);

    autoRun.ToggleAutoRun();
    EXPECT_EQ(view.log, (std::vector<std::string>{"N3 disabled checked", "A1 disabled checked", "B1 enabled",
                                                  "N4 enabled", "caption 自動実行停止", "green", "start timer",
                                                  "status " + kOnText, "hide"}));
    EXPECT_EQ(autoRun.Flag()->Value(), 1);
    EXPECT_EQ(autoRun.Cache().bk_time, "12:00:00");

    view.log.clear();
    autoRun.ToggleAutoRun();
    EXPECT_EQ(view.log, (std::vector<std::string>{"N3 enabled", "N4 disabled checked", "A1 enabled",
                                                  "B1 disabled checked", "caption 自動実行", "standard colour",
                                                  "stop timer", "status " + kOffText}));
    EXPECT_EQ(autoRun.Flag()->Value(), 0);
}

TEST_F(AutoRunTest, FailedLoadWhileSwitchingOnLeavesTimerStatusAndWindowAlone)
{
    StoreSchedule("1", "2", "", "08:30:00");
    autoRun.LoadSchedule();
    autoRun.MakeFlag();
    SetStorePathForTesting(folder / "missing/qzbackup.db");

    EXPECT_THROW(autoRun.ToggleAutoRun(), ESQLiteException);
    EXPECT_EQ(view.log, (std::vector<std::string>{"N3 disabled checked", "A1 disabled checked", "B1 enabled",
                                                  "N4 enabled", "caption 自動実行停止", "green"}));
    EXPECT_EQ(autoRun.Flag()->Value(), 1);
    EXPECT_EQ(autoRun.Cache().bk_week, "2");
    EXPECT_EQ(autoRun.Cache().bk_time, "08:30:00");

    view.log.clear();
    autoRun.ToggleAutoRun();
    EXPECT_EQ(autoRun.Flag()->Value(), 0);
    EXPECT_EQ(view.log.back(), "status " + kOffText);
}

TEST_F(AutoRunTest, LoadTakesTheLastRowAndKeepsTheCacheWithoutRows)
{
    {
        auto db = OpenStore();
        db->RunStatement("insert into m_schedule values (1,'0,6','','07:00:00')");
        db->RunStatement("insert into m_schedule values (2,'','1,15','21:15:00')");
    }
    autoRun.LoadSchedule();
    EXPECT_EQ(autoRun.Cache().bk_type, "2");
    EXPECT_EQ(autoRun.Cache().bk_week, "");
    EXPECT_EQ(autoRun.Cache().bk_month, "1,15");
    EXPECT_EQ(autoRun.Cache().bk_time, "21:15:00");

    OpenStore()->RunStatement(Sql::kScheduleClear);
    autoRun.LoadSchedule();
    EXPECT_EQ(autoRun.Cache().bk_month, "1,15");
    EXPECT_EQ(autoRun.Cache().bk_time, "21:15:00");
}

TEST_F(AutoRunTest, CheckFiresInTheTwoSecondWindowOnTheScheduledDays)
{
    struct Case {
        const char* kind;
        const char* week;
        const char* month;
        const char* time;
        LocalDateTime now;
        int runs;
    };
    const Case cases[] = {
        // daily: the first two seconds of the minute; stored seconds do not count
        {"0", "", "", "12:00:00", At(2024, 3, 5, 12, 0, 0), 1},
        {"0", "", "", "12:00:00", At(2024, 3, 5, 12, 0, 1), 1},
        {"0", "", "", "12:00:00", At(2024, 3, 5, 12, 0, 2), 0},
        {"0", "", "", "12:00:00", At(2024, 3, 5, 11, 59, 59), 0},
        {"0", "", "", "12:00:00", At(2024, 3, 5, 13, 0, 0), 0},
        {"0", "", "", "12:00:30", At(2024, 3, 5, 12, 0, 0), 1},
        {"0", "", "", "7:05:00", At(2024, 3, 5, 7, 5, 1), 1},
        // weekly: position n fires on weekday n + 1
        {"1", "0,6", "", "12:00:00", At(2024, 3, 3, 12, 0, 0), 1},  // Sunday
        {"1", "0,6", "", "12:00:00", At(2024, 3, 9, 12, 0, 1), 1},  // Saturday
        {"1", "0,6", "", "12:00:00", At(2024, 3, 4, 12, 0, 0), 0},  // Monday
        {"1", "0,6", "", "12:00:00", At(2024, 3, 8, 12, 0, 0), 0},  // Friday
        {"1", "0,6", "", "12:00:00", At(2024, 3, 3, 12, 0, 2), 0},
        {"1", "1", "", "12:00:00", At(2024, 3, 4, 12, 0, 0), 1},
        {"1", "1", "", "12:00:00", At(2024, 3, 3, 12, 0, 0), 0},
        {"1", "1,1", "", "12:00:00", At(2024, 3, 4, 12, 0, 0), 1},
        {"1", "", "", "12:00:00", At(2024, 3, 4, 12, 0, 0), 0},
        {"1", "", "4", "12:00:00", At(2024, 3, 4, 12, 0, 0), 0},  // the month list is not read
        // monthly, and every kind other than "0" and "1"
        {"2", "", "31", "12:00:00", At(2024, 5, 31, 12, 0, 0), 1},
        {"2", "", "31", "12:00:00", At(2024, 4, 30, 12, 0, 0), 0},
        {"2", "", "29", "12:00:00", At(2024, 2, 29, 12, 0, 0), 1},
        {"2", "", "29", "12:00:00", At(2023, 2, 28, 12, 0, 0), 0},
        {"2", "", "29", "12:00:00", At(2023, 3, 1, 12, 0, 0), 0},
        {"2", "", "30", "12:00:00", At(2024, 2, 29, 12, 0, 0), 0},
        {"2", "", "1,15", "12:00:00", At(2024, 3, 15, 12, 0, 0), 1},
        {"2", "", "1 15", "12:00:00", At(2024, 3, 15, 12, 0, 0), 1},
        {"2", "", "15,15", "12:00:00", At(2024, 3, 15, 12, 0, 0), 1},
        {"2", "", "1,15", "12:00:00", At(2024, 3, 15, 12, 1, 0), 0},
        {"2", "", "", "12:00:00", At(2024, 3, 15, 12, 0, 0), 0},
        {"5", "", "15", "12:00:00", At(2024, 3, 15, 12, 0, 0), 1},
        {"2", "15", "", "12:00:00", At(2024, 3, 15, 12, 0, 0), 0},  // the weekday list is not read
        // values the check cannot read match nothing, and raise nothing
        {"2", "", "None selected", "12:00:00", At(2024, 3, 1, 12, 0, 0), 0},
        {"2", "", "1,,15", "12:00:00", At(2024, 3, 15, 12, 0, 0), 1},
        {"2", "", "x,15,", "12:00:00", At(2024, 3, 15, 12, 0, 0), 1},
        {"0", "", "", "", At(2024, 3, 5, 0, 0, 0), 0},
        {"0", "", "", "12.00.00", At(2024, 3, 5, 12, 0, 0), 0},
    };
    for (const Case& c : cases) {
        StoreSchedule(c.kind, c.week, c.month, c.time);
        int runs = -1;
        EXPECT_NO_THROW(runs = RunsAt(c.now));
        EXPECT_EQ(runs, c.runs) << "kind " << c.kind << " week '" << c.week << "' month '" << c.month << "' time '"
                                << c.time << "' at " << c.now.year << "-" << c.now.month << "-" << c.now.day << " "
                                << c.now.hour << ":" << c.now.minute << ":" << c.now.second;
    }
}

TEST_F(AutoRunTest, TimeTextFollowsTheUsersSettingsWithAPlain24HourFallback)
{
    LocaleSettings twelveHour;
    twelveHour.longTimePattern = "ampm h:nn:ss";
    twelveHour.amMarker = "午前";
    twelveHour.pmMarker = "午後";
    struct Case {
        const char* time;
        LocalDateTime now;
        int runs;
    };
    const Case cases[] = {
        {"午後 12:00:00", At(2024, 3, 5, 12, 0, 0), 1},
        {"午前 12:00:00", At(2024, 3, 5, 0, 0, 1), 1},
        {"午後 1:30:00", At(2024, 3, 5, 13, 30, 0), 1},
        {"午前 1:30:00", At(2024, 3, 5, 13, 30, 0), 0},
        {"13:30", At(2024, 3, 5, 13, 30, 0), 1},  // written before the settings changed
        {"13:30:00", At(2024, 3, 5, 13, 30, 1), 1},
        {"12時00分00秒", At(2024, 3, 5, 12, 0, 0), 1},  // written under ja_JP by the earlier release
        {"1:30:00 PM", At(2024, 3, 5, 13, 30, 0), 1},  // the C locale's markers
    };
    for (const Case& c : cases) {
        StoreSchedule("0", "", "", c.time);
        EXPECT_EQ(RunsAt(c.now, twelveHour), c.runs) << c.time;
    }
}

// A schedule saved under the users' own locale starts its run when the program runs under
// another one (a terminal, an autostart with LANG=C), and the other way round.
TEST_F(AutoRunTest, AScheduleSavedUnderOneLocaleFiresUnderAnother)
{
    const std::optional<LocaleSettings> japanese = LocaleSettings::FromLocale("ja_JP.UTF-8");
    const std::optional<LocaleSettings> plain = LocaleSettings::FromLocale("C.UTF-8");
    ASSERT_TRUE(japanese.has_value() && plain.has_value()) << "scripts/setup generates the locales";
    for (const auto& [writer, reader] : {std::pair(*japanese, *plain), std::pair(*plain, *japanese)}) {
        const std::string stored = ScheduleTimeText(writer, {7, 5, 0});
        EXPECT_EQ(stored, "07:05:00");
        StoreSchedule("0", "", "", stored);
        EXPECT_EQ(RunsAt(At(2024, 3, 5, 7, 5, 0), reader), 1);
    }
}

TEST_F(AutoRunTest, AScheduledMinuteStartsOneRunInsideTheStatusText)
{
    struct Case {
        const char* kind;
        const char* week;
        const char* month;
        LocalDateTime first;  // a matching minute
        LocalDateTime next;   // the next matching minute
    };
    const Case cases[] = {
        {"0", "", "", At(2024, 3, 15, 9, 0, 0), At(2024, 3, 16, 9, 0, 0)},
        {"1", "5,5", "", At(2024, 3, 15, 9, 0, 0), At(2024, 3, 22, 9, 0, 0)},
        {"2", "", "15,3,15", At(2024, 3, 15, 9, 0, 0), At(2024, 4, 3, 9, 0, 0)},
    };
    const std::vector<std::string> oneRun = {"status " + kRunningText, "run", "status "};
    for (const Case& c : cases) {
        StoreSchedule(c.kind, c.week, c.month, "09:00:00");
        FakeView view;
        int runs = 0;
        AutoRun autoRun(view, [&] { view.log.push_back("run"); ++runs; }, clock, locale);
        autoRun.MakeFlag();
        autoRun.ToggleAutoRun();
        view.log.clear();

        // A quick run leaves the second tick of the minute inside the window.
        clock.now = c.first;
        autoRun.CheckSchedule();
        clock.now.second = 1;
        autoRun.CheckSchedule();
        EXPECT_EQ(view.log, oneRun) << "kind " << c.kind;

        clock.now = c.next;
        autoRun.CheckSchedule();
        clock.now.second = 1;
        autoRun.CheckSchedule();
        EXPECT_EQ(runs, 2) << "kind " << c.kind;
    }
}

TEST_F(AutoRunTest, FailedRunRestoresTheStatusTextAndIsNotRepeatedInItsMinute)
{
    StoreSchedule("2", "", "15,15", "09:00:00");
    autoRun.MakeFlag();
    autoRun.ToggleAutoRun();
    view.log.clear();
    onRun = [] { throw ESQLiteException("unable to open database file"); };
    clock.now = At(2024, 3, 15, 9, 0, 0);

    EXPECT_THROW(autoRun.CheckSchedule(), ESQLiteException);
    EXPECT_EQ(view.log, (std::vector<std::string>{"status " + kRunningText, "run", "status " + kOnText}));
    EXPECT_EQ(view.status, kOnText);

    // One error box for the minute, not one a second; the next scheduled day runs again.
    view.log.clear();
    onRun = [] {};
    clock.now.second = 1;
    autoRun.CheckSchedule();
    EXPECT_EQ(std::count(view.log.begin(), view.log.end(), "run"), 0);
    clock.now = At(2024, 4, 15, 9, 0, 0);
    autoRun.CheckSchedule();
    EXPECT_EQ(std::count(view.log.begin(), view.log.end(), "run"), 1);
}

TEST_F(AutoRunTest, NoRunWhileSwitchedOff)
{
    StoreSchedule("0", "", "", "12:00:00");
    clock.now = At(2024, 3, 5, 12, 0, 0);
    autoRun.CheckSchedule();  // no flag yet
    autoRun.MakeFlag();
    autoRun.CheckSchedule();  // flag made, still off
    autoRun.ToggleAutoRun();
    autoRun.ToggleAutoRun();
    EXPECT_FALSE(view.timerRunning);
    autoRun.CheckSchedule();  // a tick already on its way when switched off
    EXPECT_EQ(std::count(view.log.begin(), view.log.end(), "run"), 0);

    autoRun.ToggleAutoRun();
    EXPECT_TRUE(view.timerRunning);
    autoRun.CheckSchedule();
    EXPECT_EQ(std::count(view.log.begin(), view.log.end(), "run"), 1);
}
