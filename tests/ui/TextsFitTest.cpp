// Every window shown as the user sees it: each button's, label's and column header's text
// fits its control in the fonts the program asks for.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTimeEdit>
#include <QTreeWidget>

#include <memory>
#include <string>

#include "FakeHotKey.h"
#include "FakeTrayIcon.h"
#include "WindowsTestSupport.h"
#include "platform/Clock.h"
#include "ui/ButtonStrip.h"
#include "ui/ConfirmationDialog.h"
#include "ui/FolderPairDialog.h"
#include "ui/HistoryWindow.h"
#include "ui/MainWindow.h"
#include "ui/ScheduleDialog.h"
#include "ui/TargetListWindow.h"
#include "ui/VersionDialog.h"
#include "widgets/StoreRowList.h"

namespace brellow {
namespace {

QString Shown(QString text)
{
    return text.remove(QLatin1Char('&'));
}

QString Where(const QWidget& window, const QWidget& control, const QString& text)
{
    return window.windowTitle() + QStringLiteral(" / ") + control.metaObject()->className() + QStringLiteral(" \"") +
           text + QStringLiteral("\"");
}

// The text within the room, with a margin (in all) to the room's sides.
void ExpectFits(const QWidget& window, const QWidget& control, const QString& text, const QRect& room, int margin = 0)
{
    const QFontMetrics metrics(control.font());
    EXPECT_LE(metrics.horizontalAdvance(text) + margin, room.width()) << Where(window, control, text).toStdString();
    EXPECT_LE(metrics.height(), room.height()) << Where(window, control, text).toStdString();
}

void ExpectButtonFits(const QWidget& window, const QAbstractButton& button)
{
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    // A push button's text does not touch the edges of its face.
    int margin = button.style()->pixelMetric(QStyle::PM_ButtonMargin, &option, &button);
    if (qobject_cast<const QRadioButton*>(&button) != nullptr) {
        contents = QStyle::SE_RadioButtonContents;
        margin = 0;
    } else if (qobject_cast<const QCheckBox*>(&button) != nullptr) {
        contents = QStyle::SE_CheckBoxContents;
        margin = 0;
    }
    ExpectFits(window, button, Shown(button.text()), button.style()->subElementRect(contents, &option, &button), margin);
}

void ExpectLabelFits(const QWidget& window, const QLabel& label)
{
    const QRect room = label.contentsRect();
    if (!label.wordWrap()) {
        ExpectFits(window, label, label.text(), room);
        return;
    }
    const QRect needed = QFontMetrics(label.font()).boundingRect(room, Qt::TextWordWrap | label.alignment(), label.text());
    EXPECT_LE(needed.height(), room.height()) << Where(window, label, label.text()).toStdString();
    EXPECT_LE(needed.width(), room.width()) << Where(window, label, label.text()).toStdString();
}

void ExpectGroupTitleFits(const QWidget& window, const QGroupBox& box)
{
    QStyleOptionGroupBox option;
    option.initFrom(&box);
    option.text = box.title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const QRect title = box.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &box);
    EXPECT_TRUE(box.rect().contains(title)) << Where(window, box, box.title()).toStdString();
    ExpectFits(window, box, box.title(), title);
}

void ExpectHeadersFit(const QWidget& window, const QTreeWidget& list)
{
    const QHeaderView& header = *list.header();
    const int margin = header.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &header);
    const QFontMetrics metrics(header.font());
    for (int column = 0; column < list.columnCount(); ++column) {
        const QString text = list.headerItem()->text(column);
        EXPECT_LE(metrics.horizontalAdvance(text) + 2 * margin, header.sectionSize(column))
            << Where(window, list, text).toStdString();
        EXPECT_LE(metrics.height(), header.height()) << Where(window, list, text).toStdString();
    }
}

// Shows the window and checks every visible control that carries a text.
void ExpectTextsFit(QWidget& window)
{
    window.show();
    EXPECT_EQ(QFontInfo(window.font()).family(), QStringLiteral("Noto Sans CJK JP")) << window.windowTitle().toStdString();
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (button->isVisibleTo(&window) && !button->text().isEmpty())
            ExpectButtonFits(window, *button);
    }
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (label->isVisibleTo(&window) && !label->text().isEmpty())
            ExpectLabelFits(window, *label);
    }
    for (const QGroupBox* box : window.findChildren<QGroupBox*>()) {
        if (box->isVisibleTo(&window))
            ExpectGroupTitleFits(window, *box);
    }
    for (const QTreeWidget* list : window.findChildren<QTreeWidget*>()) {
        if (list->isVisibleTo(&window))
            ExpectHeadersFit(window, *list);
    }
    window.hide();
}

