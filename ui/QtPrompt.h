#pragma once

#include "app/Prompt.h"

#include <memory>

class QMessageBox;
class QWidget;

namespace norvane {

// The fixed messages as modal message boxes: plain text with each CR shown
// as a line break, Yes the default answer of a question. While the splash is
// up a box is parented to it, so the always-on-top splash cannot hide it.
class QtPrompt : public Prompt {
public:
    explicit QtPrompt(QWidget* mainWindow = nullptr) : mainWindow_(mainWindow) {}
    void SetMainWindow(QWidget* mainWindow) { mainWindow_ = mainWindow; }

    bool Show(PromptKind kind, std::string_view caption, std::string_view text) override;

    // The box Show runs, not yet shown; its buttons speak the language of
    // Qt's installed catalogue.
    static std::unique_ptr<QMessageBox> MakeBox(PromptKind kind, std::string_view caption,
                                                std::string_view text, QWidget* parent);

    // The window a box of the program belongs to just now.
    static QWidget* BoxParent(QWidget* mainWindow);

private:
    QWidget* mainWindow_;
};

}  // namespace norvane
