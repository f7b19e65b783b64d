// Grabs both tab pages of the main window after an Analyze run on the bundled
// samples, the preview of the first sample and the About box: docs/vesk.png,
// docs/option.png, docs/preview.png and docs/about.png in Japanese; with
// "en", the same in English as vesk-en.png, option-en.png, preview-en.png and
// about-en.png.
//
//   build/ui/norvane_screenshots [samples-folder] [output-folder] [ja|en]
//
// Runs offscreen; the Japanese fonts must be installed (scripts/setup.sh).

#include "controls/AboutG3F.h"
#include "controls/ChkLstEx.h"
#include "controls/Controls.h"
#include "app/Prompt.h"
#include "translations/Translations.h"
#include "ui/TForm1.h"
#include "ui/TStringGrid.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QPainter>
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

// A window with a plain caption bar drawn above it: offscreen windows have
// no frames.
bool SaveWithCaption(QWidget& window, const QString& path)
{
    QApplication::processEvents();
    const QPixmap client = window.grab();
    constexpr int kCaption = 20;
    QPixmap picture(client.width(), client.height() + kCaption);
    picture.fill(QColor(0, 0, 128));
    QPainter painter(&picture);
    painter.setPen(Qt::white);
    painter.setFont(window.font());
    const QRect bar(6, 0, client.width() - 12, kCaption);
    painter.drawText(bar, Qt::AlignLeft | Qt::AlignVCenter, window.windowTitle());
    painter.drawText(bar, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("×"));
    painter.drawPixmap(0, kCaption, client);
    painter.end();
    return picture.save(path, "PNG");
}

bool SaveAbout(const QString& path)
{
    TAboutG3F about(false);
    about.show();
    return SaveWithCaption(about, path);
}

// The preview of the grid's first file, opened from the popup menu.
bool SavePreview(norvane::TForm1& form, const QString& path)
{
    form.Grid()->SelectCell(1, 1);
    form.PopupMenu1Popup();
    auto* item = form.findChild<QAction*>(QStringLiteral("PPreview"));
    if (!item || !item->isEnabled())
        return false;
    item->trigger();
    auto* dialog = form.findChild<QDialog*>(QStringLiteral("PreviewDialog"));
    if (!dialog)
        return false;
    dialog->resize(620, 440);
    const bool saved = SaveWithCaption(*dialog, path);
    dialog->close();
    return saved;
}

}  // namespace

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    const fs::path samples = argc > 1 ? fs::path(argv[1]) : fs::path("samples");
    const fs::path out = argc > 2 ? fs::path(argv[2]) : fs::path("docs");
    const bool english = argc > 3 && std::string_view(argv[3]) == "en";
    const norvane::Language language = english ? norvane::Language::English : norvane::Language::Japanese;
    const std::string suffix = english ? "-en.png" : ".png";
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QApplication app(argc, argv);
    InstallFontSubstitutions();
    QApplication::setWindowIcon(ApplicationIcon());
    norvane::SetMessageLanguage(language);
    const norvane::Translations translations(language);

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
        if (!form.grab().save(QString::fromStdString((out / ("vesk" + suffix)).string())))
            status = 1;
        pages->setCurrentIndex(1);
        QApplication::processEvents();
        if (!form.grab().save(QString::fromStdString((out / ("option" + suffix)).string())))
            status = 1;
        pages->setCurrentIndex(0);
        if (!SavePreview(form, QString::fromStdString((out / ("preview" + suffix)).string())))
            status = 1;
    }
    if (!SaveAbout(QString::fromStdString((out / ("about" + suffix)).string())))
        status = 1;
    norvane::SetPrompt(nullptr);
    fs::remove_all(scratch);
    if (status == 0)
        std::cout << "wrote " << (out / ("vesk" + suffix)).string() << ", " << (out / ("option" + suffix)).string()
                  << ", " << (out / ("preview" + suffix)).string() << " and " << (out / ("about" + suffix)).string()
                  << '\n';
    return status;
}
