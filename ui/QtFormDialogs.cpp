#include "ui/QtFormDialogs.h"

#include "ui/QtBytes.h"

#include <QFileDialog>
#include <QMessageBox>

namespace norvane {

void QtFormDialogs::ShowError(QWidget* parent, const std::string& message)
{
    QString text = FromBytes(message);
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(QMessageBox::Critical, title_, text,
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

std::unique_ptr<QFileDialog> QtFormDialogs::MakeFileDialog(QWidget* parent, const std::string& qtFilter,
                                                           const std::string& startFolder)
{
    auto dialog = std::make_unique<QFileDialog>(parent, QString(), FromBytes(startFolder), FromBytes(qtFilter));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    return dialog;
}

bool QtFormDialogs::ChooseFiles(QWidget* parent, const std::string& qtFilter,
                                const std::string& startFolder, std::vector<std::string>& files)
{
    const auto dialog = MakeFileDialog(parent, qtFilter, startFolder);
    if (dialog->exec() != QDialog::Accepted)
        return false;
    const QStringList chosen = dialog->selectedFiles();
    if (chosen.isEmpty())
        return false;
    files.clear();
    for (const QString& path : chosen)
        files.push_back(LocalPath(path));
    return true;
}

}  // namespace norvane
