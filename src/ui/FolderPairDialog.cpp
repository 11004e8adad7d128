#include "ui/FolderPairDialog.h"

#include <QDir>
#include <QFocusEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

#include "desktop/Volumes.h"
#include "platform/CharSteps.h"
#include "platform/Paths.h"
#include "store/StoreOperations.h"
#include "widgets/DriveFolderList.h"
#include "widgets/MessageBoxes.h"
#include "widgets/WindowLook.h"

namespace brellow {

namespace {

// One column of the dialog: heading, drive selector and folder list in a frame.
QFrame* MakeColumn(QWidget* parent, int left, QLabel*& heading, const QString& caption, TDriveComboBox*& selector,
                   TDirectoryListBox*& list)
{
    auto* column = new QFrame(parent);
    column->setFrameStyle(QFrame::Box | QFrame::Sunken);
    column->setGeometry(left, 8, 177, 282);
    heading = new QLabel(caption, column);
    heading->setGeometry(8, 8, 161, 16);
    selector = new TDriveComboBox(column);
    selector->setGeometry(8, 28, 161, 22);
    list = new TDirectoryListBox(*selector, column);
    list->setGeometry(8, 56, 145, 216);
    return column;
}

}  // namespace

std::string DestinationListFolder(const std::string& oldDestination)
{
    const std::string::size_type separator = LastSeparator(oldDestination);
    if (separator == std::string::npos)
        return std::string();
    // A separator that opens the path is the root, which stays.
    return oldDestination.substr(0, separator == 0 ? 1 : separator);
}

TDlgPickFolder::TDlgPickFolder(QWidget* parent) : TFormDialog(parent)
{
    setWindowTitle(QStringLiteral("フォルダ選択"));
    setFixedSize(453, 411);
    UseWindowFont(*this);

    auto* area = new QFrame(this);
    area->setFrameStyle(QFrame::Box | QFrame::Sunken);
    area->setGeometry(8, 8, 437, 338);
    MakeColumn(area, 8, Label1, QStringLiteral("バックアップ元"), DriveComboBox1, DirectoryListBox1);
    MakeColumn(area, 252, Label2, QStringLiteral("バックアップ先"), DriveComboBox2, DirectoryListBox2);
    Label3 = new QLabel(QStringLiteral("==>"), area);
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setGeometry(185, 141, 67, 16);
    EditFolder = new QLineEdit(area);
    EditFolder->setGeometry(16, 302, 161, 22);
    EditFile = new QLineEdit(area);
    EditFile->setGeometry(260, 302, 161, 22);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setGeometry(143, 365, 75, 25);
    CancelBtn = new QPushButton(QStringLiteral("キャンセル"), this);
    CancelBtn->setGeometry(235, 365, 75, 25);
    CancelBtn->setAutoDefault(false);
    OKBtn->setAutoDefault(false);
    OKBtn->setDefault(true);

    setTabOrder(OKBtn, CancelBtn);
    setTabOrder(CancelBtn, DriveComboBox1);
    setTabOrder(DriveComboBox1, DirectoryListBox1);
    setTabOrder(DirectoryListBox1, DriveComboBox2);
    setTabOrder(DriveComboBox2, DirectoryListBox2);
    setTabOrder(DirectoryListBox2, EditFolder);
    setTabOrder(EditFolder, EditFile);

    // Both lists start at the current folder; the edits start empty.
    RefreshVolumes();
    const std::string startFolder = QDir::currentPath().toStdString();
    ReportErrors([&] {
        DirectoryListBox1->SetDirectory(startFolder);
        DirectoryListBox2->SetDirectory(startFolder);
    });
    connect(DirectoryListBox1, &TDirectoryListBox::DirectoryChanged, this, &TDlgPickFolder::DirectoryListBox1Change);
    connect(DirectoryListBox2, &TDirectoryListBox::DirectoryChanged, this, [this] { destinationListMoved_ = true; });
    EditFolder->installEventFilter(this);
    EditFile->installEventFilter(this);

    // OK closes the dialog even when its handler stops early or raises.
    connect(OKBtn, &QPushButton::clicked, this, [this] {
        ReportErrors([this] { OKBtnClick(); });
        accept();
    });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    FitButtonsToText(*this);
}

void TDlgPickFolder::BeginEdit(const std::string& oldTarget, const std::string& oldDestination)
{
    editMode_ = true;
    oldPair_ = FolderPair{oldTarget, oldDestination};
}

void TDlgPickFolder::done(int result)
{
    editMode_ = false;
    TFormDialog::done(result);
}

void TDlgPickFolder::FormShow()
{
    CentreOnScreen(*this);
    // The dialog opens with OK focused, so no edit is entered (and refilled) by the showing.
    OKBtn->setFocus(Qt::OtherFocusReason);
    RefreshVolumes();
    if (editMode_)
        ReportErrors([this] { FillFromOldPair(); });
    // In edit mode the destination edit keeps the stored text until the user moves the list.
    destinationListMoved_ = !editMode_;
}

void TDlgPickFolder::RefreshVolumes()
{
    const std::vector<std::string> volumes = MountedVolumeRoots();
    DirectoryListBox1->RefreshVolumes(volumes);
    DirectoryListBox2->RefreshVolumes(volumes);
}

void TDlgPickFolder::FillFromOldPair()
{
    const std::string targetDrive = DriveOfPath(oldPair_.target_folder, DriveComboBox1->Volumes());
    if (!targetDrive.empty())
        DirectoryListBox1->SetDrive(targetDrive);
    DirectoryListBox1->SetDirectory(oldPair_.target_folder);
    const std::string destinationDrive = DriveOfPath(oldPair_.bkup_folder, DriveComboBox2->Volumes());
    if (!destinationDrive.empty())
        DirectoryListBox2->SetDrive(destinationDrive);
    DirectoryListBox2->SetDirectory(DestinationListFolder(oldPair_.bkup_folder));
    EditFolder->setText(QString::fromStdString(oldPair_.target_folder));
    EditFile->setText(QString::fromStdString(oldPair_.bkup_folder));
}

void TDlgPickFolder::DirectoryListBox1Change()
{
    EditFolder->setText(QString::fromStdString(DirectoryListBox1->Directory()));
}

void TDlgPickFolder::EditFolderEnter()
{
    EditFolder->setText(QString::fromStdString(DirectoryListBox1->Directory()));
}

void TDlgPickFolder::EditFileEnter()
{
    if (!destinationListMoved_)
        return;
    EditFile->setText(QString::fromStdString(DirectoryListBox2->Directory()));
}

bool TDlgPickFolder::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        // Coming back to the window or from a menu is no entering of the edit.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == EditFolder)
                EditFolderEnter();
            else if (watched == EditFile)
                EditFileEnter();
        }
    }
    return TFormDialog::eventFilter(watched, event);
}

void TDlgPickFolder::OKBtnClick()
{
    const FolderPair chosen{EditFolder->text().toStdString(), EditFile->text().toStdString()};
    if (chosen.target_folder.empty() || chosen.bkup_folder.empty())
        return;
    if (editMode_)
        ReplacePair(oldPair_, chosen);
    else
        AddPair(chosen);
}

}  // namespace brellow
