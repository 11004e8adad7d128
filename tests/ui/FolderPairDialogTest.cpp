#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <filesystem>
#include <string>
#include <vector>

#include "WindowsTestSupport.h"
#include "widgets/DriveFolderList.h"
#include "desktop/Volumes.h"
#include "platform/Paths.h"
#include "ui/FolderPairDialog.h"

using namespace brellow;
using namespace brellow::testing;

namespace {

class FolderPairDialogTest : public StoreFixture {
protected:
    void Type(const std::string& target, const std::string& destination)
    {
        dialog.EditFolder->setText(QString::fromStdString(target));
        dialog.EditFile->setText(QString::fromStdString(destination));
    }
    void Enter(QLineEdit& edit, Qt::FocusReason reason)
    {
        QFocusEvent focusIn(QEvent::FocusIn, reason);
        QApplication::sendEvent(&edit, &focusIn);
    }
    std::string Text(const QLineEdit& edit) { return edit.text().toStdString(); }

    TDlgPickFolder dialog;
};

}  // namespace

TEST(DestinationListFolderTest, OpensAtTheParentOfTheOldDestination)
{
    const struct {
        std::string destination;
        std::string listFolder;
    } cases[] = {
        {"/data/copy", "/data"},
        {"/Backup", "/"},
        {"/data/copy/", "/data/copy"},
        {"/", "/"},
        {"/データ/コピー", "/データ"},
        {"copy", ""},
    };
    for (const auto& row : cases)
        EXPECT_EQ(DestinationListFolder(row.destination), row.listFolder) << row.destination;
}

