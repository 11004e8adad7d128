#include "ui/ButtonStrip.h"

#include <QBoxLayout>
#include <QPushButton>

#include "widgets/WindowLook.h"

namespace brellow {

namespace {

const char* const kAddCaption = "追加";
const char* const kUpdateCaption = "更新";
const char* const kRemoveCaption = "削除";
const char* const kRegisterCaption = "登録";

}  // namespace

TFrmBtn2::TFrmBtn2(QWidget* parent)
    : QFrame(parent),
      btnnew(new QPushButton(QString::fromUtf8(kAddCaption), this)),
      btnupdate(new QPushButton(QString::fromUtf8(kUpdateCaption), this)),
      btnremove(new QPushButton(QString::fromUtf8(kRemoveCaption), this)),
      layout_(new QBoxLayout(QBoxLayout::LeftToRight, this))
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PaintFace(*this, QColor(227, 220, 228));
    layout_->setContentsMargins(3, 3, 3, 3);
    layout_->setSpacing(2);
    for (QPushButton* button : {btnnew, btnupdate, btnremove}) {
        button->setFixedSize(57, 17);
        button->setAutoDefault(false);
        layout_->addWidget(button);
    }
    connect(btnnew, &QPushButton::clicked, this, &TFrmBtn2::btnnewClick);
    connect(btnupdate, &QPushButton::clicked, this, &TFrmBtn2::btnupdateClick);
}

void TFrmBtn2::StackButtons()
{
    layout_->setDirection(QBoxLayout::TopToBottom);
    adjustSize();
}

void TFrmBtn2::SetButtonState(int state)
{
    const QString registerCaption = QString::fromUtf8(kRegisterCaption);
    switch (state) {
    case 0:
        btnnew->setText(registerCaption);
        btnupdate->setEnabled(false);
        btnremove->setEnabled(false);
        break;
    case 1:
        btnnew->setText(QString::fromUtf8(kAddCaption));
        btnupdate->setEnabled(true);
        btnremove->setEnabled(true);
        break;
    case 2:
        btnnew->setEnabled(false);
        btnupdate->setText(registerCaption);
        btnremove->setEnabled(false);
        break;
    case 3:
        btnnew->setEnabled(true);
        btnupdate->setText(QString::fromUtf8(kUpdateCaption));
        btnremove->setEnabled(true);
        break;
    case 4:
        btnnew->setEnabled(false);
        btnupdate->setEnabled(false);
        btnremove->setEnabled(false);
        break;
    case 5:
        btnnew->setEnabled(true);
        btnupdate->setEnabled(true);
        btnremove->setEnabled(true);
        break;
    default:
        break;
    }
}

void TFrmBtn2::ResetButtons()
{
    pending_ = false;
    btnnew->setText(QString::fromUtf8(kAddCaption));
    btnupdate->setText(QString::fromUtf8(kUpdateCaption));
    btnremove->setText(QString::fromUtf8(kRemoveCaption));
    SetButtonState(5);
}

void TFrmBtn2::btnnewClick()
{
    pending_ = !pending_;
    SetButtonState(pending_ ? 0 : 1);
}

void TFrmBtn2::btnupdateClick()
{
    pending_ = !pending_;
    SetButtonState(pending_ ? 2 : 3);
}

}  // namespace brellow
