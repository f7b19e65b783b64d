#pragma once

#include "app/ExtraOptions.h"

#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace norvane {

class ExtraPage;
class KeyListSession;

class FileGrid;
class KeyList;
class KeyPanel;
class OptionPage;
class TFormGeometry;
class THintFilter;

// The main window's start and end. At creation the splash comes up; when the
// window is first shown the key list and the settings are read and applied
// (geometry kept on a screen, options, hint pauses, the grid's layout), the
// files named on the command line are listed, and the splash stays until its
// time from program start is over. At close the options, the geometry, the
// last folder and the sorted key list are written back.
class StartUp {
public:
    using ReportError = std::function<void(const std::string& message)>;

    StartUp(QWidget& window, KeyList& keys, KeyListSession& session, KeyPanel& panel, FileGrid& grid,
            OptionPage& options, ExtraPage& extra, THintFilter& hints, std::vector<std::string> arguments);

    // The executable the settings file is named after; empty: this program.
    void SetExecutablePath(std::string path) { executablePath_ = std::move(path); }

    // Opens the splash and starts an empty key list.
    void Create();
    // Start-up proper; runs once. An error ends it, closes the splash and
    // goes to report.
    void Show(const ReportError& report);
    bool Started() const { return started_; }

    // Whether a close has to wait: asked during the splash wait, the window
    // closes once the wait is over.
    bool PostponeClose();
    // Writes the settings and the key list back (merged with what others
    // stored meanwhile); runs once. A key list that cannot be saved goes to
    // report.
    void Close(const ReportError& report);
    // Closes the splash of a window that was never shown.
    void Abandon();

private:
    void Steps(const ReportError& report);
    void ApplyGeometry(const TFormGeometry& geometry);
    void ListArguments();
    void SplashWait();

    QWidget& window_;
    KeyList& keys_;
    KeyListSession& session_;
    KeyPanel& panel_;
    FileGrid& grid_;
    OptionPage& options_;
    ExtraPage& extra_;
    ExtraOptions storedExtra_;
    THintFilter& hints_;
    std::vector<std::string> arguments_;
    std::string executablePath_;
    bool started_ = false;
    bool waiting_ = false;
    bool quitRequested_ = false;
    bool closed_ = false;
};

}  // namespace norvane
