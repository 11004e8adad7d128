#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace brellow {

// The version dialog: the logo, the product name, the version and the maker's lines.
class TDlgVersion : public QDialog {
    Q_OBJECT
public:
    explicit TDlgVersion(QWidget* parent = nullptr);

    QFrame* Panel1;
    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* Copyright;
    QLabel* Comments;
    QPushButton* OKButton;
};

}  // namespace brellow
