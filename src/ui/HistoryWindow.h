#pragma once

#include "widgets/FormDialog.h"

class QPushButton;

namespace brellow {

class TStoreRowList;

// The backup history: every stored history row, and a button that deletes the selected
// ones at once. Each showing refills the list from the store.
class TfrmLogList : public TFormDialog {
    Q_OBJECT

public:
    explicit TfrmLogList(QWidget* parent = nullptr);

    void FormShow() override;
    void ReloadHistory();
    void cxButton1Click();

    TStoreRowList* ListViewBK;
    QPushButton* cxButton1;

private:
    // Makes the date column as wide as its longest text needs; the user may widen it more.
    void WidenDateColumn();
};

}  // namespace brellow
