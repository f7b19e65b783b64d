#include "ui/FolderChooser.h"

#include "ui/QtBytes.h"

#include <QFileDialog>

namespace norvane {

namespace {

FolderChooser* installed = nullptr;

}  // namespace

std::unique_ptr<QFileDialog> QtFolderChooser::MakeFolderDialog(QWidget* parent, const std::string& startFolder)
{
    const QString start = FromLocalPath(startFolder);
    auto dialog = std::make_unique<QFileDialog>(parent, QString(), start);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    return dialog;
}

bool QtFolderChooser::ChooseFolder(QWidget* parent, const std::string& startFolder, std::string& folder)
{
    const auto dialog = MakeFolderDialog(parent, startFolder);
    if (dialog->exec() != QDialog::Accepted)
        return false;
    const QStringList chosen = dialog->selectedFiles();
    if (chosen.isEmpty())
        return false;
    folder = LocalPath(chosen.front());
    return true;
}

void SetFolderChooser(FolderChooser* chooser)
{
    installed = chooser;
}

FolderChooser& CurrentFolderChooser()
{
    static QtFolderChooser qt;
    return installed ? *installed : qt;
}

}  // namespace norvane
