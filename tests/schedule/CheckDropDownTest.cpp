#include <gtest/gtest.h>

#include "schedule/CheckDropDown.h"

using brellow::CheckDropDown;

TEST(CheckDropDownTest, TextNamesTheMarkedItemsInItemOrder)
{
    CheckDropDown dropDown({"1", "2", "3", "10", "15"});
    EXPECT_EQ(dropDown.DisplayText(), "None selected");
    EXPECT_EQ(dropDown.CheckedText(), "");

    struct Case {
        QString text;
        QString shown;
    };
    const Case cases[] = {
        {"15,1", "1,15"},
        {" 2 , 10", "2,10"},
        {"3,foo,,31", "3"},  // pieces that name no item mark nothing
        {"None selected", "None selected"},
        {"", "None selected"},
    };
    for (const Case& c : cases) {
        dropDown.SetChecked(4, true);  // replaced by every text
        dropDown.SetCheckedText(c.text);
        EXPECT_EQ(dropDown.DisplayText(), c.shown) << c.text.toStdString();
    }

    dropDown.SetCheckedText("1,2,3");
    dropDown.UncheckAll();
    EXPECT_EQ(dropDown.CheckedText(), "");
}
