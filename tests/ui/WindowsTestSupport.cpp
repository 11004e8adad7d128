#include "WindowsTestSupport.h"

#include <QEvent>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>

#include "store/Store.h"
#include "widgets/MessageBoxes.h"

namespace brellow::testing {

void StoreFixture::SetUp()
{
    SetStorePathForTesting(folder / "qzbackup.db");
    PrepareStore();
    SetMessageBoxHandlerForTesting([this](QMessageBox::Icon icon, const QString&, const QString& text) {
        boxes.push_back({icon, text});
    });
}

void StoreFixture::TearDown()
{
    SetMessageBoxHandlerForTesting(nullptr);
    SetStorePathForTesting("");
}

void StoreFixture::Run(const std::string& statement)
{
    OpenStore()->RunStatement(statement);
}

void StoreFixture::AddPair(const std::string& target, const std::string& destination)
{
    Run(Sql::PairInsert({target, destination}));
}

Rows StoreFixture::Pairs()
{
    Rows rows;
    for (const FolderPair& pair : ReadPairs(*OpenStore()))
        rows.push_back({pair.target_folder, pair.bkup_folder});
    return rows;
}

Rows StoreFixture::History()
{
    Rows rows;
    for (const HistoryRecord& row : ReadHistory(*OpenStore()))
        rows.push_back({row.target_folder, row.bkup_folder, row.bkup_date});
    return rows;
}

void StoreFixture::BreakStore()
{
    SetStorePathForTesting(folder / "missing/qzbackup.db");
}

std::string StoreFixture::MakeFolder(const std::string& relative)
{
    const std::string path = folder / relative;
    std::filesystem::create_directories(path);
    return path;
}

void StoreFixture::ExpectOneErrorBox(const QString& part)
{
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(boxes[0].text.contains(part)) << boxes[0].text.toStdString();
}

Rows ListedRows(const QTreeWidget& list)
{
    Rows rows;
    for (int index = 0; index < list.topLevelItemCount(); ++index) {
        std::vector<std::string> texts;
        for (int column = 0; column < list.columnCount(); ++column)
            texts.push_back(list.topLevelItem(index)->text(column).toStdString());
        rows.push_back(texts);
    }
    return rows;
}

void SelectRows(QTreeWidget& list, std::initializer_list<int> positions)
{
    list.clearSelection();
    for (const int position : positions)
        list.topLevelItem(position)->setSelected(true);
}

OnShow::OnShow(QDialog& dialog, std::function<void()> action) : dialog_(dialog), action_(std::move(action))
{
    dialog_.installEventFilter(this);
}

bool OnShow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &dialog_ && event->type() == QEvent::Show) {
        ++shows_;
        QTimer::singleShot(0, this, [this] {
            action_();
            if (dialog_.isVisible()) {
                ADD_FAILURE() << "the dialog was left open";
                dialog_.reject();
            }
        });
    }
    return false;
}

}  // namespace brellow::testing
