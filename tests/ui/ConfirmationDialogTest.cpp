#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include <functional>

#include "WindowsTestSupport.h"
#include "ui/ConfirmationDialog.h"

using namespace brellow;
using brellow::testing::OnShow;

TEST(ConfirmationDialogTest, AnswersSetRefusedAndTheLabel)
{
    struct Case {
        const char* answer;
        std::function<void(TOKRightDlg2&)> give;
        bool refused;
        QString labelAfter;
    };
    const Case cases[] = {
        {"OK", [](TOKRightDlg2& dialog) { dialog.OKBtn->click(); }, false, QString()},
        {"キャンセル", [](TOKRightDlg2& dialog) { dialog.btncancel->click(); }, true, QString()},
        {"close box", [](TOKRightDlg2& dialog) { dialog.close(); }, true, QStringLiteral("消しますか")},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.answer);
        TOKRightDlg2 dialog;
        // A previous OK must not carry over: each showing starts refused.
        {
            OnShow accept(dialog, [&] { dialog.OKBtn->click(); });
            dialog.exec();
        }
        ASSERT_FALSE(dialog.Refused());

        OnShow answer(dialog, [&] {
            EXPECT_TRUE(dialog.Refused());
            row.give(dialog);
        });
        dialog.Label1->setText(QStringLiteral("消しますか"));
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
        EXPECT_EQ(answer.Shows(), 1);
        EXPECT_EQ(dialog.Refused(), row.refused);
        EXPECT_EQ(dialog.Label1->text(), row.labelAfter);
    }
}
