#include "ui/TargetListWindow.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>

#include <memory>

#include "store/StoreOperations.h"
#include "ui/ButtonStrip.h"
#include "ui/ConfirmationDialog.h"
#include "ui/FolderPairDialog.h"
#include "widgets/MessageBoxes.h"
#include "widgets/StoreRowList.h"
#include "widgets/WindowLook.h"

namespace brellow {

TfrmTrgList::TfrmTrgList(QWidget* parent)
    : TFormDialog(parent),
      ListViewBK(new TStoreRowList({QStringLiteral("バックアップ対象"), QStringLiteral("保存先")}, this)),
      FrmBtn21(new TFrmBtn2(this)),
      cxBtnsc(new QPushButton(QStringLiteral("スケジュール設定"), this))
{
    setWindowTitle(QStringLiteral("バックアップ設定（対象リスト）"));
    resize(525, 324);
    UseWindowFont(*this);
    PaintFace(*this, QColor(222, 221, 190));

    ListViewBK->setGeometry(8, 8, 409, 289);
    ListViewBK->header()->setSectionResizeMode(QHeaderView::Stretch);

    FitButtonsToText(*FrmBtn21);
    FrmBtn21->StackButtons();
    FrmBtn21->move(425, 8);
    cxBtnsc->setGeometry(425, FrmBtn21->geometry().bottom() + 9, 90, 25);
    cxBtnsc->setAutoDefault(false);
    FitButtonsToText(*this);

    // The window's handlers take the place of the strip's own ones.
    for (QPushButton* button : {FrmBtn21->btnnew, FrmBtn21->btnupdate, FrmBtn21->btnremove})
        disconnect(button, nullptr, FrmBtn21, nullptr);
    connect(FrmBtn21->btnnew, &QPushButton::clicked, this, &TfrmTrgList::FrmBtn21btnnewClick);
    connect(FrmBtn21->btnupdate, &QPushButton::clicked, this, &TfrmTrgList::FrmBtn21btnupdateClick);
    connect(FrmBtn21->btnremove, &QPushButton::clicked, this, &TfrmTrgList::FrmBtn21btnremoveClick);
    connect(cxBtnsc, &QPushButton::clicked, this, &TfrmTrgList::cxBtnscClick);
}

void TfrmTrgList::UseDialogs(QDialog& schedule, TOKRightDlg2& confirm, TDlgPickFolder& pickFolder)
{
    schedule_ = &schedule;
    confirm_ = &confirm;
    pickFolder_ = &pickFolder;
}

void TfrmTrgList::FormShow()
{
    RefillList();
}

void TfrmTrgList::RefillList()
{
    ReportErrors([this] { ReloadPairs(); });
}

void TfrmTrgList::ReloadPairs()
{
    ListViewBK->clear();
    for (const FolderPair& pair : StoredPairs())
        ListViewBK->AddRow({pair.target_folder, pair.bkup_folder});
}

void TfrmTrgList::FrmBtn21btnnewClick()
{
    FrmBtn21->btnnewClick();
    pickFolder_->exec();
    FrmBtn21->ResetButtons();
    RefillList();
}

void TfrmTrgList::FrmBtn21btnupdateClick()
{
    FrmBtn21->btnupdateClick();
    const QTreeWidgetItem* topmostSelected = nullptr;
    for (int index = ListViewBK->topLevelItemCount() - 1; index >= 0; --index) {
        if (ListViewBK->topLevelItem(index)->isSelected())
            topmostSelected = ListViewBK->topLevelItem(index);
    }
    if (topmostSelected == nullptr) {
        FrmBtn21->ResetButtons();
        return;
    }
    const std::vector<std::string> pair = ListViewBK->RowTexts(*topmostSelected);
    pickFolder_->BeginEdit(pair[0], pair[1]);
    pickFolder_->exec();
    FrmBtn21->ResetButtons();
    RefillList();
}

void TfrmTrgList::FrmBtn21btnremoveClick()
{
    confirm_->Label1->setText(QStringLiteral("削除しますか？"));
    confirm_->exec();
    if (confirm_->Refused())
        return;
    ListViewBK->TakeOutSelectedRows(
        [](const std::vector<std::vector<std::string>>& texts) {
            std::vector<FolderPair> pairs;
            for (const std::vector<std::string>& pair : texts)
                pairs.push_back(FolderPair{pair[0], pair[1]});
            DeletePairs(pairs);
        },
        [this] { ReloadPairs(); });
}

void TfrmTrgList::cxBtnscClick()
{
    schedule_->exec();
}

}  // namespace brellow
