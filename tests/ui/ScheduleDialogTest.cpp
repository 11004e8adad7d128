#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ScheduleStoreTest.h"
#include "store/Store.h"
#include "ui/ScheduleDialog.h"
#include "widgets/CheckDropDown.h"
#include "widgets/MessageBoxes.h"

using namespace brellow;

namespace {

LocaleSettings TwelveHourLocale()
{
    LocaleSettings locale;
    locale.longTimePattern = "ampm h:nn:ss";
    locale.amMarker = "午前";
    locale.pmMarker = "午後";
    return locale;
}

LocaleSettings NoLeadingZeroLocale()
{
    LocaleSettings locale;
    locale.longTimePattern = "h:nn:ss";
    return locale;
}

class ScheduleDialogTest : public brellow::testing::ScheduleStoreTest {
protected:
    void SetUp() override
    {
        ScheduleStoreTest::SetUp();
        SetMessageBoxHandlerForTesting(
            [this](QMessageBox::Icon, const QString&, const QString& text) { boxes.push_back(text.toStdString()); });
        SetQuestionHandlerForTesting([this](const QString& text) {
            questions.push_back(text.toStdString());
            return saveAnyway;
        });
    }
    void TearDown() override
    {
        SetQuestionHandlerForTesting({});
        SetMessageBoxHandlerForTesting({});
        ScheduleStoreTest::TearDown();
    }

    // Opens the dialog as the target list does; showing it runs FormShow.
    static void Open(TfrmSchedule& dialog)
    {
        dialog.open();
        ASSERT_TRUE(dialog.isVisible());
    }

    static std::vector<int> MarkedWeekdays(const TfrmSchedule& dialog)
    {
        std::vector<int> marked;
        for (int position = 0; position < dialog.cxChckLstBxWk->count(); ++position) {
            if (dialog.cxChckLstBxWk->item(position)->checkState() == Qt::Checked)
                marked.push_back(position);
        }
        return marked;
    }

    static void MarkWeekday(TfrmSchedule& dialog, int position)
    {
        dialog.cxChckLstBxWk->item(position)->setCheckState(Qt::Checked);
    }

    // Marks a day the way a user does: open the list, click the item.
    static void ClickDay(TfrmSchedule& dialog, int day)
    {
        CheckDropDown& days = *dialog.cxChkCmbBDay;
        days.showPopup();
        const QModelIndex index = days.view()->model()->index(day - 1, 0);
        days.view()->scrollTo(index);
        QTest::mouseClick(days.view()->viewport(), Qt::LeftButton, {}, days.view()->visualRect(index).center());
    }

    std::vector<std::string> boxes;
    std::vector<std::string> questions;
    bool saveAnyway = true;
};

}  // namespace

