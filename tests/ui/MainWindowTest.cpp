#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "CapturedBoxes.h"
#include "FakeHotKey.h"
#include "FakeTrayIcon.h"
#include "TempFolder.h"
#include "store/Store.h"
#include "ui/MainWindow.h"
#include "widgets/MessageBoxes.h"

namespace brellow {
namespace {

using testing::FakeHotKey;
using testing::FakeTrayIcon;
using testing::TempFolder;

const QString kAutoRunOn = QStringLiteral("現在自動実行中です");
const QString kAutoRunOff = QStringLiteral("自動実行を停止しています");
const QString kFirstRun = QStringLiteral("バックアップ情報を設定してください");
const QString kRunning = QStringLiteral("バックアップを実行しています");

class FixedClock : public Clock {
public:
    LocalDateTime Now() const override { return now; }
    LocalDateTime now;
};

// A window opened modally; it only counts its openings, so nothing blocks.
class FakeDialog : public QDialog {
public:
    int exec() override
    {
        ++opened;
        return QDialog::Rejected;
    }
    int opened = 0;
};

QString Status(const TfrmMain& window)
{
    return QString::fromStdString(window.StatusText());
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetStorePathForTesting(StoreFile());
        clock.now = LocalDateTime{2026, 3, 4, 9, 30, 0, 4};
    }
    void TearDown() override
    {
        SetStorePathForTesting("");
    }

    std::string StoreFile() const { return folder / "qzbackup.db"; }

    std::unique_ptr<TfrmMain> Start(bool trayAvailable = true)
    {
        auto fakeTray = std::make_unique<FakeTrayIcon>(trayAvailable);
        tray = fakeTray.get();
        auto fakeHotKey = std::make_unique<FakeHotKey>();
        hotKey = fakeHotKey.get();
        // No companion: a run goes on without it.
        auto window = std::make_unique<TfrmMain>(std::move(fakeTray), std::move(fakeHotKey), clock, locale,
                                                 folder / "no-companion");
        window->UseWindows(version, targetList, history);
        return window;
    }

    static void Activate(TfrmMain& window)
    {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    TempFolder folder;
    FixedClock clock;
    LocaleSettings locale;
    FakeTrayIcon* tray = nullptr;
    FakeHotKey* hotKey = nullptr;
    FakeDialog version;
    FakeDialog targetList;
    FakeDialog history;
    testing::CapturedBoxes captured;
    std::vector<testing::CapturedBoxes::Box>& boxes = captured.boxes;
};

struct ItemState {
    const char* name;
    QAction* TfrmMain::*item;
    bool enabled;
    bool checked;
};

void ExpectItemStates(const TfrmMain& window, const std::vector<ItemState>& states)
{
    for (const ItemState& state : states) {
        const QAction* item = window.*(state.item);
        EXPECT_EQ(item->isEnabled(), state.enabled) << state.name;
        EXPECT_EQ(item->isChecked(), state.checked) << state.name;
        // Trays that draw the menu themselves show a mark only for a checkable item, and
        // keep an old mark when an item stops being checkable.
        EXPECT_TRUE(item->isCheckable()) << state.name;
    }
}

const std::vector<ItemState> kSwitchedOn = {
    {"A1", &TfrmMain::A1, false, true},
    {"B1", &TfrmMain::B1, true, false},
    {"N3", &TfrmMain::N3, false, true},
    {"N4", &TfrmMain::N4, true, false},
};
const std::vector<ItemState> kSwitchedOff = {
    {"A1", &TfrmMain::A1, true, false},
    {"B1", &TfrmMain::B1, false, true},
    {"N3", &TfrmMain::N3, true, false},
    {"N4", &TfrmMain::N4, false, true},
};
// As the window is made, before start-up switches on.
const std::vector<ItemState> kAsMade = {
    {"A1", &TfrmMain::A1, true, false},
    {"B1", &TfrmMain::B1, false, true},
    {"N3", &TfrmMain::N3, true, false},
    {"N4", &TfrmMain::N4, false, false},
};

TEST_F(MainWindowTest, FirstStartCreatesTheStoreAndAsksForSettingsOnEveryShowingUntilTheyAreOpened)
{
    ASSERT_FALSE(std::filesystem::exists(StoreFile()));
    auto window = Start();

    EXPECT_TRUE(std::filesystem::exists(StoreFile()));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(window->FirstRun, 1);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Status(*window), kAutoRunOn);
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_EQ(window->Timer1->interval(), 1000);
    ExpectItemStates(*window, kSwitchedOn);

