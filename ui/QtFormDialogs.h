#pragma once

#include "ui/FormDialogs.h"

#include <QString>

#include <memory>

class QFileDialog;

namespace norvane {

// The dialogs on screen: a critical message box captioned with the
// program's title, and Qt's multi-selection file-open dialog.
class QtFormDialogs : public FormDialogs {
public:
    void SetTitle(const QString& title) { title_ = title; }

    void ShowError(QWidget* parent, const std::string& message) override;
    bool ChooseFiles(QWidget* parent, const std::string& qtFilter, const std::string& startFolder,
                     std::vector<std::string>& files) override;

    // The dialog ChooseFiles runs, not yet shown: Qt's own dialog rather than
    // the desktop's, so that it speaks the program's language.
    static std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, const std::string& qtFilter,
                                                       const std::string& startFolder);

private:
    QString title_;
};

}  // namespace norvane
