#include "widgets/DriveFolderList.h"

#include <QDir>
#include <QFileInfo>
#include <QStyle>

#include <stdexcept>

#include "platform/CharSteps.h"
#include "platform/Paths.h"
#include "widgets/MessageBoxes.h"

namespace brellow {

namespace {

constexpr int kFolderRole = Qt::UserRole;

bool IsFolder(const QString& path)
{
    return QDir::isAbsolutePath(path) && QFileInfo(path).isDir();
}

}  // namespace

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent) {}

void TDriveComboBox::ShowVolumes(const std::vector<std::string>& roots)
{
    const std::string shown = Drive();
    roots_ = roots;
    clear();
    for (const std::string& root : roots_)
        addItem(QString::fromStdString(root));
    ShowDrive(shown);
}

void TDriveComboBox::ShowDrive(const std::string& root)
{
    setCurrentIndex(findText(QString::fromStdString(root), Qt::MatchExactly | Qt::MatchCaseSensitive));
}

std::string TDriveComboBox::Drive() const
{
    return currentIndex() < 0 ? std::string() : currentText().toStdString();
}

TDirectoryListBox::TDirectoryListBox(TDriveComboBox& selector, QWidget* parent) : QListWidget(parent), selector_(selector)
{
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        ReportErrors([&] { SetDirectory(item->data(kFolderRole).toString().toStdString()); });
    });
    // Only a choice the user makes in the selector moves the list; the list itself keeps
    // the selector on its own volume.
    connect(&selector_, &QComboBox::activated, this,
            [this] { ReportErrors([&] { SetDrive(selector_.Drive()); }); });
}

void TDirectoryListBox::RefreshVolumes(const std::vector<std::string>& volumeRoots)
{
    selector_.ShowVolumes(volumeRoots);
    selector_.ShowDrive(DriveOfPath(directory_, selector_.Volumes()));
    if (!directory_.empty())
        ShowEntries();
}

void TDirectoryListBox::SetDirectory(const std::string& folder)
{
    const QString path = QString::fromStdString(folder);
    if (!IsFolder(path))
        throw std::runtime_error("フォルダが見つかりません: " + folder);
    const std::string cleaned = QDir::cleanPath(path).toStdString();
    if (cleaned == directory_) {
        // Not a change, but its subfolders may have changed since the list last read them.
        ShowEntries();
        return;
    }
    directory_ = cleaned;
    const std::string drive = DriveOfPath(directory_, selector_.Volumes());
    folderOnDrive_[drive] = directory_;
    selector_.ShowDrive(drive);
    ShowEntries();
    emit DirectoryChanged();
}

void TDirectoryListBox::SetDrive(const std::string& volumeRoot)
{
    const auto remembered = folderOnDrive_.find(volumeRoot);
    const bool rememberedExists =
        remembered != folderOnDrive_.end() && IsFolder(QString::fromStdString(remembered->second));
    SetDirectory(rememberedExists ? remembered->second : volumeRoot);
}

void TDirectoryListBox::ShowEntries()
{
    clear();
    const std::string root = DriveOfPath(directory_, selector_.Volumes());
    // The chain from the volume's root down to the current folder, one entry per level.
    std::vector<std::string> chain{root.empty() ? directory_ : root};
    for (std::string::size_type pos = chain.front().size(); pos < directory_.size(); pos += CharLength(directory_, pos)) {
        if (directory_[pos] == kSeparator && pos > chain.back().size())
            chain.push_back(directory_.substr(0, pos));
    }
    if (chain.back() != directory_)
        chain.push_back(directory_);

    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    QString indent;
    QListWidgetItem* current = nullptr;
    for (std::size_t level = 0; level < chain.size(); ++level) {
        const QString folder = QString::fromStdString(chain[level]);
        const QString name = level == 0 ? folder : QFileInfo(folder).fileName();
        current = new QListWidgetItem(openIcon, indent + name, this);
        current->setData(kFolderRole, folder);
        indent += QStringLiteral("  ");
    }
    const QFileInfoList subfolders =
        QDir(QString::fromStdString(directory_)).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& subfolder : subfolders) {
        auto* item = new QListWidgetItem(closedIcon, indent + subfolder.fileName(), this);
        item->setData(kFolderRole, subfolder.absoluteFilePath());
    }
    setCurrentItem(current);
}

}  // namespace brellow
