#pragma once

#include <string>
#include <vector>

class QWidget;

namespace norvane {

// The main window's own dialogs besides the fixed messages: the standard
// error box and the file-open dialog. Tests answer them instead of a user.
class FormDialogs {
public:
    virtual ~FormDialogs() = default;

    // Shows an error's message; returns when the user closed the box.
    virtual void ShowError(QWidget* parent, const std::string& message) = 0;

    // Lets the user pick existing files; false when cancelled. qtFilter is in
    // Qt's "text (patterns);;..." form.
    virtual bool ChooseFiles(QWidget* parent, const std::string& qtFilter,
                             const std::string& startFolder, std::vector<std::string>& files) = 0;
};

}  // namespace norvane
