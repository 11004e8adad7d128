#include "ui/ConfirmationDialog.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "widgets/WindowLook.h"

namespace brellow {

TOKRightDlg2::TOKRightDlg2(QWidget* parent)
    : TFormDialog(parent),
      Label1(nullptr),
      OKBtn(new QPushButton(QStringLiteral("OK"), this)),
      btncancel(new QPushButton(QStringLiteral("キャンセル"), this))
{
    setWindowTitle(QStringLiteral("確認ダイアログ"));
    setFixedSize(339, 114);
    setFont(JapaneseUiFontPoints(8));
    PaintFace(*this, QColor(189, 235, 31));

    auto* questionFrame = new QFrame(this);
    questionFrame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    questionFrame->setGeometry(8, 8, 253, 98);
    Label1 = new QLabel(questionFrame);
    Label1->setFont(JapaneseUiFontPixels(16));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    Label1->setGeometry(8, 8, 237, 82);

    OKBtn->setGeometry(271, 18, 60, 27);
    btncancel->setGeometry(271, 64, 60, 27);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &TOKRightDlg2::OKBtnClick);
    connect(btncancel, &QPushButton::clicked, this, &TOKRightDlg2::btncancelClick);
    FitButtonsToText(*this);
}

void TOKRightDlg2::FormShow()
{
    CentreOnScreen(*this);
    refused_ = true;
}

void TOKRightDlg2::OKBtnClick()
{
    refused_ = false;
    Label1->clear();
    reject();
}

void TOKRightDlg2::btncancelClick()
{
    refused_ = true;
    Label1->clear();
    reject();
}

}  // namespace brellow
