#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <functional>
#include <string>
#include <vector>

#include "WindowsTestSupport.h"
#include "widgets/StoreRowList.h"
#include "ui/FolderPairDialog.h"
#include "ui/TargetListWindow.h"
#include "ui/ButtonStrip.h"
#include "ui/ConfirmationDialog.h"

using namespace brellow;
using namespace brellow::testing;

namespace {

class TargetListWindowTest : public StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        window.UseDialogs(schedule, confirm, pickFolder);
    }

    Rows Listed() { return ListedRows(*window.ListViewBK); }
    void Select(std::initializer_list<int> positions) { SelectRows(*window.ListViewBK, positions); }
    // The strip as the user finds it: default captions, all enabled, nothing pending.
    void ExpectStripReset()
    {
        EXPECT_FALSE(window.FrmBtn21->Pending());
        EXPECT_EQ(window.FrmBtn21->btnnew->text(), QStringLiteral("追加"));
        EXPECT_EQ(window.FrmBtn21->btnupdate->text(), QStringLiteral("更新"));
        EXPECT_EQ(window.FrmBtn21->btnremove->text(), QStringLiteral("削除"));
        for (const QPushButton* button : {window.FrmBtn21->btnnew, window.FrmBtn21->btnupdate, window.FrmBtn21->btnremove})
            EXPECT_TRUE(button->isEnabled());
    }

    QDialog schedule;
    TOKRightDlg2 confirm;
    TDlgPickFolder pickFolder;
    TfrmTrgList window;
};

}  // namespace

