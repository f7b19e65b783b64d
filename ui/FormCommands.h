#pragma once

#include <string>
#include <vector>

class QLabel;
class QWidget;

namespace norvane {

struct JobResult;
struct VeskJobResult;
struct VeskOptions;

class ExtraPage;
class KeyListSession;

class FileGrid;
class FormDialogs;
class KeyList;
class KeyPanel;
class OptionPage;

// The file page's commands: choosing files, Vesk over the listed files,
// Analyze of them and the preview of a Vesk run. A run goes on off the
// user-interface thread while the window repaints (see BackgroundJob), with
// a progress dialog when it takes a while, and may be stopped there; the
// command returns when it is over.
// An error ends it and goes on to the caller, which reports it once the busy
// cursor is off again; a stop is told in a notice.
class FormCommands {
public:
    // A Vesk run reports its totals (files done, bytes before and after,
    // unchanged, skipped and protected files) in report.
    FormCommands(QWidget& window, FileGrid& grid, KeyPanel& panel, KeyList& keys, KeyListSession& session,
                 const OptionPage& options, const ExtraPage& extra, QLabel& report);

    // The file-open dialog; confirmed files replace the selection.
    void ChooseFiles(FormDialogs& dialogs);
    // Strips the listed files, then offers Analyze.
    void Vesk();
    // Counts the header keys of the listed files into the grid.
    void Analyze();
    // Puts the grid's selected file back from its newest backup, once the
    // user said yes to the question naming the backup and its time.
    void Restore();

    // Opens a dialog listing what Vesk would change in files, writing
    // nothing; a stopped run opens none.
    void Preview(const std::vector<std::string>& files);

private:
    // One notice naming the files whose signed or encrypted part was kept whole.
    static void ListProtectedFiles(const VeskJobResult& result);
    // One notice saying how many of the files listed a stopped run did.
    static void ReportStopped(const JobResult& result);

    // The ticks of both option pages as the engine takes them.
    VeskOptions Options() const;
    void Report(const VeskJobResult& result);

    QWidget& window_;
    FileGrid& grid_;
    KeyPanel& panel_;
    KeyList& keys_;
    KeyListSession& session_;
    const OptionPage& options_;
    const ExtraPage& extra_;
    QLabel& report_;
};

}  // namespace norvane
