#include "ui/FormCommands.h"

#include "app/AnalyzeJob.h"
#include "app/BusyCursor.h"
#include "app/PreviewReport.h"
#include "app/Prompt.h"
#include "app/VeskJob.h"
#include "engine/Error.h"
#include "engine/KeyList.h"
#include "engine/MessageText.h"
#include "engine/Restore.h"
#include "settings/Settings.h"
#include "app/ExtraOptions.h"
#include "ui/BackgroundJob.h"
#include "ui/ExtraPage.h"
#include "ui/FileGrid.h"
#include "ui/FileSelection.h"
#include "ui/FormDialogs.h"
#include "ui/KeyPanel.h"
#include "ui/OptionPage.h"
#include "ui/PreviewDialog.h"
#include "ui/QtBytes.h"

#include <QCoreApplication>
#include <QLabel>

#include <initializer_list>

namespace norvane {

namespace {

// A translated pattern with %1, %2, ... replaced by byte texts (paths need
// not be valid text).
std::string Fill(const char* pattern, std::initializer_list<std::string> arguments)
{
    std::string text = ToBytes(QCoreApplication::translate("FormCommands", pattern));
    int number = 1;
    for (const std::string& argument : arguments) {
        const std::string mark = "%" + std::to_string(number++);
        if (const auto at = text.find(mark); at != std::string::npos)
            text.replace(at, mark.size(), argument);
    }
    return text;
}

}  // namespace

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
    Report(result);
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

void FormCommands::Report(const VeskJobResult& result)
{
    if (!report_)
        return;
    std::size_t done = 0;
    std::size_t unchanged = 0;
    std::size_t skipped = 0;
    std::size_t protectedFiles = 0;
    std::uint64_t before = 0;
    std::uint64_t after = 0;
    std::size_t saved = 0;
    for (const FileResult& file : result.files) {
        saved += file.saved.size();
        skipped += file.outcome == FileOutcome::Skipped ? 1 : 0;
        if (file.outcome != FileOutcome::Processed && file.outcome != FileOutcome::Unchanged)
            continue;
        ++done;
        unchanged += file.outcome == FileOutcome::Unchanged ? 1 : 0;
        protectedFiles += file.protectedEntity ? 1 : 0;
        before += file.bytesBefore;
        after += file.bytesAfter;
    }
    std::string text =
        Fill(QT_TRANSLATE_NOOP("FormCommands", "処理 %1 件：%2 → %3 バイト（変更なし %4 件、スキップ %5 件、保護 %6 件）"),
             {std::to_string(done), std::to_string(before), std::to_string(after), std::to_string(unchanged),
              std::to_string(skipped), std::to_string(protectedFiles)});
    if (saved > 0)
        text += Fill(QT_TRANSLATE_NOOP("FormCommands", "、添付ファイル %1 個を保存"), {std::to_string(saved)});
    report_->setText(FromBytes(text));
    report_->show();
}

void FormCommands::Restore()
{
    const std::optional<std::string> path = grid_.AnchorPath();
    if (!path)
        return;
    const BackupSet set = FindBackups(*path);
    const BackupFile& backup = ChooseBackup(set, BackupChoice::kNewest, *path);
    // Two lines, CR between them as in every message of the program.
    const std::string question =
        Fill(QT_TRANSLATE_NOOP("FormCommands", "ﾌｧｲﾙ %1 を"), {*path}) + "\r" +
        Fill(QT_TRANSLATE_NOOP("FormCommands", "ﾊﾞｯｸｱｯﾌﾟ %1（%2）から元に戻して宜しいですか？"),
             {backup.path, LocalTimeText(backup.modified)});
    Prompt* prompt = CurrentPrompt();
    if (!prompt || !prompt->Show(PromptKind::Question, Localized(kMessageCaption), question))
        return;
    BusyCursorGuard busy;
    RestoreFromBackup(*path, backup.path);
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