class TextsFitTest : public testing::StoreFixture {};

TEST_F(TextsFitTest, MainWindowAndVersionDialog)
{
    TfrmMain main(std::make_unique<testing::FakeTrayIcon>(), std::make_unique<testing::FakeHotKey>(), DefaultClock(),
                  LocaleSettings(), folder / "no-companion");
    ExpectTextsFit(main);
    TDlgVersion version;
    ExpectTextsFit(version);
}

TEST_F(TextsFitTest, ScheduleDialogForEveryKind)
{
    TfrmSchedule dialog{LocaleSettings()};
    for (int kind = 0; kind < 3; ++kind) {
        dialog.RadioGrpIntvItems->button(kind)->click();
        ExpectTextsFit(dialog);
    }
}

TEST_F(TextsFitTest, WeekdayListShowsAllSevenDays)
{
    TfrmSchedule dialog{LocaleSettings()};
    dialog.RadioGrpIntvItems->button(1)->click();
    dialog.show();
    const QListWidget& days = *dialog.cxChckLstBxWk;
    ASSERT_EQ(days.count(), 7);
    const QFontMetrics metrics(days.font());
    for (int position = 0; position < days.count(); ++position) {
        const QListWidgetItem& day = *days.item(position);
        const QRect row = days.visualItemRect(&day);
        EXPECT_TRUE(days.viewport()->rect().contains(row)) << day.text().toStdString();
        EXPECT_LE(metrics.tightBoundingRect(day.text()).height(), row.height()) << day.text().toStdString();
        EXPECT_LE(metrics.horizontalAdvance(day.text()), row.width()) << day.text().toStdString();
    }
    // Nothing below covers the list.
    EXPECT_FALSE(days.geometry().intersects(dialog.cxTimeEd->geometry()));
    EXPECT_FALSE(days.geometry().intersects(dialog.Label1->geometry()));
}

TEST_F(TextsFitTest, SettingsWindowsAndDialogs)
{
    AddPair("/srv/data", "/mnt/backup");
    TfrmTrgList targetList;
    ExpectTextsFit(targetList);
    TOKRightDlg2 confirm;
    confirm.Label1->setText(QStringLiteral("削除しますか？"));
    ExpectTextsFit(confirm);
    TDlgPickFolder pickFolder;
    ExpectTextsFit(pickFolder);
}

TEST_F(TextsFitTest, HistoryWindowShowsTheWholeDate)
{
    Run("insert into m_log values ('/srv/data','/mnt/backup','2026/12/11 11:26')");
    TfrmLogList history;
    history.FormShow();
    ExpectTextsFit(history);
    history.show();
    const QTreeWidget& list = *history.ListViewBK;
    ASSERT_EQ(list.topLevelItemCount(), 1);
    const QRect cell = list.visualItemRect(list.topLevelItem(0));
    const int dateWidth = list.header()->sectionSize(2);
    const int margin = list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1;
    EXPECT_LE(QFontMetrics(list.font()).horizontalAdvance(QStringLiteral("2026/12/11 11:26")) + 2 * margin, dateWidth);
    EXPECT_GT(cell.height(), 0);
    // The user can widen the column.
    EXPECT_NE(list.header()->sectionResizeMode(2), QHeaderView::Fixed);
}

TEST_F(TextsFitTest, RowHeightsDoNotDependOnTheFirstRowsText)
{
    int heights[2] = {};
    const char* firstRows[] = {"('/srv/data','/mnt/backup','2026/12/11 11:26')", "('/写真','/バックアップ','2026/12/11 11:26')"};
    for (int order = 0; order < 2; ++order) {
        Run("delete from m_log");
        Run(std::string("insert into m_log values ") + firstRows[order]);
        Run(std::string("insert into m_log values ") + firstRows[1 - order]);
        TfrmLogList history;
        history.FormShow();
        history.show();
        const QTreeWidget& list = *history.ListViewBK;
        ASSERT_EQ(list.topLevelItemCount(), 2);
        const int first = list.visualItemRect(list.topLevelItem(0)).height();
        EXPECT_EQ(list.visualItemRect(list.topLevelItem(1)).height(), first);
        EXPECT_GE(first, QFontMetrics(list.font()).height());
        heights[order] = first;
    }
    EXPECT_EQ(heights[0], heights[1]);
}

}  // namespace
}  // namespace brellow
