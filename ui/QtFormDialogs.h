#pragma once

#include "ui/FormDialogs.h"

#include <QString>

namespace norvane {

// The dialogs on screen: a critical message box captioned with the
// program's title, and Qt's multi-selection file-open dialog.
class QtFormDialogs : public FormDialogs {
public:
    void SetTitle(const QString& title) { title_ = title; }

    void ShowError(QWidget* parent, const std::string& message) override;
    bool ChooseFiles(QWidget* parent, const std::string& qtFilter, const std::string& startFolder,
                     std::vector<std::string>& files) override;

private:
    QString title_;
};

}  // namespace norvane
