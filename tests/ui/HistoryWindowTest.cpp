#include <gtest/gtest.h>

#include <QPushButton>

#include <string>
#include <vector>

#include "WindowsTestSupport.h"
#include "store/Store.h"
#include "ui/HistoryWindow.h"
#include "widgets/StoreRowList.h"

using namespace brellow;
using namespace brellow::testing;

namespace {

class HistoryWindowTest : public StoreFixture {
protected:
    void AddHistory(const std::string& target, const std::string& destination, const std::string& date)
    {
        Run(Sql::HistoryInsert({target, destination, date}));
    }
    Rows Listed() { return ListedRows(*window.ListViewBK); }
    void Select(std::initializer_list<int> positions) { SelectRows(*window.ListViewBK, positions); }

    TfrmLogList window;
};

}  // namespace

TEST_F(HistoryWindowTest, EachShowingListsTheHistoryInStoreOrder)
{
    AddHistory("/z", "/copy", "2024/03/05 09:07");
    AddHistory("/a", "/copy", "2024/03/04 10:00");
    window.show();
    EXPECT_EQ(Listed(), (Rows{{"/z", "/copy", "2024/03/05 09:07"}, {"/a", "/copy", "2024/03/04 10:00"}}));

    window.hide();
    AddHistory("/m", "/copy", "2024/03/06 08:00");
    window.show();
    EXPECT_EQ(Listed().size(), 3u);

    window.hide();
    BreakStore();
    window.show();
    EXPECT_EQ(Listed(), Rows{});
    ExpectOneErrorBox();
}

TEST_F(HistoryWindowTest, DeleteRemovesTheSelectedRowsAtOnce)
{
    AddHistory("/a", "/copy", "2024/03/05 09:07");
    AddHistory("/b", "/copy", "2024/03/05 09:07");
    AddHistory("/a", "/copy", "2024/03/05 09:07");
    AddHistory("/c", "/copy", "2024/03/05 09:07");
    AddHistory("/d", "/copy", "2024/03/05 09:07");
    window.show();

    // Nothing selected: nothing changes.
    window.cxButton1->click();
    EXPECT_EQ(History().size(), 5u);

    Select({2, 3});
    window.cxButton1->click();
    EXPECT_EQ(History(), (Rows{{"/b", "/copy", "2024/03/05 09:07"}, {"/d", "/copy", "2024/03/05 09:07"}}));
    // The unselected twin of a deleted row is gone from the store, and from the list.
    EXPECT_EQ(Listed(), History());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(HistoryWindowTest, AFailedDeleteIsRolledBackReportedAndTheListRefilled)
{
    AddHistory("/a", "/copy", "2024/03/05 09:07");
    AddHistory("/locked", "/copy", "2024/03/05 09:08");
    Run("create trigger keep before delete on m_log when old.target_folder = '/locked' "
        "begin select raise(abort, 'the row is locked'); end");
    window.show();
    Select({0, 1});

    window.cxButton1->click();
    const Rows all{{"/a", "/copy", "2024/03/05 09:07"}, {"/locked", "/copy", "2024/03/05 09:08"}};
    EXPECT_EQ(History(), all);
    EXPECT_EQ(Listed(), all);
    ExpectOneErrorBox(QStringLiteral("the row is locked"));
    AddHistory("/later", "/copy", "2024/03/06 09:00");
    EXPECT_EQ(History().size(), 3u);
}
