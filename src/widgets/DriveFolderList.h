#pragma once

#include <QComboBox>
#include <QListWidget>

#include <map>
#include <string>
#include <vector>

namespace brellow {

// Chooses one mounted volume, shown by its root folder.
class TDriveComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit TDriveComboBox(QWidget* parent);

    // Lists the volumes anew, keeping the shown one when it is still there.
    void ShowVolumes(const std::vector<std::string>& roots);
    const std::vector<std::string>& Volumes() const { return roots_; }
    // Shows the volume with that root; an unknown root leaves nothing chosen.
    void ShowDrive(const std::string& root);
    std::string Drive() const;

private:
    std::vector<std::string> roots_;
};

// A folder list linked to a drive selector. It shows the folders from its volume's root
// down to its current folder, then the subfolders of the current folder; double-clicking an
// entry makes it current. The selector follows the volume of the current folder, and a
// volume chosen in the selector moves the list to the folder it last had on that volume.
class TDirectoryListBox : public QListWidget {
    Q_OBJECT

public:
    TDirectoryListBox(TDriveComboBox& selector, QWidget* parent);

    std::string Directory() const { return directory_; }
    // Makes an existing absolute folder current and lists its subfolders as they are now;
    // raises when there is no such folder.
    void SetDirectory(const std::string& folder);
    // Moves to the folder last current on that volume, or to its root.
    void SetDrive(const std::string& volumeRoot);
    // Puts the volumes now mounted into the selector and reads the current folder again.
    void RefreshVolumes(const std::vector<std::string>& volumeRoots);

signals:
    // The current folder changed, whoever changed it.
    void DirectoryChanged();

private:
    void ShowEntries();

    TDriveComboBox& selector_;
    std::string directory_;
    std::map<std::string, std::string> folderOnDrive_;
};

}  // namespace brellow