    tray->Click();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Status(*window), kFirstRun);

    window->N1Click();
    EXPECT_FALSE(window->isVisible());
    window->N6->trigger();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Status(*window), kFirstRun);

    window->N5->trigger();
    EXPECT_EQ(targetList.opened, 1);
    EXPECT_EQ(window->FirstRun, 0);
    EXPECT_EQ(Status(*window), QString());

    window->N1Click();
    window->N6Click();
    EXPECT_EQ(Status(*window), QString());
    window->S1->trigger();
    EXPECT_EQ(targetList.opened, 2);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindowTest, LaterStartIsNormalAndShowsTheAutomaticExecutionText)
{
    ASSERT_TRUE(PrepareStore());
    auto window = Start();

    EXPECT_EQ(window->FirstRun, 0);
    EXPECT_FALSE(window->isVisible());
    window->N6Click();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Status(*window), kAutoRunOn);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindowTest, WindowMenusAndTrayAreLaidOutAsGiven)
{
    auto window = Start();

    EXPECT_EQ(window->windowTitle(), QStringLiteral("Brellow2 「データバックアップ」"));
    EXPECT_EQ(window->pos(), QPoint(0, 0));
    EXPECT_EQ(window->centralWidget()->width(), 298);
    EXPECT_EQ(window->centralWidget()->height() + window->StatusBar1->height(), 101);
    EXPECT_EQ(window->centralWidget()->palette().color(QPalette::Window), QColor(236, 253, 200));
    EXPECT_EQ(window->cxBtnAuto->geometry(), QRect(96, 8, 105, 25));
    EXPECT_EQ(window->cxBtnMan->geometry(), QRect(96, 47, 105, 25));
    EXPECT_EQ(window->cxBtnMan->text(), QStringLiteral("直ぐに実行"));

    const struct {
        QAction* item;
        const char* caption;
        QKeySequence shortcut;
    } items[] = {
        {window->F1->menuAction(), "ファイル(&F)", {}},
        {window->S1, "設定(&S)", QKeySequence(QStringLiteral("Ctrl+S"))},
        {window->E1, "終了(&X)", QKeySequence(QStringLiteral("Ctrl+X"))},
        {window->V1->menuAction(), "表示(&V)", {}},
        {window->H1, "バックアップ履歴(&H)", QKeySequence(QStringLiteral("Ctrl+H"))},
        {window->N1, "隠す(&N)", QKeySequence(QStringLiteral("Ctrl+N"))},
        {window->R1->menuAction(), "実行(&R)", {}},
        {window->A1, "自動実行(&A)", QKeySequence(QStringLiteral("Ctrl+A"))},
        {window->B1, "自動実行停止(&B)", QKeySequence(QStringLiteral("Ctrl+B"))},
        {window->G1, "直ぐ実行(&G)", QKeySequence(QStringLiteral("Ctrl+G"))},
        {window->H2->menuAction(), "ヘルプ(&H)", {}},
        {window->N2, "バージョン", {}},
        {window->N3, "自動実行", {}},
        {window->N4, "自動実行停止", {}},
        {window->N5, "バックアップ設定", {}},
        {window->N6, "表示", {}},
        {window->N7, "終了", {}},
    };
    for (const auto& item : items) {
        EXPECT_EQ(item.item->text(), QString::fromUtf8(item.caption));
        EXPECT_EQ(item.item->shortcut(), item.shortcut) << item.caption;
    }
    EXPECT_EQ(window->menuBar()->actions().size(), 4);
    EXPECT_EQ(window->PopupMenu1->actions().size(), 5);

    EXPECT_TRUE(tray->shown);
    EXPECT_EQ(tray->toolTip, QStringLiteral("Brellow2"));
    EXPECT_EQ(tray->menu, window->PopupMenu1);
    EXPECT_EQ(tray->icon.pixmap(32, 32).size(), QSize(32, 32));
}

