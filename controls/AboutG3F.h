#pragma once

#include "ui_AboutG3F.h"

#include <QDialog>

#include <cstdint>
#include <string>

// Millisecond tick count in 32 bits (wraps after about 49 days).
std::uint32_t TickCount();

// The tick count taken when the program starts, before any window exists.
extern const std::uint32_t SplashStartTick;

// The About box, which also serves as the start-up splash.
class TAboutG3F : public QDialog {
    Q_OBJECT

public:
    explicit TAboutG3F(bool splash, QWidget* parent = nullptr);
    ~TAboutG3F() override;

    int FrameWidth() const { return frameWidth_; }
    int FrameHeight() const { return frameHeight_; }
    // Path of the description text beside the executable, or empty.
    const std::string& DescriptionFile() const { return descriptionFile_; }
    const Ui::TAboutG3F& Form() const { return ui_; }

public slots:
    void LabelG3D1Click();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void FitLabels();

    Ui::TAboutG3F ui_;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    std::string descriptionFile_;
};

// Shows the About box: as a frameless, always-on-top splash that stays up
// (splash true), or modally until the user closes it. An open box is closed
// first. owner is the main window once it exists. Returns true.
bool ShowAbout(bool splash, QWidget* owner = nullptr);

// Closes the open box (deleted once the current event is handled); false
// when none is open.
bool CloseAbout();

// The open box, or nullptr.
TAboutG3F* AboutForm();

// Where the About box looks for the executable (tests point it elsewhere);
// empty means the running program's path.
std::string& AboutExecutableOverride();

// The description file for an executable path: the path with ".txt" as
// extension when that file exists, else empty.
std::string DescriptionFileFor(const std::string& executablePath);
