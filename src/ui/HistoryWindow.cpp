#include "ui/HistoryWindow.h"

#include <QHeaderView>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <memory>

#include "store/StoreOperations.h"
#include "widgets/MessageBoxes.h"
#include "widgets/StoreRowList.h"
#include "widgets/WindowLook.h"

namespace brellow {

namespace {
// The date column's width where its texts need no more.
constexpr int kDateColumnWidth = 100;
}  // namespace

TfrmLogList::TfrmLogList(QWidget* parent)
    : TFormDialog(parent),
      ListViewBK(new TStoreRowList(
          {QStringLiteral("バックアップ対象"), QStringLiteral("保存先"), QStringLiteral("日付")}, this)),
      cxButton1(new QPushButton(QStringLiteral("削除"), this))
{
    setWindowTitle(QStringLiteral("バックアップ履歴の表示"));
    resize(632, 398);
    UseWindowFont(*this);
    PaintFace(*this, QColor(222, 221, 190));

    cxButton1->setGeometry(550, 8, 75, 25);
    cxButton1->setAutoDefault(false);
    ListViewBK->setGeometry(8, 41, 617, 345);
    QHeaderView* header = ListViewBK->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    header->setSectionResizeMode(2, QHeaderView::Interactive);
    header->resizeSection(2, kDateColumnWidth);
    WidenDateColumn();

    connect(cxButton1, &QPushButton::clicked, this, &TfrmLogList::cxButton1Click);
    FitButtonsToText(*this);
}

void TfrmLogList::FormShow()
{
    ReportErrors([this] { ReloadHistory(); });
}

void TfrmLogList::ReloadHistory()
{
    ListViewBK->clear();
    for (const HistoryRecord& row : StoredHistory())
        ListViewBK->AddRow({row.target_folder, row.bkup_folder, row.bkup_date});
    WidenDateColumn();
}

void TfrmLogList::WidenDateColumn()
{
    const int margins = 2 * (ListViewBK->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, ListViewBK) + 1);
    const QFontMetrics metrics = ListViewBK->fontMetrics();
    // A date of the usual shape, so the column fits before the first row arrives.
    int needed = metrics.horizontalAdvance(QStringLiteral("0000/00/00 00:00"));
    for (int index = 0; index < ListViewBK->topLevelItemCount(); ++index)
        needed = std::max(needed, metrics.horizontalAdvance(ListViewBK->topLevelItem(index)->text(2)));
    QHeaderView* header = ListViewBK->header();
    needed = std::max(needed + margins, header->sectionSizeHint(2));
    if (header->sectionSize(2) < needed)
        header->resizeSection(2, needed);
}

void TfrmLogList::cxButton1Click()
{
    ListViewBK->TakeOutSelectedRows(
        [](const std::vector<std::vector<std::string>>& texts) {
            std::vector<HistoryRecord> rows;
            for (const std::vector<std::string>& row : texts)
                rows.push_back(HistoryRecord{row[0], row[1], row[2]});
            DeleteHistoryRows(rows);
        },
        [this] { ReloadHistory(); });
}

}  // namespace brellow
