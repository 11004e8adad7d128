#pragma once

#include <string>

#include "store/Store.h"
#include "widgets/FormDialog.h"

class QEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace brellow {

class TDirectoryListBox;
class TDriveComboBox;

// The folder the destination list opens at in edit mode, so that the old destination is
// listed among its subfolders: the text before the last separator, the root itself for a
// folder directly under it, the folder itself for a text ending in a separator.
std::string DestinationListFolder(const std::string& oldDestination);

// Chooses one folder pair and stores it: as a new pair, or, after BeginEdit, as the
// replacement of the pair being edited. The edits hold what OK stores, exactly as typed.
class TDlgPickFolder : public TFormDialog {
    Q_OBJECT

public:
    explicit TDlgPickFolder(QWidget* parent = nullptr);

    // The next showing replaces this stored pair; edit mode lasts for that one showing.
    void BeginEdit(const std::string& oldTarget, const std::string& oldDestination);
    bool EditMode() const { return editMode_; }

    void FormShow() override;
    void DirectoryListBox1Change();
    void EditFolderEnter();
    void EditFileEnter();
    void OKBtnClick();

    void done(int result) override;

    QLabel* Label1;
    TDriveComboBox* DriveComboBox1;
    TDirectoryListBox* DirectoryListBox1;
    QLineEdit* EditFolder;
    QLabel* Label2;
    TDriveComboBox* DriveComboBox2;
    TDirectoryListBox* DirectoryListBox2;
    QLineEdit* EditFile;
    QLabel* Label3;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Opens the lists and edits on the pair being edited, step by step; a step that raises
    // leaves the later ones undone.
    void RefreshVolumes();
    void FillFromOldPair();

    bool editMode_ = false;
    FolderPair oldPair_;
    // Whether entering EditFile copies the destination list's folder.
    bool destinationListMoved_ = true;
};

}  // namespace brellow
