#include "WindowsTestSupport.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <filesystem>
#include <memory>

#include "store/Store.h"
#include "ui/MessageBoxes.h"

namespace brellow::testing {

namespace {

// The windows need one application object for the whole test program.
class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "windows_tests";
        static char* argv[] = {name, nullptr};
        application_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { application_.reset(); }

private:
    std::unique_ptr<QApplication> application_;
};

const auto* const kApplication = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

}  // namespace

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

std::vector<std::vector<std::string>> StoreFixture::Pairs()
{
    std::vector<std::vector<std::string>> rows;
    for (const FolderPair& pair : ReadPairs(*OpenStore()))
        rows.push_back({pair.target_folder, pair.bkup_folder});
    return rows;
}

std::vector<std::vector<std::string>> StoreFixture::History()
{
    std::vector<std::vector<std::string>> rows;
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
