#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QTest>

#include "widgets/CheckDropDown.h"

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

TEST(CheckDropDownTest, OnlyAWholeClickInTheOpenListMarksAnItem)
{
    CheckDropDown dropDown({"1", "2", "3"});
    dropDown.showPopup();
    QWidget* list = dropDown.view()->viewport();
    const QPoint first = dropDown.view()->visualRect(dropDown.model()->index(0, 0)).center();
    const QPoint second = dropDown.view()->visualRect(dropDown.model()->index(1, 0)).center();

    // The release of the click that opened the list lands on the item under the mouse.
    QTest::mouseRelease(list, Qt::LeftButton, {}, first);
    EXPECT_EQ(dropDown.CheckedText(), "");

    QTest::mouseClick(list, Qt::LeftButton, {}, second);
    EXPECT_EQ(dropDown.CheckedText(), "2");
    EXPECT_TRUE(dropDown.view()->isVisible());  // stays open for the next day

    QTest::mousePress(list, Qt::LeftButton, {}, first);
    QTest::mouseRelease(list, Qt::LeftButton, {}, second);  // dragged off: no mark
    EXPECT_EQ(dropDown.CheckedText(), "2");
    dropDown.hidePopup();
}
