#pragma once

#include "widgets/FormDialog.h"

class QLabel;
class QPushButton;

namespace brellow {

// A yes-or-no question. The caller puts the question into Label1, shows the dialog
// modally and then reads Refused; the dialog's own result is not used.
class TOKRightDlg2 : public TFormDialog {
    Q_OBJECT

public:
    explicit TOKRightDlg2(QWidget* parent = nullptr);

    // Set at every showing; cleared only by OK. The close box and Esc leave it set.
    bool Refused() const { return refused_; }

    void FormShow() override;
    void OKBtnClick();
    void btncancelClick();

    QLabel* Label1;
    QPushButton* OKBtn;
    QPushButton* btncancel;

private:
    bool refused_ = true;
};

}  // namespace brellow
