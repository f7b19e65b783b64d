#include "controls/Controls.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "translations/Translations.h"
#include "ui/QtCursorScreen.h"
#include "ui/QtPrompt.h"
#include "ui/TForm1.h"

#include <QApplication>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kUsage =
    "Usage: norvane [FILE | PATTERN]...\n"
    "       norvane --help | --version\n"
    "\n"
    "Opens the window with the FILEs listed; a PATTERN holds wildcards (* and ?),\n"
    "several joined by \";\". Arguments that name nothing are skipped.\n"
    "norvane-cli does the same work without a window (norvane-cli --help).\n";

// --help or --version as the first argument: printed without a display.
bool PrintedInfo(const std::vector<std::string>& arguments)
{
    if (arguments.empty())
        return false;
    std::string text;
    if (arguments.front() == "--help" || arguments.front() == "-h")
        text = kUsage;
    else if (arguments.front() == "--version")
        text = std::string("norvane ") + NORVANE_VERSION + "\n";
    else
        return false;
    std::fwrite(text.data(), 1, text.size(), stdout);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    // Arguments stay bytes: file names need not be valid text.
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (PrintedInfo(arguments))
        return std::fflush(stdout) == 0 ? 0 : 1;

    QApplication app(argc, argv);
    // Lets the desktop match the window to its installed entry and icon.
    QApplication::setDesktopFileName(QStringLiteral("org.example.Norvane"));
    InstallFontSubstitutions();
    QApplication::setWindowIcon(ApplicationIcon());

    // The language is fixed for the run, before the first window shows.
    const std::string executable = norvane::ExecutablePath();
    const norvane::Language language = norvane::ChooseLanguage(
        norvane::ReadLanguageChoice(norvane::LocateSettingsFile(executable), norvane::SettingsSectionFor(executable)),
        norvane::ProcessEnvironment());
    norvane::SetMessageLanguage(language);
    const norvane::Translations translations(language);

    norvane::QtPrompt prompt;
    norvane::QtCursorScreen cursor;
    norvane::SetPrompt(&prompt);
    norvane::SetCursorScreen(&cursor);

    int result = 0;
    {
        norvane::TForm1 form(std::move(arguments));
        prompt.SetMainWindow(&form);
        form.show();
        result = QApplication::exec();
    }
    norvane::SetPrompt(nullptr);
    norvane::SetCursorScreen(nullptr);
    return result;
}