TEST_F(ScheduleDialogTest, RoundTripForEachKind)
{
    struct Case {
        LocaleSettings locale;
        std::vector<std::string> stored;  // kind, week, month, time
        int interval;
        QTime time;
        std::vector<int> weekdays;
        QString dayText;
        std::string saved;
    };
    const Case cases[] = {
        {LocaleSettings(), {"0", "", "", "12:00:00"}, 0, QTime(12, 0, 0), {}, "None selected", "0|||12:00:00"},
        {NoLeadingZeroLocale(), {"1", "0,6", "", "7:05:00"}, 1, QTime(7, 5, 0), {0, 6}, "None selected", "1|0,6||7:05:00"},
        {LocaleSettings(), {"2", "", "1,15", "23:59:59"}, 2, QTime(23, 59, 59), {}, "1,15", "2||1,15|23:59:59"},
        {LocaleSettings(), {"7", "", "31", "00:00:01"}, 2, QTime(0, 0, 1), {}, "31", "2||31|00:00:01"},
        {TwelveHourLocale(), {"0", "", "", "午後 1:30:00"}, 0, QTime(13, 30, 0), {}, "None selected", "0|||午後 1:30:00"},
        // written before the user's settings changed
        {TwelveHourLocale(), {"0", "", "", "08:15:00"}, 0, QTime(8, 15, 0), {}, "None selected", "0|||午前 8:15:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.saved);
        StoreSchedule(c.stored[0], c.stored[1], c.stored[2], c.stored[3]);
        TfrmSchedule dialog(c.locale);
        Open(dialog);
        EXPECT_TRUE(boxes.empty());
        EXPECT_EQ(dialog.IntervalIndex(), c.interval);
        EXPECT_EQ(dialog.cxTimeEd->time(), c.time);
        EXPECT_EQ(MarkedWeekdays(dialog), c.weekdays);
        EXPECT_EQ(dialog.cxChkCmbBDay->DisplayText(), c.dayText);
        EXPECT_EQ(dialog.cxChckLstBxWk->isVisibleTo(&dialog), c.interval == 1);
        EXPECT_EQ(dialog.cxChkCmbBDay->isVisibleTo(&dialog), c.interval == 2);

        dialog.OKBtn->click();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(StoredRows(), std::vector<std::string>{c.saved});
    }
}

TEST_F(ScheduleDialogTest, RadioItemsShowTheirControls)
{
    TfrmSchedule dialog{LocaleSettings()};
    Open(dialog);
    struct Case {
        int index;
        bool weekdays;
        bool days;
    };
    for (const Case c : {Case{1, true, false}, Case{2, false, true}, Case{0, false, false}}) {
        dialog.RadioGrpIntvItems->button(c.index)->click();
        EXPECT_EQ(dialog.cxChckLstBxWk->isVisible(), c.weekdays) << c.index;
        EXPECT_EQ(dialog.cxBtnWkClr->isVisible(), c.weekdays) << c.index;
        EXPECT_EQ(dialog.cxChkCmbBDay->isVisible(), c.days) << c.index;
        EXPECT_EQ(dialog.cxBtnDayClr->isVisible(), c.days) << c.index;
        EXPECT_TRUE(dialog.cxTimeEd->isVisible());
    }
}

TEST_F(ScheduleDialogTest, WeekdayMarksAddUpAcrossOpeningsAndDayMarksAreReplaced)
{
    TfrmSchedule dialog{LocaleSettings()};
    MarkWeekday(dialog, 1);  // marked by the user, never saved
    dialog.cxChkCmbBDay->SetCheckedText("1,2");
    StoreSchedule("1", "0,6", "", "12:00:00");
    Open(dialog);
    EXPECT_EQ(MarkedWeekdays(dialog), (std::vector<int>{0, 1, 6}));
    dialog.CancelBtn->click();

    StoreSchedule("1", "3", "", "12:00:00");
    Open(dialog);
    EXPECT_EQ(MarkedWeekdays(dialog), (std::vector<int>{0, 1, 3, 6}));
    dialog.OKBtn->click();
    EXPECT_EQ(StoredRows(), std::vector<std::string>{"1|0,1,3,6||12:00:00"});

    StoreSchedule("2", "", "5", "12:00:00");
    Open(dialog);
    EXPECT_EQ(dialog.cxChkCmbBDay->DisplayText(), "5");
    EXPECT_EQ(MarkedWeekdays(dialog), (std::vector<int>{0, 1, 3, 6}));  // hidden, kept
}

TEST_F(ScheduleDialogTest, DaysMarkedInAnyOrderAreSavedAscending)
{
    TfrmSchedule dialog{LocaleSettings()};
    Open(dialog);
    dialog.RadioGrpIntvItems->button(2)->click();
    for (const int day : {31, 2, 10})
        ClickDay(dialog, day);
    EXPECT_TRUE(dialog.cxChkCmbBDay->view()->isVisible());  // the list stays open while marking
    dialog.cxChkCmbBDay->hidePopup();
    EXPECT_EQ(dialog.cxChkCmbBDay->DisplayText(), "2,10,31");

    dialog.OKBtn->click();
    EXPECT_EQ(StoredRows(), std::vector<std::string>{"2||2,10,31|12:00:00"});
}

TEST_F(ScheduleDialogTest, ClearedListsSaveEmptyLists)
{
    TfrmSchedule dialog{LocaleSettings()};
    StoreSchedule("2", "", "3,4", "12:00:00");
    Open(dialog);
    dialog.cxBtnDayClr->click();
    EXPECT_EQ(dialog.cxChkCmbBDay->DisplayText(), "None selected");
    dialog.OKBtn->click();
    EXPECT_EQ(StoredRows(), std::vector<std::string>{"2|||12:00:00"});  // not "None selected"

    StoreSchedule("1", "2,5", "", "12:00:00");
    Open(dialog);
    dialog.cxBtnWkClr->click();
    EXPECT_TRUE(MarkedWeekdays(dialog).empty());
    dialog.OKBtn->click();
    EXPECT_EQ(StoredRows(), std::vector<std::string>{"1|||12:00:00"});
}

TEST_F(ScheduleDialogTest, AScheduleThatCanNeverRunIsSavedOnlyWhenTheUserSaysSo)
{
    TfrmSchedule dialog{LocaleSettings()};
    const struct {
        int kind;
        const char* saved;
    } cases[] = {{1, "1|||12:00:00"}, {2, "2|||12:00:00"}};
    for (const auto& c : cases) {
        StoreSchedule("0", "", "", "12:00:00");
        Open(dialog);
        dialog.cxBtnWkClr->click();
        dialog.cxBtnDayClr->click();
        dialog.RadioGrpIntvItems->button(c.kind)->click();

        questions.clear();
        saveAnyway = false;
        dialog.OKBtn->click();
        ASSERT_EQ(questions.size(), 1u) << c.kind;
        EXPECT_NE(questions[0].find("一度も実行されません"), std::string::npos);
        EXPECT_TRUE(dialog.isVisible()) << "going back keeps the dialog open";
        EXPECT_EQ(StoredRows(), std::vector<std::string>{"0|||12:00:00"});

        saveAnyway = true;
        dialog.OKBtn->click();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(StoredRows(), std::vector<std::string>{c.saved});
    }

    // A schedule with a day to run on, or a daily one, is saved without a question.
    questions.clear();
    for (int kind : {0, 1, 2}) {
        Open(dialog);
        MarkWeekday(dialog, 3);
        dialog.cxChkCmbBDay->SetChecked(4, true);
        dialog.RadioGrpIntvItems->button(kind)->click();
        dialog.OKBtn->click();
        EXPECT_FALSE(dialog.isVisible());
    }
    EXPECT_TRUE(questions.empty());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ScheduleDialogTest, CancelLeavesTheStoreAlone)
{
    const std::vector<std::function<void(TfrmSchedule&)>> ways = {
        [](TfrmSchedule& dialog) { dialog.CancelBtn->click(); },
        [](TfrmSchedule& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); },
        [](TfrmSchedule& dialog) { dialog.close(); },
    };
    for (const auto& cancel : ways) {
        StoreSchedule("1", "2", "", "06:30:00");
        TfrmSchedule dialog{LocaleSettings()};
        Open(dialog);
        dialog.RadioGrpIntvItems->button(2)->click();
        dialog.cxTimeEd->setTime(QTime(18, 0, 0));
        MarkWeekday(dialog, 4);
        dialog.cxChkCmbBDay->SetChecked(8, true);

        cancel(dialog);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(StoredRows(), std::vector<std::string>{"1|2||06:30:00"});

        // The next opening sets kind, time and stored weekdays; the user's marks stay.
        Open(dialog);
        EXPECT_EQ(dialog.IntervalIndex(), 1);
        EXPECT_EQ(dialog.cxTimeEd->time(), QTime(6, 30, 0));
        EXPECT_EQ(MarkedWeekdays(dialog), (std::vector<int>{2, 4}));
        EXPECT_EQ(dialog.cxChkCmbBDay->DisplayText(), "9");
    }
}

