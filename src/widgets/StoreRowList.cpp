#include "widgets/StoreRowList.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>
#include <memory>

#include "widgets/MessageBoxes.h"

namespace brellow {

namespace {

constexpr int kRowBytesRole = Qt::UserRole;

// Draws the cell, then its right and bottom grid lines.
class GridLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(option.palette.color(QPalette::Mid));
        const QRect cell = option.rect;
        painter->drawLine(cell.topRight(), cell.bottomRight());
        painter->drawLine(cell.bottomLeft(), cell.bottomRight());
        painter->restore();
    }
};

}  // namespace

TStoreRowList::TStoreRowList(const QStringList& headers, QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(headers.size());
    setHeaderLabels(headers);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setItemDelegate(new GridLineDelegate(this));
    header()->setSectionsMovable(false);
}

void TStoreRowList::AddRow(const std::vector<std::string>& texts)
{
    auto* item = new QTreeWidgetItem(this);
    for (std::size_t column = 0; column < texts.size(); ++column) {
        const std::string& text = texts[column];
        item->setText(static_cast<int>(column), QString::fromStdString(text));
        item->setData(static_cast<int>(column), kRowBytesRole, QByteArray(text.data(), static_cast<int>(text.size())));
    }
}

std::vector<std::string> TStoreRowList::RowTexts(const QTreeWidgetItem& item) const
{
    std::vector<std::string> texts;
    for (int column = 0; column < columnCount(); ++column)
        texts.push_back(item.data(column, kRowBytesRole).toByteArray().toStdString());
    return texts;
}

void TStoreRowList::TakeOutSelectedRows(const std::function<void(const std::vector<std::vector<std::string>>&)>& remove,
                                        const std::function<void()>& refill)
{
    std::vector<std::vector<std::string>> rows;
    for (int index = topLevelItemCount() - 1; index >= 0; --index) {
        if (!topLevelItem(index)->isSelected())
            continue;
        const std::unique_ptr<QTreeWidgetItem> item(takeTopLevelItem(index));
        rows.push_back(RowTexts(*item));
    }
    if (rows.empty())
        return;
    if (ReportErrors([&] { remove(rows); })) {
        // A removal takes every stored row equal to a selected one, so its unselected twins
        // leave the list too.
        TakeOutRowsEqualTo(rows);
    } else {
        // A failed removal changed nothing, so the list shows the stored rows again.
        ReportErrors(refill);
    }
}

void TStoreRowList::TakeOutRowsEqualTo(const std::vector<std::vector<std::string>>& rows)
{
    for (int index = topLevelItemCount() - 1; index >= 0; --index) {
        if (std::find(rows.begin(), rows.end(), RowTexts(*topLevelItem(index))) != rows.end())
            delete takeTopLevelItem(index);
    }
}

}  // namespace brellow