TEST_F(MainWindowTest, SwitchingSetsItemsButtonTimerAndStatus)
{
    auto window = Start();
    EXPECT_EQ(window->cxBtnAuto->text(), QStringLiteral("自動実行停止"));
    EXPECT_EQ(window->cxBtnAuto->palette().color(QPalette::Button), QColor(0, 255, 0));

    window->cxBtnAuto->click();
    ExpectItemStates(*window, kSwitchedOff);
    EXPECT_EQ(window->cxBtnAuto->text(), QStringLiteral("自動実行"));
    EXPECT_NE(window->cxBtnAuto->palette().color(QPalette::Button), QColor(0, 255, 0));
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_EQ(Status(*window), kAutoRunOff);

    // Whichever item is chosen, the state flips.
    window->N3->trigger();
    ExpectItemStates(*window, kSwitchedOn);
    EXPECT_TRUE(window->Timer1->isActive());
    window->N4->trigger();
    ExpectItemStates(*window, kSwitchedOff);
    window->A1->trigger();
    ExpectItemStates(*window, kSwitchedOn);
    EXPECT_EQ(Status(*window), kAutoRunOn);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindowTest, ShortcutOfTheCurrentStateDoesNothing)
{
    auto window = Start();
    Activate(*window);

    QTest::keyClick(window.get(), Qt::Key_A, Qt::ControlModifier);
    ExpectItemStates(*window, kSwitchedOn);
    EXPECT_TRUE(window->isVisible());

    QTest::keyClick(window.get(), Qt::Key_B, Qt::ControlModifier);
    ExpectItemStates(*window, kSwitchedOff);
    QTest::keyClick(window.get(), Qt::Key_B, Qt::ControlModifier);
    ExpectItemStates(*window, kSwitchedOff);

    QTest::keyClick(window.get(), Qt::Key_A, Qt::ControlModifier);
    ExpectItemStates(*window, kSwitchedOn);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, FailedStartUpShowsTheErrorAndLeavesControlsHarmless)
{
    SetStorePathForTesting(folder / "missing-folder/qzbackup.db");
    auto window = Start();

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_FALSE(boxes[0].text.isEmpty());
    EXPECT_TRUE(tray->shown);
    EXPECT_FALSE(window->Timer1->isActive());
    ExpectItemStates(*window, kAsMade);

    window->cxBtnAuto->click();
    window->A1->trigger();
    window->N3->trigger();
    ExpectItemStates(*window, kAsMade);
    EXPECT_EQ(window->cxBtnAuto->text(), QStringLiteral("自動実行"));
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_EQ(boxes.size(), 1u);

    tray->Click();
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, NoNotificationAreaStopsTheStartBeforeTheStoreIsTouched)
{
    try {
        Start(false);
        FAIL() << "the window was made without a notification area";
    } catch (const std::runtime_error& error) {
        const QString text = QString::fromUtf8(error.what());
        EXPECT_TRUE(text.contains(QStringLiteral("シェル通知アイコンが作成できません")));
        // A second line says what is missing.
        EXPECT_TRUE(text.contains(QStringLiteral("\n通知領域（システムトレイ）が必要です")));
    }
    EXPECT_FALSE(std::filesystem::exists(StoreFile()));
}

TEST_F(MainWindowTest, RunNowShowsRunningThenRestoresTheStatusAndSaysFinished)
{
    auto window = Start();
    window->N6Click();
    window->S1Click();  // leaves the first-run state

    const struct {
        const char* how;
        std::function<void(TfrmMain&)> runNow;
    } ways[] = {
        {"button", [](TfrmMain& w) { w.cxBtnMan->click(); }},
        {"menu item G1", [](TfrmMain& w) { w.G1->trigger(); }},
    };
    for (const auto& way : ways) {
        boxes.clear();
        tray->balloons.clear();
        window->SetStatusText("前の表示");
        QString duringRun;
        tray->onBalloon = [&] { duringRun = Status(*window); };

        way.runNow(*window);

        EXPECT_EQ(duringRun, kRunning) << way.how;
        ASSERT_EQ(tray->balloons.size(), 1u) << way.how;
        EXPECT_EQ(tray->balloons[0].title, QStringLiteral("Brellow2"));
        EXPECT_EQ(tray->balloons[0].text, QStringLiteral("バックアップを開始しました"));
        EXPECT_EQ(Status(*window), QStringLiteral("前の表示")) << way.how;
        ASSERT_EQ(boxes.size(), 1u) << way.how;
        EXPECT_EQ(boxes[0].icon, QMessageBox::NoIcon);
        EXPECT_EQ(boxes[0].caption, ProgramTitle());
        EXPECT_EQ(boxes[0].text, QStringLiteral("バックアップ終了"));
    }
}

TEST_F(MainWindowTest, FailedRunNowShowsTheErrorInsteadOfFinishedAndKeepsNoRunningText)
{
    auto window = Start();
    window->SetStatusText("前の表示");
    SetStorePathForTesting(folder / "missing-folder/qzbackup.db");

    window->cxBtnManClick();

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(Status(*window), QStringLiteral("前の表示"));
}

