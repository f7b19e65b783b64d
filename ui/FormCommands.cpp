#include "ui/FormCommands.h"

#include "app/AnalyzeJob.h"
#include "app/BusyCursor.h"
#include "app/Prompt.h"
#include "app/VeskJob.h"
#include "engine/Error.h"
#include "engine/KeyList.h"
#include "settings/Settings.h"
#include "ui/FileGrid.h"
#include "ui/FileSelection.h"
#include "ui/FormDialogs.h"
#include "ui/KeyPanel.h"
#include "ui/OptionPage.h"

namespace norvane {

FormCommands::FormCommands(QWidget& window, FileGrid& grid, KeyPanel& panel, KeyList& keys,
                           const OptionPage& options)
    : window_(window), grid_(grid), panel_(panel), keys_(keys), options_(options)
{
}

void FormCommands::ChooseFiles(FormDialogs& dialogs)
{
    std::vector<std::string> chosen;
    const std::string folder = TextSettings().Path;
    if (!dialogs.ChooseFiles(&window_, ConvertFilter(TextSettings().Filter), folder, chosen))
        return;  // a cancelled dialog keeps the earlier selection
    grid_.Select(UniquePaths(chosen));
}

void FormCommands::Vesk()
{
    if (grid_.SelectedFiles().empty())
        return;
    VeskJobResult result;
    {
        BusyCursorGuard busy;
        result = RunVeskJob({grid_.ListedFiles(), options_.ForVesk(), SettingsFile(), CoreCount()}, keys_);
        // Keys registered before an error are shown all the same.
        if (!result.registeredKeys.empty())
            panel_.Rebuild();
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
        result = RunAnalyzeJob(grid_.ListedFiles(), keys_, options_.Ticked(Option::AllText), nullptr, CoreCount());
        // On an error the grid stays as it was.
        if (!result.Failure())
            grid_.ShowAnalysis(result.tally);
    }
    if (const FileResult* failure = result.Failure())
        throw Error(failure->message);
}

}  // namespace norvane
