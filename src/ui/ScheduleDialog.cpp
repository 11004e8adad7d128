#include "ui/ScheduleDialog.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <stdexcept>

#include "schedule/ListItems.h"
#include "schedule/ScheduleValues.h"
#include "store/StoreOperations.h"
#include "widgets/CheckDropDown.h"
#include "widgets/MessageBoxes.h"
#include "widgets/WindowLook.h"

namespace brellow {

namespace {

const char* const kIntervalLabels[] = {"毎日", "毎週", "毎月"};
const char* const kWeekdayLabels[] = {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};
const int kWeekdayCount = 7;
const int kDayCount = 31;
const char* const kNeverRunsQuestion =
    "曜日または日付が一つも選ばれていないため、このスケジュールではバックアップは一度も実行されません。\n"
    "このまま保存しますか？";

QStringList DayLabels()
{
    QStringList labels;
    for (int day = 1; day <= kDayCount; ++day)
        labels << QString::number(day);
    return labels;
}

}  // namespace

TfrmSchedule::TfrmSchedule(const LocaleSettings& locale, QWidget* parent) : TFormDialog(parent), locale_(locale)
{
    setWindowTitle(QStringLiteral("バックアップスケジュール作成"));
    setFont(JapaneseUiFontPoints(8));
    PaintFace(*this, QColor(222, 221, 190));
    resize(328, 236);
    move(0, 0);

    RadioGrpIntv = new QGroupBox(QStringLiteral("実行間隔"), this);
    RadioGrpIntv->setGeometry(8, 8, 81, 169);
    RadioGrpIntvItems = new QButtonGroup(this);
    auto* intervalLayout = new QVBoxLayout(RadioGrpIntv);
    for (int index = 0; index < 3; ++index) {
        auto* item = new QRadioButton(QString::fromUtf8(kIntervalLabels[index]), RadioGrpIntv);
        RadioGrpIntvItems->addButton(item, index);
        intervalLayout->addWidget(item);
    }
    RadioGrpIntvItems->button(0)->setChecked(true);
    connect(RadioGrpIntvItems, &QButtonGroup::idClicked, this, [this] { RadioGrpIntvClick(); });

    Bevel1 = new QFrame(this);
    Bevel1->setGeometry(95, 24, 218, 154);
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);

    cxChckLstBxWk = new QListWidget(this);
    // All seven days show between the list's top and the time editor: a row is as high as
    // a day's glyphs and its check box need, not the font's whole line spacing (the CJK
    // fonts' is generous). The list grows past 97 only where even that is too little.
    const QFontMetrics metrics(cxChckLstBxWk->font());
    const int indicator = style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, cxChckLstBxWk);
    int rowHeight = indicator;
    for (const char* label : kWeekdayLabels)
        rowHeight = std::max(rowHeight, metrics.tightBoundingRect(QString::fromUtf8(label)).height());
    for (const char* label : kWeekdayLabels) {
        auto* item = new QListWidgetItem(QString::fromUtf8(label), cxChckLstBxWk);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setSizeHint(QSize(cxChckLstBxWk->sizeHintForColumn(0), rowHeight));
    }
    const int allDays = kWeekdayCount * rowHeight + 2 * cxChckLstBxWk->frameWidth();
    cxChckLstBxWk->setGeometry(112, 41, 121, std::max(97, allDays));

    cxBtnWkClr = new QPushButton(QStringLiteral("クリア"), this);
    cxBtnWkClr->setGeometry(239, 41, 49, 24);
    connect(cxBtnWkClr, &QPushButton::clicked, this, [this] { cxBtnWkClrClick(); });

    cxChkCmbBDay = new CheckDropDown(DayLabels(), this);
    cxChkCmbBDay->setGeometry(112, 81, 121, cxChkCmbBDay->sizeHint().height());

    cxBtnDayClr = new QPushButton(QStringLiteral("クリア"), this);
    cxBtnDayClr->setGeometry(239, 80, 49, 22);
    connect(cxBtnDayClr, &QPushButton::clicked, this, [this] { cxBtnDayClrClick(); });

    cxTimeEd = new QTimeEdit(QTime(0, 0, 0), this);
    cxTimeEd->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    cxTimeEd->setGeometry(112, 144, 98, cxTimeEd->sizeHint().height());

    Label1 = new QLabel(QStringLiteral("に起動する"), this);
    Label1->setFont(JapaneseUiFontPoints(9));
    // Grown when the font on this system needs more room than 52 x 14.
    Label1->setGeometry(QRect(QPoint(216, 146), Label1->sizeHint().expandedTo(QSize(52, 14))));

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setGeometry(64, 201, 81, 27);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });

    CancelBtn = new QPushButton(QStringLiteral("キャンセル"), this);
    CancelBtn->setGeometry(176, 201, 81, 27);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    QWidget::setTabOrder(RadioGrpIntvItems->button(2), cxTimeEd);
    QWidget::setTabOrder(cxTimeEd, cxChckLstBxWk);
    QWidget::setTabOrder(cxChckLstBxWk, cxChkCmbBDay);
    QWidget::setTabOrder(cxChkCmbBDay, cxBtnWkClr);
    QWidget::setTabOrder(cxBtnWkClr, cxBtnDayClr);
    QWidget::setTabOrder(cxBtnDayClr, OKBtn);
    QWidget::setTabOrder(OKBtn, CancelBtn);
    FitButtonsToText(*this);

    ApplyVisibility(0);
}

