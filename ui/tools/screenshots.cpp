// Grabs both tab pages of the main window after an Analyze run on the bundled
// samples: docs/vesk.png and docs/option.png.
//
//   build/ui/norvane_screenshots [samples-folder] [output-folder]
//
// Runs offscreen; the Japanese fonts must be installed (scripts/setup.sh).

#include "controls/ChkLstEx.h"
#include "controls/Controls.h"
#include "app/Prompt.h"
#include "ui/TForm1.h"

#include <QApplication>
#include <QTabWidget>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

// Answers every message without showing it: no to questions.
class SilentPrompt : public norvane::Prompt {
public:
    bool Show(norvane::PromptKind, std::string_view, std::string_view text) override
    {
        std::cerr << "message: " << text << '\n';
        return false;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    const fs::path samples = argc > 1 ? fs::path(argv[1]) : fs::path("samples");
    const fs::path out = argc > 2 ? fs::path(argv[2]) : fs::path("docs");
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QApplication app(argc, argv);
    InstallFontSubstitutions();

    // The window works on copies, beside a settings file of its own.
    const fs::path scratch = fs::temp_directory_path() / "norvane-screenshots";
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(samples))
        if (entry.is_regular_file()) {
            fs::copy_file(entry.path(), scratch / entry.path().filename());
            files.push_back((scratch / entry.path().filename()).string());
        }
    std::sort(files.begin(), files.end());
    std::ofstream(scratch / "norvane.ini", std::ios::binary)
        << "[norvane]\r\nXYWH=200,95,520,380\r\nOpnWait=0\r\nChkBFlg=0x13\r\n"
           "[Dat]\r\nDat1=Received\r\nDat2=;Subject\r\nDat3=;Date\r\nDat4=DKIM-Signature\r\n"
           "Dat5=;X-Mailer\r\nDat6=;From\r\n";

    SilentPrompt prompt;
    norvane::SetPrompt(&prompt);
    int status = 0;
    {
        norvane::TForm1 form(files);
        form.SetExecutablePath((scratch / "norvane").string());
        form.show();
        form.Button3Click();
        TChkListBoxEx& panel = *form.KeyPanel();
        for (int i = 0; i < panel.count(); ++i)
            if (panel.item(i)->text() == QStringLiteral("X-Mailer")) {
                panel.ToggleItemCheck(i);
                panel.setCurrentRow(i);
            }
        auto* pages = form.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
        fs::create_directories(out);
        pages->setCurrentIndex(0);
        QApplication::processEvents();  // lays out the page just brought to front
        if (!form.grab().save(QString::fromStdString((out / "vesk.png").string())))
            status = 1;
        pages->setCurrentIndex(1);
        QApplication::processEvents();
        if (!form.grab().save(QString::fromStdString((out / "option.png").string())))
            status = 1;
    }
    norvane::SetPrompt(nullptr);
    fs::remove_all(scratch);
    if (status == 0)
        std::cout << "wrote " << (out / "vesk.png").string() << " and " << (out / "option.png").string() << '\n';
    return status;
}