TEST_F(FolderPairDialogTest, OkWithAnEmptyEditStoresNothing)
{
    const std::vector<std::string> texts[] = {{"", "/b"}, {"/a", ""}, {"", ""}};
    for (const auto& row : texts) {
        dialog.show();
        Type(row[0], row[1]);
        dialog.OKBtn->click();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(Pairs(), Rows{});
    EXPECT_TRUE(boxes.empty());
}

TEST_F(FolderPairDialogTest, StoresTheEditsExactlyAsTyped)
{
    const Rows typed = {
        {" /home/ann/My Files ", "/mnt/it's here"},
        {"/no/such/folder", "'; drop table m_bkup; --"},
        {"/データ/写真", "relative"},
    };
    for (const auto& row : typed) {
        dialog.show();
        Type(row[0], row[1]);
        dialog.OKBtn->click();
    }
    EXPECT_EQ(Pairs(), typed);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(FolderPairDialogTest, EditModeOpensOnTheOldPair)
{
    const std::string source = MakeFolder("source");
    const std::string parent = MakeFolder("copies");
    MakeFolder("copies/copy");
    for (const std::string& destination : {parent + "/copy", parent + "/copy/"}) {
        SCOPED_TRACE(destination);
        dialog.BeginEdit(source, destination);
        dialog.show();
        EXPECT_EQ(dialog.DirectoryListBox1->Directory(), source);
        EXPECT_EQ(dialog.DirectoryListBox2->Directory(), DestinationListFolder(destination));
        EXPECT_EQ(dialog.DriveComboBox1->Drive(), DriveOfPath(source, MountedVolumeRoots()));
        EXPECT_EQ(dialog.DriveComboBox2->Drive(), DriveOfPath(destination, MountedVolumeRoots()));
        EXPECT_EQ(Text(*dialog.EditFolder), source);
        EXPECT_EQ(Text(*dialog.EditFile), destination);
        dialog.CancelBtn->click();
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(FolderPairDialogTest, EditModeOkReplacesEveryCopyOfTheOldPairWithOneRow)
{
    const std::string source = MakeFolder("source");
    const std::string destination = MakeFolder("copy");
    AddPair(source, destination);
    AddPair("/other", "/elsewhere");
    AddPair(source, destination);

    dialog.BeginEdit(source, destination);
    dialog.show();
    dialog.OKBtn->click();
    EXPECT_EQ(Pairs(), (Rows{{"/other", "/elsewhere"}, {source, destination}}));
    EXPECT_FALSE(dialog.EditMode());
}

TEST_F(FolderPairDialogTest, EnteringTheDestinationEditInEditModeKeepsTheStoredTextUntilTheListMoves)
{
    const std::string source = MakeFolder("source");
    const std::string destination = MakeFolder("copies/copy");
    const std::string other = MakeFolder("other");
    AddPair(source, destination);

    dialog.BeginEdit(source, destination);
    dialog.show();
    // A click into the edit does not put the list's folder (the parent) in place of the
    // stored destination.
    Enter(*dialog.EditFile, Qt::MouseFocusReason);
    EXPECT_EQ(Text(*dialog.EditFile), destination);
    dialog.DirectoryListBox2->SetDirectory(other);
    EXPECT_EQ(Text(*dialog.EditFile), destination);
    Enter(*dialog.EditFile, Qt::ActiveWindowFocusReason);  // coming back to the window
    EXPECT_EQ(Text(*dialog.EditFile), destination);
    Enter(*dialog.EditFile, Qt::MouseFocusReason);
    EXPECT_EQ(Text(*dialog.EditFile), other);
    dialog.OKBtn->click();
    EXPECT_EQ(Pairs(), (Rows{{source, other}}));

    // Without a change of the list the pair stays as stored.
    dialog.BeginEdit(source, other);
    dialog.show();
    Enter(*dialog.EditFile, Qt::MouseFocusReason);
    dialog.OKBtn->click();
    EXPECT_EQ(Pairs(), (Rows{{source, other}}));
}

TEST_F(FolderPairDialogTest, EveryShowingListsTheFoldersAsTheyAreNow)
{
    const std::string copies = MakeFolder("copies");
    const std::string source = MakeFolder("source");
    dialog.DirectoryListBox2->SetDirectory(copies);
    dialog.DirectoryListBox1->SetDirectory(source);
    const auto listed = [](const QListWidget& list, const char* name) {
        return !list.findItems(QString::fromUtf8(name), Qt::MatchEndsWith).isEmpty();
    };

    // A folder made while the dialog was closed is there at the next showing.
    MakeFolder("source/new");
    dialog.show();
    EXPECT_TRUE(listed(*dialog.DirectoryListBox1, "new"));
    dialog.CancelBtn->click();

    // Edit mode opens the list at the old destination's parent, where it already was: the
    // old destination, made since, is listed.
    const std::string destination = MakeFolder("copies/copy");
    AddPair(source, destination);
    dialog.BeginEdit(source, destination);
    dialog.show();
    EXPECT_EQ(dialog.DirectoryListBox2->Directory(), copies);
    EXPECT_TRUE(listed(*dialog.DirectoryListBox2, "copy"));
    dialog.CancelBtn->click();
}

TEST_F(FolderPairDialogTest, TheSourceEditFollowsTheSourceListAndIsReplacedWhenEntered)
{
    const std::string first = MakeFolder("first");
    const std::string second = MakeFolder("second");
    dialog.show();
    dialog.DirectoryListBox1->SetDirectory(first);
    EXPECT_EQ(Text(*dialog.EditFolder), first);
    dialog.EditFolder->setText(QStringLiteral("typed"));
    Enter(*dialog.EditFolder, Qt::TabFocusReason);
    EXPECT_EQ(Text(*dialog.EditFolder), first);

    // The destination list has no such link: its edit changes only when entered.
    dialog.EditFile->setText(QStringLiteral("typed"));
    dialog.DirectoryListBox2->SetDirectory(second);
    EXPECT_EQ(Text(*dialog.EditFile), "typed");
    dialog.EditFileEnter();
    EXPECT_EQ(Text(*dialog.EditFile), second);
}

TEST_F(FolderPairDialogTest, CancelInEditModeKeepsThePairAndTheNextShowingIsNew)
{
    const std::string source = MakeFolder("source");
    const std::string destination = MakeFolder("copy");
    AddPair(source, destination);

    dialog.BeginEdit(source, destination);
    dialog.show();
    Type("/changed", "/changed too");
    dialog.CancelBtn->click();
    EXPECT_EQ(Pairs(), (Rows{{source, destination}}));
    EXPECT_FALSE(dialog.EditMode());

    dialog.show();
    EXPECT_EQ(Text(*dialog.EditFolder), "/changed");  // the edits keep their contents
    dialog.OKBtn->click();
    EXPECT_EQ(Pairs(), (Rows{{source, destination}, {"/changed", "/changed too"}}));
}

TEST_F(FolderPairDialogTest, AReplacementWhoseInsertFailsKeepsTheOldPair)
{
    const std::string source = MakeFolder("source");
    const std::string destination = MakeFolder("copy");
    AddPair(source, destination);
    Run("create trigger refuse before insert on m_bkup when new.target_folder = 'refused' "
        "begin select raise(abort, 'refused'); end");

    dialog.BeginEdit(source, destination);
    dialog.show();
    Type("refused", destination);
    dialog.OKBtn->click();
    EXPECT_EQ(Pairs(), (Rows{{source, destination}}));
    EXPECT_TRUE(boxes.empty());
    // Nothing was left locked.
    AddPair("/later", "/later");
    EXPECT_EQ(Pairs().size(), 2u);
}

TEST_F(FolderPairDialogTest, AStoreThatCannotBeOpenedAtOkIsReportedAndTheDialogCloses)
{
    BreakStore();
    dialog.show();
    Type("/a", "/b");
    dialog.OKBtn->click();
    EXPECT_FALSE(dialog.isVisible());
    ExpectOneErrorBox();
}

TEST_F(FolderPairDialogTest, AnOldTargetThatIsGoneStopsTheFillWithAnError)
{
    const std::string destination = MakeFolder("copy");
    const std::string gone = folder / "gone";
    dialog.show();
    Type("before", "before");
    dialog.CancelBtn->click();

    dialog.BeginEdit(gone, destination);
    dialog.show();
    ExpectOneErrorBox(QString::fromStdString(gone));
    EXPECT_EQ(Text(*dialog.EditFile), "before");  // the later steps did not run
    EXPECT_TRUE(dialog.isVisible());
    dialog.CancelBtn->click();
}

TEST_F(FolderPairDialogTest, TheFolderListShowsTheChainAndTheSubfoldersAndMovesOnDoubleClick)
{
    const std::string base = MakeFolder("base");
    MakeFolder("base/b");
    MakeFolder("base/a");
    TDirectoryListBox& list = *dialog.DirectoryListBox1;
    list.SetDirectory(base);

    const std::string drive = DriveOfPath(base, MountedVolumeRoots());
    EXPECT_EQ(dialog.DriveComboBox1->Drive(), drive);
    ASSERT_GE(list.count(), 3);
    EXPECT_EQ(list.item(0)->text().toStdString(), drive);
    EXPECT_EQ(list.item(list.count() - 2)->text().trimmed(), QStringLiteral("a"));
    EXPECT_EQ(list.item(list.count() - 1)->text().trimmed(), QStringLiteral("b"));
    EXPECT_EQ(list.currentItem()->text().trimmed(), QStringLiteral("base"));

    emit list.itemDoubleClicked(list.item(list.count() - 1));
    EXPECT_EQ(list.Directory(), base + "/b");
    EXPECT_EQ(Text(*dialog.EditFolder), base + "/b");

    // Choosing the volume goes back to the folder last current on it, or to its root
    // when that folder is gone.
    list.SetDrive(drive);
    EXPECT_EQ(list.Directory(), base + "/b");
    std::filesystem::remove(base + "/b");
    list.SetDrive(drive);
    EXPECT_EQ(list.Directory(), drive);
    EXPECT_THROW(list.SetDirectory(folder / "missing"), std::exception);
    EXPECT_EQ(list.Directory(), drive);
}
