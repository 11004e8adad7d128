#pragma once

#include <QDialog>

class QShowEvent;

namespace brellow {

// A window that runs FormShow each time the program shows it; a minimised window coming
// back is no new showing.
class TFormDialog : public QDialog {
    Q_OBJECT

public:
    using QDialog::QDialog;

    virtual void FormShow() = 0;

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace brellow
