#include "ui/QtPrompt.h"

#include "controls/AboutG3F.h"
#include "ui/QtBytes.h"

#include <QMessageBox>

namespace norvane {

QWidget* QtPrompt::BoxParent(QWidget* mainWindow)
{
    if (QWidget* splash = AboutForm())
        return splash;
    return mainWindow;
}

std::unique_ptr<QMessageBox> QtPrompt::MakeBox(PromptKind kind, std::string_view caption,
                                               std::string_view text, QWidget* parent)
{
    QString body = FromBytes(text);
    body.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const bool question = kind == PromptKind::Question;
    auto box = std::make_unique<QMessageBox>(question ? QMessageBox::Question : QMessageBox::Warning,
                                             FromBytes(caption), body,
                                             question ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok,
                                             parent);
    box->setTextFormat(Qt::PlainText);
    box->setDefaultButton(question ? QMessageBox::Yes : QMessageBox::Ok);
    box->setWindowModality(Qt::ApplicationModal);
    return box;
}

bool QtPrompt::Show(PromptKind kind, std::string_view caption, std::string_view text)
{
    const auto box = MakeBox(kind, caption, text, BoxParent(mainWindow_));
    return box->exec() == QMessageBox::Yes && kind == PromptKind::Question;
}

}  // namespace norvane