TEST_F(MainWindowTest, TimerTickAtTheScheduledTimeRuns)
{
    auto window = Start();
    clock.now = LocalDateTime{2026, 3, 4, 12, 0, 1, 4};

    QString duringRun;
    tray->onBalloon = [&] { duringRun = Status(*window); };
    window->Timer1Timer();

    EXPECT_EQ(duringRun, kRunning);
    EXPECT_EQ(tray->balloons.size(), 1u);
    EXPECT_EQ(Status(*window), QString());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindowTest, ARunThatCouldNotCopyEverythingSaysSoAtItsEnd)
{
    auto window = Start();
    // The backup folder's name is taken by a file: nothing of the pair can be copied.
    std::filesystem::create_directories(folder / "data");
    std::filesystem::create_directories(folder / "backup");
    std::ofstream(folder / "backup/data") << "in the way";
    RunAsOneUnit(*OpenStore(), {Sql::PairInsert({folder / "data", folder / "backup"})});
    const QString finished =
        QStringLiteral("バックアップ終了\nコピーできなかったファイル: 1 件（詳細は qzbackup.log）");

    boxes.clear();
    window->cxBtnManClick();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, finished);

    tray->balloons.clear();
    clock.now = LocalDateTime{2026, 3, 4, 12, 0, 0, 4};
    window->Timer1Timer();
    ASSERT_EQ(tray->balloons.size(), 2u);
    EXPECT_EQ(tray->balloons[1].title, QStringLiteral("Brellow2"));
    EXPECT_EQ(tray->balloons[1].text, finished);
    EXPECT_EQ(Status(*window), QString());
}

TEST_F(MainWindowTest, HotKeyShowsAndActivatesOnlyForCtrlShiftQ)
{
    const struct {
        quint32 lParam;
        bool shows;
    } cases[] = {
        {6u | (0x51u << 16), true},
        {2u | (0x51u << 16), false},
        {7u | (0x51u << 16), false},
        {6u | (0x52u << 16), false},
        {0u, false},
    };
    for (const auto& c : cases) {
        auto window = Start();
        hotKey->Press(c.lParam);
        EXPECT_EQ(window->isVisible(), c.shows) << c.lParam;
        if (c.shows) {
            EXPECT_TRUE(QTest::qWaitForWindowActive(window.get())) << c.lParam;
        }
    }
}

TEST_F(MainWindowTest, TrayCallbackShowsOnLeftButtonAndOpensTheMenuOnRightButton)
{
    const struct {
        int lParam;
        bool shows;
        bool opensMenu;
    } cases[] = {
        {513, true, false},
        {516, false, true},
        {514, false, false},
        {517, false, false},
        {0, false, false},
    };
    for (const auto& c : cases) {
        auto window = Start();
        window->WMUser100(c.lParam);
        EXPECT_EQ(window->isVisible(), c.shows) << c.lParam;
        EXPECT_EQ(window->PopupMenu1->isVisible(), c.opensMenu) << c.lParam;
        window->PopupMenu1->hide();
    }
}

TEST_F(MainWindowTest, MenusOpenTheirWindows)
{
    auto window = Start();
    window->H1->trigger();
    window->N2->trigger();
    EXPECT_EQ(history.opened, 1);
    EXPECT_EQ(version.opened, 1);
    EXPECT_EQ(targetList.opened, 0);
}

TEST_F(MainWindowTest, ClosingTheWindowInAnyWayReleasesTheHotKeyAndEndsTheProgram)
{
    const struct {
        const char* how;
        std::function<void(TfrmMain&)> close;
    } ways[] = {
        {"E1", [](TfrmMain& w) { w.E1->trigger(); }},
        {"N7 while hidden", [](TfrmMain& w) { w.N7->trigger(); }},
        {"close box", [](TfrmMain& w) {
             w.show();
             w.close();
         }},
    };
    for (const auto& way : ways) {
        auto window = Start();
        // Start-up holds Ctrl+Shift+Q; the end lets it go.
        EXPECT_EQ(hotKey->registered, (std::vector<std::pair<int, int>>{{6, 0x51}})) << way.how;
        EXPECT_EQ(hotKey->unregistered, 0) << way.how;
        QSignalSpy closed(window.get(), &TfrmMain::Closed);
        way.close(*window);
        EXPECT_EQ(closed.count(), 1) << way.how;
        EXPECT_FALSE(window->isVisible()) << way.how;
        EXPECT_EQ(hotKey->unregistered, 1) << way.how;
    }
    EXPECT_TRUE(boxes.empty());
}

}  // namespace
}  // namespace brellow