TEST_F(TargetListWindowTest, EachShowingListsThePairsInStoreOrder)
{
    AddPair("/z", "/copy of z");
    AddPair("/a", "/copy of a");
    window.show();
    EXPECT_EQ(Listed(), (Rows{{"/z", "/copy of z"}, {"/a", "/copy of a"}}));

    window.hide();
    AddPair("/m", "/copy of m");
    window.show();
    EXPECT_EQ(Listed(), (Rows{{"/z", "/copy of z"}, {"/a", "/copy of a"}, {"/m", "/copy of m"}}));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(TargetListWindowTest, AStoreThatCannotBeReadLeavesTheListEmptyWithAnError)
{
    AddPair("/a", "/b");
    window.show();
    window.hide();
    BreakStore();
    window.show();
    EXPECT_EQ(Listed(), Rows{});
    ExpectOneErrorBox();
    EXPECT_TRUE(window.isVisible());
}

TEST_F(TargetListWindowTest, AddShowsThePendingStripAndListsTheStoredPair)
{
    AddPair("/a", "/b");
    window.show();
    OnShow answer(pickFolder, [&] {
        EXPECT_FALSE(pickFolder.EditMode());
        EXPECT_EQ(window.FrmBtn21->btnnew->text(), QStringLiteral("登録"));
        EXPECT_FALSE(window.FrmBtn21->btnupdate->isEnabled());
        EXPECT_FALSE(window.FrmBtn21->btnremove->isEnabled());
        pickFolder.EditFolder->setText(QStringLiteral("/new"));
        pickFolder.EditFile->setText(QStringLiteral("/new copy"));
        pickFolder.OKBtn->click();
    });
    window.FrmBtn21->btnnew->click();
    EXPECT_EQ(answer.Shows(), 1);
    ExpectStripReset();
    EXPECT_EQ(Listed(), (Rows{{"/a", "/b"}, {"/new", "/new copy"}}));
}

TEST_F(TargetListWindowTest, UpdateOpensTheTopmostSelectedPair)
{
    const std::string source = MakeFolder("source");
    const std::string destination = MakeFolder("copy");
    AddPair("/first", "/first copy");
    AddPair(source, destination);
    AddPair("/third", "/third copy");
    window.show();
    Select({2, 1});

    OnShow answer(pickFolder, [&] {
        EXPECT_TRUE(pickFolder.EditMode());
        EXPECT_EQ(pickFolder.EditFolder->text().toStdString(), source);
        EXPECT_EQ(pickFolder.EditFile->text().toStdString(), destination);
        EXPECT_EQ(window.FrmBtn21->btnupdate->text(), QStringLiteral("登録"));
        EXPECT_FALSE(window.FrmBtn21->btnnew->isEnabled());
        EXPECT_FALSE(window.FrmBtn21->btnremove->isEnabled());
        pickFolder.EditFile->setText(QStringLiteral("/new copy"));
        pickFolder.OKBtn->click();
    });
    window.FrmBtn21->btnupdate->click();
    EXPECT_EQ(answer.Shows(), 1);
    ExpectStripReset();
    EXPECT_EQ(Listed(), (Rows{{"/first", "/first copy"}, {"/third", "/third copy"}, {source, "/new copy"}}));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(TargetListWindowTest, UpdateWithNothingSelectedOpensNothing)
{
    AddPair("/a", "/b");
    window.show();
    OnShow answer(pickFolder, [&] { pickFolder.CancelBtn->click(); });
    window.FrmBtn21->btnupdate->click();
    EXPECT_EQ(answer.Shows(), 0);
    EXPECT_FALSE(pickFolder.EditMode());
    ExpectStripReset();
    EXPECT_TRUE(boxes.empty());
}

TEST_F(TargetListWindowTest, DeleteRemovesEveryEqualStoredPairAndEveryItemShowingIt)
{
    AddPair("/a", "/b");
    AddPair("/keep", "/kept");
    AddPair("/a", "/b");
    AddPair("/c", "/d");
    window.show();
    Select({2, 3});

    OnShow answer(confirm, [&] {
        EXPECT_EQ(confirm.Label1->text(), QStringLiteral("削除しますか？"));
        confirm.OKBtn->click();
    });
    window.FrmBtn21->btnremove->click();
    EXPECT_EQ(answer.Shows(), 1);
    EXPECT_EQ(Pairs(), (Rows{{"/keep", "/kept"}}));
    EXPECT_EQ(Listed(), Pairs());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(TargetListWindowTest, DeclinedOrEmptyDeletesChangeNothing)
{
    const struct {
        const char* answer;
        bool selectFirst;
        std::function<void(TOKRightDlg2&)> give;
    } cases[] = {
        {"キャンセル", true, [](TOKRightDlg2& dialog) { dialog.btncancel->click(); }},
        {"close box", true, [](TOKRightDlg2& dialog) { dialog.close(); }},
        {"OK with nothing selected", false, [](TOKRightDlg2& dialog) { dialog.OKBtn->click(); }},
    };
    AddPair("/a", "/b");
    AddPair("/c", "/d");
    const Rows all{{"/a", "/b"}, {"/c", "/d"}};
    window.show();
    for (const auto& row : cases) {
        SCOPED_TRACE(row.answer);
        if (row.selectFirst)
            Select({0});
        else
            Select({});
        OnShow answer(confirm, [&] { row.give(confirm); });
        window.FrmBtn21->btnremove->click();
        EXPECT_EQ(answer.Shows(), 1);
        EXPECT_EQ(Pairs(), all);
        EXPECT_EQ(Listed(), all);
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(TargetListWindowTest, AFailedDeleteIsRolledBackReportedAndTheListRefilled)
{
    AddPair("/a", "/b");
    AddPair("/locked", "/l");
    AddPair("/c", "/d");
    Run("create trigger keep before delete on m_bkup when old.target_folder = '/locked' "
        "begin select raise(abort, 'the row is locked'); end");
    window.show();
    Select({0, 1, 2});

    OnShow answer(confirm, [&] { confirm.OKBtn->click(); });
    window.FrmBtn21->btnremove->click();
    const Rows all{{"/a", "/b"}, {"/locked", "/l"}, {"/c", "/d"}};
    EXPECT_EQ(Pairs(), all);
    EXPECT_EQ(Listed(), all);
    ExpectOneErrorBox(QStringLiteral("the row is locked"));
    // The transaction and its connection are gone: the store takes writes again.
    AddPair("/later", "/later");
    EXPECT_EQ(Pairs().size(), 4u);
}

TEST_F(TargetListWindowTest, DeleteMatchesStoredTextsByteForByte)
{
    Run("insert into m_bkup values (cast(x'2f6261ff64' as text), '/copy')");  // "/ba\xFFd", not UTF-8
    AddPair("/c", "/d");
    window.show();
    Select({0});
    OnShow answer(confirm, [&] { confirm.OKBtn->click(); });
    window.FrmBtn21->btnremove->click();
    EXPECT_EQ(Pairs(), (Rows{{"/c", "/d"}}));
}

TEST_F(TargetListWindowTest, TheScheduleButtonOpensTheScheduleDialog)
{
    window.show();
    OnShow answer(schedule, [&] { schedule.reject(); });
    window.cxBtnsc->click();
    EXPECT_EQ(answer.Shows(), 1);
}
