#include "ui/FormCommands.h"

#include "app/AnalyzeJob.h"
#include "app/BusyCursor.h"
#include "app/Prompt.h"
#include "app/VeskJob.h"
#include "engine/Error.h"
#include "engine/KeyList.h"
#include "settings/Settings.h"
#include "app/ExtraOptions.h"
#include "ui/BackgroundJob.h"
#include "ui/ExtraPage.h"
#include "ui/FileGrid.h"
#include "ui/FileSelection.h"
#include "ui/FormDialogs.h"
#include "ui/KeyPanel.h"
#include "ui/OptionPage.h"
#include "ui/QtBytes.h"

#include <QCoreApplication>

namespace norvane {

FormCommands::FormCommands(QWidget& window, FileGrid& grid, KeyPanel& panel, KeyList& keys,
                           KeyListSession& session, const OptionPage& options, const ExtraPage& extra)
    : window_(window),
      grid_(grid),
      panel_(panel),
      keys_(keys),
      session_(session),
      options_(options),
      extra_(extra)
{
}

VeskOptions FormCommands::Options() const
{
    VeskOptions options = options_.ForVesk();
    ApplyExtraOptions(extra_.Collect(), options);
    return options;
}

void FormCommands::ChooseFiles(FormDialogs& dialogs)
{
    std::vector<std::string> chosen;
    const std::string folder = TextSettings().Path;
    if (!dialogs.ChooseFiles(&window_, ConvertFilter(TextSettings().Filter), folder, chosen))
        return;  // a cancelled dialog keeps the earlier selection
    grid_.Select(UniquePaths(chosen));
}

void FormCommands::ListProtectedFiles(const VeskJobResult& result)
{
    std::string text;
    for (const FileResult& file : result.files)
        if (file.protectedEntity)
            text += "\r" + file.path;
    Prompt* prompt = CurrentPrompt();
    if (text.empty() || !prompt)
        return;
    const std::string heading =
        ToBytes(QCoreApplication::translate("FormCommands", "署名・暗号メールは変更せずに残しました："));
    prompt->Show(PromptKind::Notice, kMessageCaption, heading + text);
}

void FormCommands::ReportStopped(const JobResult& result)
{
    std::size_t done = 0;
    for (const FileResult& file : result.files)
        if (file.outcome != FileOutcome::Skipped)
            ++done;
    Prompt* prompt = CurrentPrompt();
    if (!prompt)
        return;
    const QString text = QCoreApplication::translate("FormCommands", "中止しました：%1 件中 %2 件処理しました")
                             .arg(result.files.size())
                             .arg(done);
    prompt->Show(PromptKind::Notice, kMessageCaption, ToBytes(text));
}

void FormCommands::Vesk()
{
    if (grid_.SelectedFiles().empty())
        return;
    VeskJobResult result;
    {
        BusyCursorGuard busy;
        // A failed save of the registered keys is not shown here: the list
        // keeps them, and the save at close tries again and reports.
        const VeskJob job{grid_.ListedFiles(), Options(), &session_, CoreCount()};
        BackgroundJob background(window_, QCoreApplication::translate("FormCommands", "ヴェスクしています"));
        background.Run(job.files.size(),
                       [&](JobObserver& observer) { result = RunVeskJob(job, keys_, &observer); });
        // Keys registered before an error or a stop are shown all the same.
        if (!result.registeredKeys.empty())
            panel_.Rebuild();
    }
    ListProtectedFiles(result);
    if (result.cancelled) {
        ReportStopped(result);
        return;
    }
    if (const FileResult* failure = result.Failure())
        throw Error(failure->message);
    if (NotifyUser(MessageCode::AskAnalyzeAfterVesk, ""))
        Analyze();
}

void FormCommands::Analyze()
{
    if (grid_.SelectedFiles().empty())
        return;
    AnalyzeJobResult result;
    {
        BusyCursorGuard busy;
        const std::vector<std::string> files = grid_.ListedFiles();
        const AnalyzeOptions options = AnalyzeOptionsFrom(Options());
        BackgroundJob background(window_, QCoreApplication::translate("FormCommands", "ヘッダーを調査しています"));
        background.Run(files.size(), [&](JobObserver& observer) {
            result = RunAnalyzeJob(files, keys_, options, &observer, CoreCount());
        });
        // On an error or a stop the grid stays as it was.
        if (!result.Failure() && !result.cancelled)
            grid_.ShowAnalysis(result.tally);
    }
    if (result.cancelled) {
        ReportStopped(result);
        return;
    }
    if (const FileResult* failure = result.Failure())
        throw Error(failure->message);
}

}  // namespace norvane