int TfrmSchedule::IntervalIndex() const
{
    return RadioGrpIntvItems->checkedId();
}

void TfrmSchedule::FormShow()
{
    ReportErrors([this] { ShowStoredSchedule(); });
}

void TfrmSchedule::RadioGrpIntvClick()
{
    ApplyVisibility(IntervalIndex());
}

void TfrmSchedule::cxBtnWkClrClick()
{
    for (int position = 0; position < kWeekdayCount; ++position)
        cxChckLstBxWk->item(position)->setCheckState(Qt::Unchecked);
}

void TfrmSchedule::cxBtnDayClrClick()
{
    cxChkCmbBDay->UncheckAll();
}

void TfrmSchedule::OKBtnClick()
{
    // Saved without a day, the schedule would never start a backup and nobody would notice.
    if (!CanEverRun() && !AskQuestion(QString::fromUtf8(kNeverRunsQuestion), QStringLiteral("保存する"),
                                      QStringLiteral("戻る")))
        return;
    // The dialog closes with OK even when the save failed; the error box has told why.
    ReportErrors([this] { SaveSchedule(); });
    accept();
}

bool TfrmSchedule::CanEverRun() const
{
    switch (IntervalIndex()) {
    case kWeekly:
        for (int position = 0; position < kWeekdayCount; ++position) {
            if (cxChckLstBxWk->item(position)->checkState() == Qt::Checked)
                return true;
        }
        return false;
    case kMonthly:
        return !cxChkCmbBDay->CheckedText().isEmpty();
    default:
        return true;
    }
}

void TfrmSchedule::SelectInterval(int index)
{
    RadioGrpIntvItems->button(index)->setChecked(true);
    ApplyVisibility(index);
}

void TfrmSchedule::ApplyVisibility(int index)
{
    cxChckLstBxWk->setVisible(index == kWeekly);
    cxBtnWkClr->setVisible(index == kWeekly);
    cxChkCmbBDay->setVisible(index == kMonthly);
    cxBtnDayClr->setVisible(index == kMonthly);
}

void TfrmSchedule::ShowStoredSchedule()
{
    const ScheduleRecord stored = StoredSchedule().value_or(ScheduleRecord{});

    const std::optional<TimeOfDay> time = ParseLongTime(locale_, stored.bk_time);
    if (!time)
        throw std::runtime_error("'" + stored.bk_time + "' は有効な時刻ではありません");
    cxTimeEd->setTime(QTime(time->hour, time->minute, time->second));

    const IntervalKind kind = StoredIntervalKind(stored.bk_type);
    SelectInterval(kind);
    if (kind == kWeekly && !stored.bk_week.empty())
        MarkWeekdays(stored.bk_week);
    if (kind == kMonthly && !stored.bk_month.empty())
        cxChkCmbBDay->SetCheckedText(QString::fromStdString(stored.bk_month));
}

void TfrmSchedule::MarkWeekdays(const std::string& weekdayList)
{
    for (const std::string& piece : SplitListText(weekdayList)) {
        const std::optional<int> position = WholeNumber(piece);
        if (!position)
            throw std::runtime_error("'" + piece + "' は有効な整数ではありません");
        if (*position < 0 || *position >= kWeekdayCount)
            throw std::runtime_error("曜日の番号が範囲外です (" + piece + ")");
        cxChckLstBxWk->item(*position)->setCheckState(Qt::Checked);
    }
}

void TfrmSchedule::SaveSchedule()
{
    const QTime time = cxTimeEd->time();
    const std::string timeText = ScheduleTimeText(locale_, TimeOfDay{time.hour(), time.minute(), time.second()});
    const int kind = IntervalIndex();
    std::string weekdayList;
    std::string monthDayList;
    if (kind == kWeekly) {
        std::array<bool, kWeekdayCount> marked{};
        for (int position = 0; position < kWeekdayCount; ++position)
            marked[position] = cxChckLstBxWk->item(position)->checkState() == Qt::Checked;
        weekdayList = WeekdayList(marked);
    } else if (kind == kMonthly) {
        // The marked days only: with none marked the list stays empty rather than taking
        // the selector's "None selected", which the schedule check cannot read.
        monthDayList = cxChkCmbBDay->CheckedText().toStdString();
    }

    ReplaceSchedule(kind, weekdayList, monthDayList, timeText);
}

}  // namespace brellow
