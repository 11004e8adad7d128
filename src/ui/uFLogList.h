#pragma once

#include <QDialog>

class QPushButton;
class QShowEvent;

namespace brellow {

class TStoreRowList;

// The backup history: every stored history row, and a button that deletes the selected
// ones at once. Each showing refills the list from the store.
class TfrmLogList : public QDialog {
    Q_OBJECT

public:
    explicit TfrmLogList(QWidget* parent = nullptr);

    void FormShow();
    void ReloadHistory();
    void cxButton1Click();

    TStoreRowList* ListViewBK;
    QPushButton* cxButton1;

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace brellow
