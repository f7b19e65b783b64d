#include "ui/FormCommands.h"

#include "app/AnalyzeJob.h"
#include "app/BusyCursor.h"
#include "app/PreviewReport.h"
#include "app/Prompt.h"
#include "app/VeskJob.h"
#include "engine/Error.h"
#include "engine/KeyList.h"
#include "settings/Settings.h"
#include "app/ExtraOptions.h"
#include "ui/ExtraPage.h"
#include "ui/FileGrid.h"
#include "ui/FileSelection.h"
#include "ui/FormDialogs.h"
#include "ui/KeyPanel.h"
#include "ui/OptionPage.h"
#include "ui/PreviewDialog.h"
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

void FormCommands::Vesk()
{
    if (grid_.SelectedFiles().empty())
        return;
    VeskJobResult result;
    {
        BusyCursorGuard busy;
        // A failed save of the registered keys is not shown here: the list
        // keeps them, and the save at close tries again and reports.
        result = RunVeskJob({grid_.ListedFiles(), Options(), &session_, CoreCount()}, keys_);
        // Keys registered before an error are shown all the same.
        if (!result.registeredKeys.empty())
            panel_.Rebuild();
    }
    ListProtectedFiles(result);
    if (const FileResult* failure = result.Failure())
        throw Error(failure->message);
    if (NotifyUser(MessageCode::AskAnalyzeAfterVesk, ""))
        Analyze();
}

void FormCommands::Preview(const std::vector<std::string>& files)
{
    if (files.empty())
        return;
    auto* dialog = new PreviewDialog(&window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    VeskJobResult result;
    {
        BusyCursorGuard busy;
        const auto show = [dialog](const FileResult& file, const VeskPreview& preview) {
            dialog->AddFile(file, DescribeChanges(preview.Before(), preview.After()));
        };
        result = DryRunVeskJob({files, Options(), nullptr, CoreCount()}, keys_, nullptr, show);
    }
    std::vector<std::string> notReached;
    for (const FileResult& file : result.files) {
        if (file.outcome == FileOutcome::Error || file.outcome == FileOutcome::Refused)
            dialog->AddFile(file, {});
        else if (file.outcome == FileOutcome::Skipped)
            notReached.push_back(file.path);
    }
    dialog->AddNotReached(notReached);
    dialog->AddRegisteredKeys(result.registeredKeys);
    dialog->open();
}

void FormCommands::Analyze()
{
    if (grid_.SelectedFiles().empty())
        return;
    AnalyzeJobResult result;
    {
        BusyCursorGuard busy;
        result = RunAnalyzeJob(grid_.ListedFiles(), keys_, AnalyzeOptionsFrom(Options()), nullptr, CoreCount());
        // On an error the grid stays as it was.
        if (!result.Failure())
            grid_.ShowAnalysis(result.tally);
    }
    if (const FileResult* failure = result.Failure())
        throw Error(failure->message);
}

}  // namespace norvane