TEST_F(ScheduleDialogTest, ErrorWhileOpeningIsShownAndTheDialogOpensAsItWas)
{
    struct Case {
        std::function<void()> arrange;
        std::string box;  // the box shows this text, or a text that holds it
        QTime time;  // set by the steps before the failing one
    };
    const Case cases[] = {
        {[] { OpenStore()->RunStatement(Sql::kScheduleClear); }, "'' は有効な時刻ではありません.", QTime(0, 0, 0)},
        {[this] { StoreSchedule("2", "", "1", "noon"); }, "'noon' は有効な時刻ではありません.", QTime(0, 0, 0)},
        {[this] { StoreSchedule("1", "x", "", "09:00:00"); }, "'x' は有効な整数ではありません.", QTime(9, 0, 0)},
        {[this] { StoreSchedule("1", "9", "", "09:00:00"); }, "曜日の番号が範囲外です (9)", QTime(9, 0, 0)},
        {[this] { SetStorePathForTesting(folder / "missing/qzbackup.db"); }, "unable to open database file.",
         QTime(0, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        SetStorePathForTesting(folder / "qzbackup.db");
        TfrmSchedule dialog{LocaleSettings()};
        dialog.RadioGrpIntvItems->button(2)->click();
        dialog.cxChkCmbBDay->SetChecked(19, true);
        c.arrange();
        boxes.clear();

        Open(dialog);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].find(c.box), std::string::npos) << boxes[0];
        EXPECT_EQ(dialog.cxChkCmbBDay->DisplayText(), "20");
        EXPECT_EQ(dialog.cxTimeEd->time(), c.time);
    }
}

TEST_F(ScheduleDialogTest, FailedSaveKeepsTheOldRowAndStillCloses)
{
    StoreSchedule("1", "1,3", "", "08:00:00");
    OpenStore()->RunStatement(
        "create trigger refuse before insert on m_schedule begin select raise(abort, 'insert refused'); end");
    TfrmSchedule dialog{LocaleSettings()};
    Open(dialog);
    dialog.RadioGrpIntvItems->button(0)->click();

    dialog.OKBtn->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("insert refused"), std::string::npos);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(StoredRows(), std::vector<std::string>{"1|1,3||08:00:00"});
}
