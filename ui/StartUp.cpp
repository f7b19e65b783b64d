#include "ui/StartUp.h"

#include "controls/AboutG3F.h"
#include "engine/Error.h"
#include "engine/KeyList.h"
#include "settings/KeyListStorage.h"
#include "app/BusyCursor.h"
#include "app/DisplayText.h"
#include "app/Prompt.h"
#include "app/WindowGeometry.h"
#include "settings/Settings.h"
#include "ui/ExtraPage.h"
#include "ui/FileGrid.h"
#include "ui/FileSelection.h"
#include "ui/KeyPanel.h"
#include "ui/OptionPage.h"
#include "ui/QtBytes.h"
#include "ui/TFormGeometry.h"
#include "ui/THintFilter.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdint>

namespace norvane {

namespace {

constexpr QPoint kDesignedPos(200, 95);
constexpr QSize kDesignedSize(333, 292);
constexpr QSize kMinimumSize(160, 120);

}  // namespace

StartUp::StartUp(QWidget& window, KeyList& keys, KeyListSession& session, KeyPanel& panel, FileGrid& grid,
                 OptionPage& options, ExtraPage& extra, THintFilter& hints, std::vector<std::string> arguments)
    : window_(window),
      keys_(keys),
      session_(session),
      panel_(panel),
      grid_(grid),
      options_(options),
      extra_(extra),
      hints_(hints),
      arguments_(std::move(arguments))
{
    window_.setMinimumSize(kMinimumSize);
    window_.move(kDesignedPos);
}

void StartUp::Create()
{
    ShowAbout(true);
    keys_.Clear();
}

void StartUp::Show(const ReportError& report)
{
    if (started_)
        return;
    started_ = true;
    try {
        Steps(report);
    } catch (const std::exception& error) {
        waiting_ = false;
        CloseAbout();
        window_.setEnabled(true);
        report(error.what());
    }
}

void StartUp::Steps(const ReportError& report)
{
    InitSettingsLocation(executablePath_.empty() ? ExecutablePath() : executablePath_);
    session_ = KeyListSession(SettingsFile());
    const int loaded = session_.Load(keys_);
    TFormGeometry geometry(window_);
    try {
        const SettingsRead read = LoadSettings(geometry, storedExtra_);
        if (read == SettingsRead::FileMissing)
            NotifyUser(MessageCode::SettingsFileMissing, SettingsFile());
        else if (read == SettingsRead::TooLarge)
            report(SettingsTooLargeMessage(SettingsFile()));
    } catch (const Error& error) {
        // A malformed geometry value is reported; the rest of start-up goes on.
        report(error.what());
    }
    ApplyGeometry(geometry);
    if (loaded > 0)
        panel_.Rebuild();
    const IntegerSettingsTable& pauses = IntegerSettings();
    hints_.Install(pauses.HntPaus, pauses.HStPaus, pauses.HHdPaus);
    grid_.SetColumnWidths();
    grid_.ResetGridHeaders(GridReset::HeaderOnly);
    options_.Apply(OptionFlags());
    extra_.Apply(storedExtra_);
    grid_.UpdateCommandButtons();
    window_.setAcceptDrops(true);
    ListArguments();
    SplashWait();
}

void StartUp::ApplyGeometry(const TFormGeometry& geometry)
{
    const QRect frame(window_.pos(), window_.size());
    const QScreen* home = nullptr;
    for (const QScreen* screen : QGuiApplication::screens())
        if (!home && screen->availableGeometry().intersects(frame))
            home = screen;
    if (!home || geometry.SizeSetBelow(kMinimumSize.width(), kMinimumSize.height())) {
        window_.move(kDesignedPos);
        window_.resize(kDesignedSize);
        return;
    }
    if (!geometry.SizeCut())
        return;
    // A window cut to its screen's size stands on that screen whole.
    const QRect area = home->availableGeometry();
    const QSize outer = window_.frameGeometry().size();
    const int left = std::clamp(window_.x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width()));
    const int top = std::clamp(window_.y(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height()));
    window_.move(left, top);
}

void StartUp::ListArguments()
{
    if (arguments_.empty())
        return;
    grid_.AddToSelection(ExpandArguments(arguments_, LocalPath(QDir::currentPath())));
    if (!grid_.SelectedFiles().empty())
        grid_.ShowSelectedFiles(grid_.SelectedFiles());
}

void StartUp::SplashWait()
{
    if (!AboutForm())
        return;
    // The window shows but takes no input until the splash has gone.
    window_.setEnabled(false);
    waiting_ = true;
    QCoreApplication::processEvents();
    const std::int32_t wait = IntegerSettings().OpnWait;
    while (!quitRequested_) {
        const auto elapsed = static_cast<std::int32_t>(TickCount() - SplashStartTick);
        if (elapsed > wait)
            break;
        QEventLoop loop;
        QTimer::singleShot(std::min(wait - elapsed + 1, 50), &loop, &QEventLoop::quit);
        if (loop.exec() < 0)  // the application is ending
            break;
    }
    waiting_ = false;
    CloseAbout();
    window_.setEnabled(true);
    if (quitRequested_)
        QTimer::singleShot(0, &window_, &QWidget::close);
}

bool StartUp::PostponeClose()
{
    if (!waiting_)
        return false;
    quitRequested_ = true;
    return true;
}

void StartUp::Close(const ReportError& report)
{
    if (closed_)
        return;
    closed_ = true;
    SetOptionFlags(options_.Collect(OptionFlags()));
    // Failures to write the settings file go unnoticed.
    try {
        const TFormGeometry geometry(window_);
        SaveSettings(geometry, extra_.Collect());
    } catch (...) {
    }
    try {
        session_.Save(keys_, KeyOrder::Sorted);
    } catch (const Error& error) {
        report(error.what());
    }
    keys_.Clear();
}

void StartUp::Abandon()
{
    if (!started_)
        CloseAbout();
}

}  // namespace norvane
