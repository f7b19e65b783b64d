#pragma once

#include <memory>
#include <string>

class QFileDialog;
class QWidget;

namespace norvane {

// Lets the user pick a folder. The window shows Qt's folder dialog; tests
// install a chooser that answers instead of a user.
class FolderChooser {
public:
    virtual ~FolderChooser() = default;
    // False when cancelled; otherwise folder is the chosen folder's path as
    // the file system names it.
    virtual bool ChooseFolder(QWidget* parent, const std::string& startFolder, std::string& folder) = 0;
};

// Qt's own folder dialog (not the desktop's, so that it speaks the
// program's language), showing folders only.
class QtFolderChooser : public FolderChooser {
public:
    bool ChooseFolder(QWidget* parent, const std::string& startFolder, std::string& folder) override;

    // The dialog ChooseFolder runs, not yet shown.
    static std::unique_ptr<QFileDialog> MakeFolderDialog(QWidget* parent, const std::string& startFolder);
};

// Installs the chooser the window asks (nullptr: Qt's dialog). The chooser
// must outlive its installation.
void SetFolderChooser(FolderChooser* chooser);
FolderChooser& CurrentFolderChooser();

// Installs a chooser for its lifetime.
class FolderChooserScope {
public:
    explicit FolderChooserScope(FolderChooser* chooser) { SetFolderChooser(chooser); }
    ~FolderChooserScope() { SetFolderChooser(nullptr); }
    FolderChooserScope(const FolderChooserScope&) = delete;
    FolderChooserScope& operator=(const FolderChooserScope&) = delete;
};

}  // namespace norvane
