#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "ui/VersionDialog.h"

namespace brellow {
namespace {

TEST(VersionDialog, ShowsNameVersionLogoAndMakersLines)
{
    TDlgVersion dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(dialog.size(), QSize(273, 195));
    EXPECT_EQ(dialog.ProductName->text(), QStringLiteral("ブレロウⅡ"));
    EXPECT_EQ(dialog.Version->text(), QStringLiteral("バージョン\u3000Ver1.0"));
    EXPECT_FALSE(dialog.Copyright->text().isEmpty());
    EXPECT_TRUE(dialog.Comments->text().startsWith(QLatin1Char('(')));
    EXPECT_TRUE(dialog.Comments->text().endsWith(QLatin1Char(')')));
    EXPECT_EQ(dialog.ProgramIcon->pixmap().size(), QSize(80, 80));
    EXPECT_EQ(dialog.ProgramIcon->size(), QSize(60, 53));
}

TEST(VersionDialog, ClosesWithOkByEnterOrButton)
{
    const struct {
        const char* how;
        std::function<void(TDlgVersion&)> close;
    } ways[] = {
        {"Enter", [](TDlgVersion& d) { QTest::keyClick(&d, Qt::Key_Return); }},
        {"OK button", [](TDlgVersion& d) { d.OKButton->click(); }},
    };
    for (const auto& way : ways) {
        TDlgVersion dialog;
        dialog.show();
        way.close(dialog);
        EXPECT_FALSE(dialog.isVisible()) << way.how;
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << way.how;
    }
}

}  // namespace
}  // namespace brellow
