#pragma once

#include "ui/FormDialogs.h"

namespace norvane {

// The dialogs on screen: a critical message box captioned with the
// application's name, and Qt's multi-selection file-open dialog.
class QtFormDialogs : public FormDialogs {
public:
    void ShowError(QWidget* parent, const std::string& message) override;
    bool ChooseFiles(QWidget* parent, const std::string& qtFilter, const std::string& startFolder,
                     std::vector<std::string>& files) override;
};

}  // namespace norvane
