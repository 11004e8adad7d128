#include <gtest/gtest.h>

#include <QPushButton>

#include <array>
#include <optional>

#include "WindowsTestSupport.h"
#include "ui/ButtonStrip.h"

using namespace brellow;

namespace {

// What a state does to one button; nothing set means the button is left as it was.
struct ButtonChange {
    std::optional<QString> caption;
    std::optional<bool> enabled;
};

struct StateCase {
    int state;
    std::array<ButtonChange, 3> changes;  // btnnew, btnupdate, btnremove
};

const QString kRegister = QStringLiteral("登録");

const StateCase kStates[] = {
    {0, {{{kRegister, {}}, {{}, false}, {{}, false}}}},
    {1, {{{QStringLiteral("追加"), {}}, {{}, true}, {{}, true}}}},
    {2, {{{{}, false}, {kRegister, {}}, {{}, false}}}},
    {3, {{{{}, true}, {QStringLiteral("更新"), {}}, {{}, true}}}},
    {4, {{{{}, false}, {{}, false}, {{}, false}}}},
    {5, {{{{}, true}, {{}, true}, {{}, true}}}},
    {6, {}},
    {-1, {}},
};

std::array<QPushButton*, 3> Buttons(TFrmBtn2& strip)
{
    return {strip.btnnew, strip.btnupdate, strip.btnremove};
}

}  // namespace

// Each state is applied from two starting points, so what it leaves alone shows too.
TEST(ButtonStripTest, EachStateChangesOnlyWhatItNames)
{
    for (const StateCase& row : kStates) {
        for (const bool startEnabled : {true, false}) {
            SCOPED_TRACE(::testing::Message() << "state " << row.state << ", buttons enabled " << startEnabled);
            TFrmBtn2 strip;
            for (QPushButton* button : Buttons(strip)) {
                button->setText(QStringLiteral("before"));
                button->setEnabled(startEnabled);
            }
            strip.SetButtonState(row.state);
            for (int index = 0; index < 3; ++index) {
                const ButtonChange& change = row.changes[index];
                const QPushButton* button = Buttons(strip)[index];
                EXPECT_EQ(button->text(), change.caption.value_or(QStringLiteral("before"))) << "button " << index;
                EXPECT_EQ(button->isEnabled(), change.enabled.value_or(startEnabled)) << "button " << index;
            }
        }
    }
}

TEST(ButtonStripTest, ClicksTogglePendingAndResetRestoresTheDesign)
{
    TFrmBtn2 strip;
    EXPECT_FALSE(strip.Pending());

    strip.btnnew->click();  // the strip's own handler
    EXPECT_TRUE(strip.Pending());
    EXPECT_EQ(strip.btnnew->text(), QStringLiteral("登録"));
    EXPECT_FALSE(strip.btnupdate->isEnabled());
    strip.btnnewClick();
    EXPECT_FALSE(strip.Pending());
    EXPECT_EQ(strip.btnnew->text(), QStringLiteral("追加"));
    EXPECT_TRUE(strip.btnupdate->isEnabled());

    strip.btnupdate->click();
    EXPECT_TRUE(strip.Pending());
    EXPECT_EQ(strip.btnupdate->text(), QStringLiteral("登録"));
    EXPECT_FALSE(strip.btnnew->isEnabled());

    strip.ResetButtons();
    EXPECT_FALSE(strip.Pending());
    for (QPushButton* button : Buttons(strip))
        EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(strip.btnnew->text(), QStringLiteral("追加"));
    EXPECT_EQ(strip.btnupdate->text(), QStringLiteral("更新"));
    EXPECT_EQ(strip.btnremove->text(), QStringLiteral("削除"));
}
