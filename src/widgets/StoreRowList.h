#pragma once

#include <QStringList>
#include <QTreeWidget>

#include <functional>
#include <string>
#include <vector>

namespace brellow {

// A report list showing rows of texts: one item per row, the first text as the caption and
// the others as sub-items, with grid lines and a multiple selection. Each item keeps its
// row's texts byte for byte, so a row handed back matches the stored one even where a text
// is not valid UTF-8.
class TStoreRowList : public QTreeWidget {
    Q_OBJECT

public:
    TStoreRowList(const QStringList& headers, QWidget* parent);

    void AddRow(const std::vector<std::string>& texts);
    std::vector<std::string> RowTexts(const QTreeWidgetItem& item) const;

    // Takes every selected item out of the list, from the last to the first, and hands
    // their texts in that order to remove. Afterwards the list shows what the store holds:
    // items equal to a removed row leave it as well; when remove raises, the error is shown
    // in the error box and refill restores the list (its error shown the same way).
    void TakeOutSelectedRows(const std::function<void(const std::vector<std::vector<std::string>>&)>& remove,
                             const std::function<void()>& refill);

private:
    void TakeOutRowsEqualTo(const std::vector<std::vector<std::string>>& rows);
};

}  // namespace brellow
