#include "cli/RestoreCommand.h"

#include "app/JsonWriter.h"
#include "cli/Cli.h"
#include "engine/Error.h"

namespace norvane::cli {

namespace {

void WarnShared(std::FILE* err, const std::string& file, const BackupSet& set)
{
    Warn(err, file + ": " + set.sharedPlain + " may be the backup of " + set.sharer +
                  "; name the one to take with --from=BACKUP");
}

int ListBackups(const std::vector<std::string>& files, RecordStyle style, std::FILE* out, std::FILE* err)
{
    for (const std::string& file : files) {
        const BackupSet set = FindBackups(file);
        for (const BackupFile& backup : set.backups) {
            const std::string time = LocalTimeText(backup.modified);
            if (style.json) {
                Print(out, JsonObject()
                               .Bytes("path", file, "path_hex")
                               .Bytes("backup", backup.path, "backup_hex")
                               .Number("bytes", static_cast<std::int64_t>(backup.size))
                               .Text("modified", time)
                               .Line());
            } else {
                Print(out, std::to_string(backup.size) + "\t" + time + "\t" + style.Field(backup.path) + style.End());
            }
        }
        if (!set.sharedPlain.empty())
            WarnShared(err, file, set);
        else if (set.backups.empty())
            Warn(err, FormatMessage(kMsgNoBackup, file));
    }
    return kExitOk;
}

void PrintRestored(const std::string& file, const std::string& backup, std::string_view outcome,
                   const std::string& message, RecordStyle style, std::FILE* out)
{
    if (style.json) {
        JsonObject record;
        record.Bytes("path", file, "path_hex").Bytes("backup", backup, "backup_hex").Text("outcome", outcome);
        if (!message.empty())
            record.Text("message", message);
        Print(out, record.Line());
    } else if (message.empty()) {
        Print(out, style.Field(file) + "\t" + style.Field(backup) + style.End());
    }
    std::fflush(out);
}

}  // namespace

int RunRestore(const std::vector<std::string>& files, const RestoreRequest& request, RecordStyle style,
               std::FILE* out, std::FILE* err)
{
    if (request.list)
        return ListBackups(files, style, out, err);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string& file = files[i];
        std::optional<BackupSet> set;
        std::string backup;
        std::string_view outcome = "refused";  // no backup to take
        try {
            if (request.from) {
                backup = *request.from;
            } else {
                set = FindBackups(file);
                backup = ChooseBackup(*set, request.choice, file).path;
            }
            outcome = "error";
            const bool changed = RestoreFromBackup(file, backup);
            PrintRestored(file, backup, changed ? "processed" : "unchanged", "", style, out);
            continue;
        } catch (const Error& error) {
            PrintRestored(file, backup, outcome, error.what(), style, out);
            Warn(err, file + ": " + error.what());
        }
        if (set && !set->sharedPlain.empty())
            WarnShared(err, file, *set);
        for (std::size_t rest = i + 1; style.json && rest < files.size(); ++rest)
            PrintRestored(files[rest], "", "skipped", "", style, out);
        return kExitFileError;
    }
    return kExitOk;
}

}  // namespace norvane::cli
