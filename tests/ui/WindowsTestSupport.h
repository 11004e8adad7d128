#pragma once

#include <gtest/gtest.h>

#include <QDialog>
#include <QMessageBox>
#include <QObject>
#include <QString>

#include <functional>
#include <string>
#include <vector>

#include "TempFolder.h"

class QTreeWidget;

namespace brellow::testing {

using Rows = std::vector<std::vector<std::string>>;

// One message box a window showed instead of blocking.
struct ShownBox {
    QMessageBox::Icon icon;
    QString text;
};

// A fresh prepared store in a temporary folder, with every message box captured.
class StoreFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void Run(const std::string& statement);
    void AddPair(const std::string& target, const std::string& destination);
    // Stored rows in the order the store returns them, each as its texts.
    Rows Pairs();
    Rows History();
    // Points the store at a file that cannot be opened.
    void BreakStore();
    // A folder made under the temporary folder (with its parents); its path.
    std::string MakeFolder(const std::string& relative);
    // Exactly one box was shown, the error box, its text holding the given part.
    void ExpectOneErrorBox(const QString& part = QString());

    TempFolder folder;
    std::vector<ShownBox> boxes;
};

// The texts of a report list's items, in list order.
Rows ListedRows(const QTreeWidget& list);
// Selects exactly the items at these positions.
void SelectRows(QTreeWidget& list, std::initializer_list<int> positions);

// Acts on a dialog each time it is shown, once its own event loop runs, so a test can
// answer a modal dialog without blocking. A dialog the action leaves open is closed and
// reported as a failure.
class OnShow : public QObject {
public:
    OnShow(QDialog& dialog, std::function<void()> action);
    int Shows() const { return shows_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QDialog& dialog_;
    std::function<void()> action_;
    int shows_ = 0;
};

}  // namespace brellow::testing
