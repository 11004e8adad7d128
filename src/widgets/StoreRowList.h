#pragma once

#include <QStringList>
#include <QTreeWidget>

#include <functional>
#include <string>
#include <vector>

namespace brellow {

// A report list showing rows of one store table: one item per row, the first text as the
// caption and the others as sub-items, with grid lines and a multiple selection. Each item
// keeps its row's texts byte for byte, so statements built from it match the stored row
// even where a text is not valid UTF-8.
class TStoreRowList : public QTreeWidget {
    Q_OBJECT

public:
    TStoreRowList(const QStringList& headers, QWidget* parent);

    void AddRow(const std::vector<std::string>& texts);
    std::vector<std::string> RowTexts(const QTreeWidgetItem& item) const;

    // Takes every selected item out of the list, from the last to the first, running the
    // statement for each one's texts; all the statements form one transaction on a
    // connection of their own. Afterwards the list shows what the store holds: items equal
    // to a deleted row leave it as well; a failure is rolled back and shown in the error
    // box, and when items had already been taken out, refill restores the list from the
    // store (its error shown the same way).
    void DeleteSelectedRows(const std::function<std::string(const std::vector<std::string>&)>& statementFor,
                            const std::function<void()>& refill);

private:
    void TakeOutRowsEqualTo(const std::vector<std::vector<std::string>>& rows);
};

}  // namespace brellow
