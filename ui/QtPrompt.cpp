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

bool QtPrompt::Show(PromptKind kind, std::string_view caption, std::string_view text)
{
    QString body = FromBytes(text);
    body.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const bool question = kind == PromptKind::Question;
    QMessageBox box(question ? QMessageBox::Question : QMessageBox::Warning,
                    FromBytes(caption), body,
                    question ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok,
                    BoxParent(mainWindow_));
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(question ? QMessageBox::Yes : QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    return box.exec() == QMessageBox::Yes && question;
}

}  // namespace norvane
