#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>

#include <stdexcept>
#include <vector>

#include "CapturedBoxes.h"
#include "widgets/MessageBoxes.h"

namespace brellow {
namespace {

class ErrorBoxTest : public ::testing::Test {
protected:
    testing::CapturedBoxes captured;
    std::vector<testing::CapturedBoxes::Box>& boxes = captured.boxes;
};

TEST(ErrorBoxText, AppendsAFullStopOnlyAfterACharacterThatSortsAboveIt)
{
    const struct {
        const char* message;
        const char* shown;
    } cases[] = {
        {"disk I/O error", "disk I/O error."},
        {"unable to open database file.", "unable to open database file."},
        {"no such table!", "no such table!"},         // '!' sorts below '.'
        {"range 1-", "range 1-"},                     // '-' sorts below '.'
        {"path /", "path /."},                        // '/' sorts just above '.'
        {"データベースを開けません", "データベースを開けません."},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorBoxText(QString::fromUtf8(c.message)), QString::fromUtf8(c.shown)) << c.message;
}

TEST(ProgramTitle, IsTheFileNameUpToItsFirstDotWithTheRestLowerCase)
{
    const struct {
        const char* fileName;
        const char* title;
    } cases[] = {
        {"Brellow2", "Brellow2"},
        {"BRELLOW2.EXE", "Brellow2"},
        {"brellow2", "brellow2"},
        {"Back.up.tool", "Back"},
        {"ÉCOLE", "École"},
        {".hidden", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgramTitleOf(QString::fromUtf8(c.fileName)), QString::fromUtf8(c.title)) << c.fileName;
    EXPECT_EQ(ProgramTitle(), QStringLiteral("widgets_tests"));
}

// An object whose event handler fails the way a store error would.
class FailingHandler : public QObject {
public:
    int handled = 0;
    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        ++handled;
        if (handled == 1)
            throw std::runtime_error("unable to open database file");
        return true;
    }
};

TEST_F(ErrorBoxTest, AnErrorLeavingAHandlerIsShownAndTheProgramGoesOn)
{
    FailingHandler handler;
    QCoreApplication::postEvent(&handler, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&handler, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents(&handler);

    EXPECT_EQ(handler.handled, 2);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes[0].caption, QStringLiteral("widgets_tests"));
    EXPECT_EQ(boxes[0].text, QStringLiteral("unable to open database file."));
}

TEST_F(ErrorBoxTest, PlainBoxHasNoIconAndTheProgramTitle)
{
    ShowPlainBox(QStringLiteral("バックアップ終了"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(boxes[0].caption, QStringLiteral("widgets_tests"));
    EXPECT_EQ(boxes[0].text, QStringLiteral("バックアップ終了"));
}

}  // namespace
}  // namespace brellow
