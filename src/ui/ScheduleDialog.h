#pragma once


#include <string>

#include "platform/LocaleSettings.h"
#include "widgets/FormDialog.h"

class QButtonGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QShowEvent;
class QTimeEdit;

namespace brellow {

class CheckDropDown;

// The schedule dialog: every opening shows the stored schedule, OK replaces it, Cancel
// leaves the store alone. Created once; its controls keep their contents between openings.
class TfrmSchedule : public TFormDialog {
    Q_OBJECT

public:
    explicit TfrmSchedule(const LocaleSettings& locale, QWidget* parent = nullptr);

    // Fills the controls from the stored schedule. Weekday marks are added to those already
    // there; day marks are replaced.
    void ShowStoredSchedule();
    // Replaces the stored schedule with what the dialog shows, as one unit.
    void SaveSchedule();

    // The radio group's selected index: 0 daily, 1 weekly, 2 monthly.
    int IntervalIndex() const;

    QGroupBox* RadioGrpIntv;
    QButtonGroup* RadioGrpIntvItems;
    QFrame* Bevel1;
    QListWidget* cxChckLstBxWk;
    QPushButton* cxBtnWkClr;
    CheckDropDown* cxChkCmbBDay;
    QPushButton* cxBtnDayClr;
    QTimeEdit* cxTimeEd;
    QLabel* Label1;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

    void FormShow() override;

private:
    void RadioGrpIntvClick();
    void cxBtnWkClrClick();
    void cxBtnDayClrClick();
    void OKBtnClick();

    // Whether the dialog's schedule names a day on which it runs.
    bool CanEverRun() const;
    void SelectInterval(int index);
    // Shows the weekday controls for weekly and the day controls for monthly only.
    void ApplyVisibility(int index);
    // Marks the weekdays a stored list names, keeping the marks already there.
    void MarkWeekdays(const std::string& weekdayList);

    LocaleSettings locale_;
};

}  // namespace brellow
