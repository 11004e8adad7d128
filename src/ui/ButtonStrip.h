#pragma once

#include <QFrame>

class QBoxLayout;
class QPushButton;

namespace brellow {

// A strip of the three list buttons Add, Update and Delete. While an Add or Update begun
// from the strip is under way, Pending is set and the strip shows which action awaits
// registration.
class TFrmBtn2 : public QFrame {
    Q_OBJECT

public:
    explicit TFrmBtn2(QWidget* parent = nullptr);

    // Applies one of the six button states (0 to 5); each changes only the captions and
    // enabled flags it names. Any other number changes nothing.
    void SetButtonState(int state);
    // Pending cleared, default captions, every button enabled.
    void ResetButtons();
    void btnnewClick();
    void btnupdateClick();

    bool Pending() const { return pending_; }
    // The buttons stand in one row; a window may stack them instead.
    void StackButtons();

    QPushButton* btnnew;
    QPushButton* btnupdate;
    QPushButton* btnremove;

private:
    QBoxLayout* layout_;
    bool pending_ = false;
};

}  // namespace brellow
