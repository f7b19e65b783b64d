#include "ui/FormCommands.h"

#include "engine/HeaderAnalysis.h"
#include "engine/KeyList.h"
#include "engine/VeskFile.h"
#include "engine/VeskRun.h"
#include "settings/KeyListStorage.h"
#include "app/BusyCursor.h"
#include "app/DisplayText.h"
#include "app/Prompt.h"
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
    const std::size_t keysBefore = keys_.Count();
    {
        BusyCursorGuard busy;
        try {
            const VeskOptions options = options_.ForVesk();
            VeskRun run(grid_.ListedFiles());
            KeyListSaveGuard save(SettingsFile(), keys_);
            for (const auto& file : run.Files())
                save.Note(VeskFile(file, keys_, options, run).registeredKeys);
        } catch (...) {
            // Keys registered before the error are shown all the same.
            if (keys_.Count() != keysBefore)
                panel_.Rebuild();
            throw;
        }
        if (keys_.Count() != keysBefore)
            panel_.Rebuild();
    }
    if (NotifyUser(MessageCode::AskAnalyzeAfterVesk, ""))
        Analyze();
}

void FormCommands::Analyze()
{
    if (grid_.SelectedFiles().empty())
        return;
    // On an error the grid stays as it was.
    BusyCursorGuard busy;
    grid_.ShowAnalysis(AnalyzeFiles(grid_.ListedFiles(), keys_, options_.Ticked(Option::AllText)));
}

}  // namespace norvane
