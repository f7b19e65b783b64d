#include "ui/FormCommands.h"

#include "app/AnalyzeJob.h"
#include "app/BusyCursor.h"
#include "app/PreviewReport.h"
#include "app/Prompt.h"
#include "app/VeskJob.h"
#include "engine/Error.h"
#include "engine/KeyList.h"
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

namespace norvane {

FormCommands::FormCommands(QWidget& window, FileGrid& grid, KeyPanel& panel, KeyList& keys,
                           KeyListSession& session, const OptionPage& options, const ExtraPage& extra,
                           QLabel& report)
    : window_(window),
      grid_(grid),
      panel_(panel),
      keys_(keys),
      session_(session),
      options_(options),
      extra_(extra),
      report_(report)
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
    if (text.empty())
        return;
    const std::string heading =
        ToBytes(QCoreApplication::translate("FormCommands", "署名・暗号メールは変更せずに残しました："));
    ShowMessage(PromptKind::Notice, heading + text);
}

void FormCommands::ReportStopped(const JobResult& result)
{
    const QString text = QCoreApplication::translate("FormCommands", "中止しました：%1 件中 %2 件処理しました")
                             .arg(result.files.size())
                             .arg(Totals(result).reached);
    ShowMessage(PromptKind::Notice, ToBytes(text));
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
    const JobTotals totals = Totals(result);
    QString text = QCoreApplication::translate(
                       "FormCommands", "処理 %1 件：%2 → %3 バイト（変更なし %4 件、スキップ %5 件、保護 %6 件）")
                       .arg(totals.done)
                       .arg(totals.bytesBefore)
                       .arg(totals.bytesAfter)
                       .arg(totals.unchanged)
                       .arg(totals.skipped)
                       .arg(totals.protectedFiles);
    if (totals.saved > 0)
        text += QCoreApplication::translate("FormCommands", "、添付ファイル %1 個を保存").arg(totals.saved);
    report_.setText(text);
    report_.show();
}

void FormCommands::Restore()
{
    const std::optional<std::string> path = grid_.AnchorPath();
    if (!path)
        return;
    const BackupSet set = FindBackups(*path);
    const BackupFile& backup = ChooseBackup(set, BackupChoice::kNewest, *path);
    // Two lines, CR between them as in every message of the program. The
    // names are put in with one arg() per pattern, so that a "%2" in a file
    // name stays as it is.
    const QString question =
        QCoreApplication::translate("FormCommands", "ﾌｧｲﾙ %1 を").arg(FromBytes(*path)) + QLatin1Char('\r') +
        QCoreApplication::translate("FormCommands", "ﾊﾞｯｸｱｯﾌﾟ %1（%2）から元に戻して宜しいですか？")
            .arg(FromBytes(backup.path), FromBytes(LocalTimeText(backup.modified)));
    if (!ShowMessage(PromptKind::Question, ToBytes(question)))
        return;
    BusyCursorGuard busy;
    RestoreFromBackup(*path, backup.path);
}

void FormCommands::Preview(const std::vector<std::string>& files)
{
    if (files.empty())
        return;
    VeskJobResult result;
    std::vector<PreviewReport> reports(files.size());
    {
        BusyCursorGuard busy;
        const VeskJob job{files, Options(), nullptr, CoreCount()};
        // Called on the job's threads: each file writes only its own report,
        // read once Run is over.
        const auto describe = [&reports](const FileResult& file, const VeskPreview& preview) {
            reports[file.index] = DescribeChanges(preview.Before(), preview.After());
        };
        BackgroundJob background(window_, QCoreApplication::translate("FormCommands", "プレビューを作成しています"));
        background.Run(job.files.size(), [&](JobObserver& observer) {
            result = DryRunVeskJob(job, keys_, &observer, describe);
        });
    }
    if (result.cancelled) {
        ReportStopped(result);
        return;
    }
    auto* dialog = new PreviewDialog(&window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // In the list's order, a refused file among the others.
    std::vector<std::string> notReached;
    for (const FileResult& file : result.files) {
        if (file.outcome == FileOutcome::Skipped)
            notReached.push_back(file.path);
        else
            dialog->AddFile(file, reports[file.index]);
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
