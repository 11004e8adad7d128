#pragma once

#include "widgets/FormDialog.h"

class QPushButton;

namespace brellow {

class TDlgPickFolder;
class TFrmBtn2;
class TOKRightDlg2;
class TStoreRowList;

// The stored folder pairs, with Add, Update and Delete on its button strip and a button
// that opens the schedule dialog. Each showing refills the list from the store.
class TfrmTrgList : public TFormDialog {
    Q_OBJECT

public:
    explicit TfrmTrgList(QWidget* parent = nullptr);

    // The dialogs the buttons open; given once every window exists, before any showing.
    void UseDialogs(QDialog& schedule, TOKRightDlg2& confirm, TDlgPickFolder& pickFolder);

    void FormShow() override;
    void ReloadPairs();
    void FrmBtn21btnnewClick();
    void FrmBtn21btnupdateClick();
    void FrmBtn21btnremoveClick();
    void cxBtnscClick();

    TStoreRowList* ListViewBK;
    TFrmBtn2* FrmBtn21;
    QPushButton* cxBtnsc;

private:
    // Refills the list, showing an error in the error box.
    void RefillList();

    QDialog* schedule_ = nullptr;
    TOKRightDlg2* confirm_ = nullptr;
    TDlgPickFolder* pickFolder_ = nullptr;
};

}  // namespace brellow
