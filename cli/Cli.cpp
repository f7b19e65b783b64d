#include "cli/Cli.h"

#include "app/AnalyzeJob.h"
#include "app/ExtraOptions.h"
#include "app/FileArguments.h"
#include "app/Prompt.h"
#include "app/VeskJob.h"
#include "app/JsonWriter.h"
#include "cli/Arguments.h"
#include "cli/Output.h"
#include "cli/RestoreCommand.h"
#include "cli/Progress.h"
#include "engine/KeyList.h"
#include "engine/MailDiff.h"
#include "settings/KeyListStorage.h"
#include "settings/Language.h"
#include "settings/Settings.h"

#include <charconv>
#include <chrono>
#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <unistd.h>

namespace norvane::cli {

namespace {

// The window's executable, whose settings file the tool shares.
constexpr std::string_view kWindowProgram = "norvane";

// Shows the program's messages as single lines on stderr.
class StderrPrompt : public Prompt {
public:
    explicit StderrPrompt(std::FILE* err) : err_(err) {}
    bool Show(PromptKind, std::string_view, std::string_view text) override
    {
        std::string line(text);
        for (std::size_t at; (at = line.find("\r\r")) != std::string::npos;)
            line.replace(at, 2, " ");
        Warn(err_, line);
        return false;
    }

private:
    std::FILE* err_;
};

std::string WarningText(const ExpandWarning& warning)
{
    switch (warning.kind) {
    case ExpandWarning::Kind::Folder:
        return "skipping folder " + warning.path;
    case ExpandWarning::Kind::NotRegular:
        return "skipping " + warning.path + ": not a regular file";
    case ExpandWarning::Kind::Missing:
        return "no such file " + warning.path;
    case ExpandWarning::Kind::NoMatch:
        return "nothing matches " + warning.path;
    case ExpandWarning::Kind::Temporary:
        return "skipping temporary file " + warning.path;
    }
    return warning.path;
}

std::string CurrentFolder()
{
    std::error_code error;
    const auto folder = std::filesystem::current_path(error);
    return error ? std::string() : folder.string();
}

std::string FileError(const FileResult& file)
{
    return file.path + ": " + file.message;
}

// Follows a run: the progress line, and a stop on SIGINT or SIGTERM.
class RunFollower : public JobObserver {
public:
    RunFollower(ProgressLine& line, const StopSignals& stop) : line_(line), stop_(stop) {}

    const std::atomic<bool>* CancelFlag() override { return stop_.Flag(); }
    void Progress(const JobProgress& progress) override
    {
        line_.Show(progress);
    }

protected:
    ProgressLine& line_;

private:
    const StopSignals& stop_;
};

// Prints each file's counts as soon as it is done, and the error that ends
// the run.
class VeskPrinter : public RunFollower {
public:
    VeskPrinter(std::FILE* out, std::FILE* err, RecordStyle style, ProgressLine& line, const StopSignals& stop)
        : RunFollower(line, stop), out_(out), err_(err), style_(style)
    {
    }

    void FileDone(const FileResult& file) override
    {
        line_.Between([&] {
            if (style_.json)
                PrintJson(file);
            switch (file.outcome) {
            case FileOutcome::Processed:
            case FileOutcome::Unchanged:
                if (!style_.json && !style_.diffs) {
                    std::string record = std::to_string(file.attachmentLines) + "\t" +
                                         std::to_string(file.headerLines) + "\t" + style_.Field(file.path);
                    if (style_.sizes)
                        record += "\t" + std::to_string(file.bytesBefore) + "\t" + std::to_string(file.bytesAfter);
                    Print(out_, record + style_.End() + SavedRecords(file.saved, style_));
                }
                std::fflush(out_);
                if (file.protectedEntity)
                    Warn(err_, file.path + ": signed or encrypted mail kept whole");
                break;
            case FileOutcome::Refused:
            case FileOutcome::Error:
                Warn(err_, FileError(file));
                break;
            case FileOutcome::Skipped:
                break;
            }
        });
    }

    // The file's JSON record.
    void PrintJson(const FileResult& file)
    {
        JsonObject record;
        record.Bytes("path", file.path, "path_hex")
            .Number("attachment_lines", file.attachmentLines)
            .Number("header_lines", file.headerLines)
            .Number("bytes_before", static_cast<std::int64_t>(file.bytesBefore))
            .Number("bytes_after", static_cast<std::int64_t>(file.bytesAfter))
            .Text("outcome", OutcomeWord(file));
        if (!file.message.empty())
            record.Text("message", file.message);
        record.Texts("saved", file.saved);
        Print(out_, record.Line());
        std::fflush(out_);
    }

private:
    std::FILE* out_;
    std::FILE* err_;
    RecordStyle style_;
};

// The run's totals: files done, how many of them unchanged, their bytes
// before and after, the bytes saved and the time taken.
std::string SummaryText(const JobResult& result, double seconds)
{
    const JobTotals totals = Totals(result);
    char time[32];
    std::snprintf(time, sizeof time, "%.3f", seconds);
    return std::to_string(totals.done) + " files, " + std::to_string(totals.unchanged) + " unchanged, " +
           std::to_string(totals.bytesBefore) + " bytes before, " + std::to_string(totals.bytesAfter) + " after, " +
           std::to_string(static_cast<std::int64_t>(totals.bytesBefore - totals.bytesAfter)) + " saved, " + time +
           " seconds";
}

// Writes into a stream.
class StreamSink final : public ByteSink {
public:
    explicit StreamSink(std::FILE* stream) : stream_(stream) {}
    void Write(std::string_view bytes) override { Print(stream_, bytes); }

private:
    std::FILE* stream_;
};

// A path as a diff header names it: as it is, or quoted with C escapes (as
// patch reads them) when it holds a blank, a control byte, a quote or a backslash.
std::string DiffName(std::string_view path)
{
    const bool plain = std::none_of(path.begin(), path.end(), [](char c) {
        return static_cast<unsigned char>(c) <= ' ' || c == 0x7F || c == '"' || c == '\\';
    });
    if (plain)
        return std::string(path);
    std::string quoted = "\"";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (c == '\n') {
            quoted += "\\n";
        } else if (c == '\t') {
            quoted += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            quoted += '\\';
            quoted += static_cast<char>('0' + (byte >> 6));
            quoted += static_cast<char>('0' + ((byte >> 3) & 7));
            quoted += static_cast<char>('0' + (byte & 7));
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

// A path below the current folder relative to it, so that patch -p0 takes
// it; any other path as it is.
std::string_view BelowFolder(std::string_view path, std::string_view folder)
{
    if (folder.empty() || path.size() <= folder.size() + 1 || !path.starts_with(folder))
        return path;
    if (folder.back() == '/')
        return path.substr(folder.size());
    return path[folder.size()] == '/' ? path.substr(folder.size() + 1) : path;
}

// Prints the diff of a file a dry run would change.
void PrintDiff(std::FILE* out, const FileResult& file, const VeskPreview& preview, std::string_view folder)
{
    if (!preview.changes)
        return;
    const std::string_view path = BelowFolder(file.path, folder);
    if (OnlyLineEndsDiffer(preview.Before(), preview.After()))
        Print(out, "# " + EscapeField(path) + ": only line ends change\n");
    StreamSink sink(out);
    const std::string name = DiffName(path);
    WriteUnifiedDiff(sink, name, name, preview.Before(), preview.After());
}

// How far a stopped run came, for its last message.
std::string StoppedText(const JobResult& result)
{
    return "stopped after " + std::to_string(Totals(result).reached) + " of " + std::to_string(result.files.size()) + " files";
}

int RunVesk(const VeskJob& job, KeyList& keyList, RecordStyle style, bool summary, ProgressLine& line,
            std::FILE* out, std::FILE* err)
{
    StopSignals stop;
    VeskPrinter printer(out, err, style, line, stop);
    VeskPreviewFunction diff;
    if (style.diffs)
        diff = [out, &line, folder = CurrentFolder()](const FileResult& file, const VeskPreview& preview) {
            // Workers may redraw the progress line meanwhile.
            line.Between([&] {
                PrintDiff(out, file, preview, folder);
                std::fflush(out);
            });
        };
    const auto started = std::chrono::steady_clock::now();
    // The key list is saved before this returns, a stop or not; a signal
    // meanwhile only sets the flag again.
    const auto result =
        style.sizes ? DryRunVeskJob(job, keyList, &printer, diff) : RunVeskJob(job, keyList, &printer);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    line.Clear();
    // Files the run never reached have a record too.
    for (const FileResult& file : result.files)
        if (style.json && file.outcome == FileOutcome::Skipped)
            printer.PrintJson(file);
    if (summary)
        Warn(err, SummaryText(result, took.count()));
    // A signal after the last file (while the keys were saved) still asked
    // for a stop.
    const bool stopped = result.cancelled || stop.Stopped();
    if (stopped)
        Warn(err, StoppedText(result));
    // Keys that could not be saved are reported after the run; the mail
    // files stay done.
    if (result.saveError)
        Warn(err, result.saveError->what());
    if (stopped)
        return kExitCancelled;
    if (result.saveError)
        return kExitFileError;
    return result.Failure() ? kExitFileError : kExitOk;
}

int RunAnalyze(const std::vector<std::string>& files, const KeyList& keyList, const AnalyzeOptions& options,
               unsigned workers, RecordStyle style, ProgressLine& line, std::FILE* out, std::FILE* err)
{
    StopSignals stop;
    RunFollower follower(line, stop);
    const auto result = RunAnalyzeJob(files, keyList, options, &follower, workers);
    line.Clear();
    if (result.cancelled || stop.Stopped()) {
        Warn(err, StoppedText(result));
        return kExitCancelled;
    }
    if (const auto* failure = result.Failure()) {
        Warn(err, FileError(*failure));
        return kExitFileError;
    }
    std::string text;
    for (const auto& entry : result.tally) {
        if (style.json) {
            JsonObject record;
            record.Bytes("key", entry.key, "key_hex");
            // The tally writes each count in decimal digits.
            std::int64_t count = 0;
            std::from_chars(entry.count.data(), entry.count.data() + entry.count.size(), count);
            record.Number("count", count);
            text += record.Text("mark", entry.mark).Line();
            continue;
        }
        text += style.Field(entry.key);
        text += '\t';
        text += entry.count;
        text += '\t';
        text += entry.mark;
        text += style.End();
    }
    Print(out, text);
    return kExitOk;
}

int BadUsage(std::FILE* err, const UsageError& error)
{
    Warn(err, error.message);
    Print(err, kUsage);
    return kExitUsage;
}

int RunRestoreCommand(const Arguments& arguments, const std::vector<std::string>& files, bool fileMissing,
                      RecordStyle style, std::FILE* out, std::FILE* err)
{
    if (arguments.from && files.size() > 1)
        return BadUsage(err, UsageError{"--from names the backup of one FILE, not of " + std::to_string(files.size())});
    const RestoreRequest request{arguments.oldest ? BackupChoice::kOldest : BackupChoice::kNewest, arguments.from,
                                 arguments.list};
    const int status = RunRestore(files, request, style, out, err);
    return status == kExitOk && fileMissing ? kExitFileMissing : status;
}

}  // namespace

std::string EscapeField(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            escaped += "\\n";
        } else if (c == '\t') {
            escaped += "\\t";
        } else if (c == '\\') {
            escaped += "\\\\";
        } else if (byte < 0x20) {
            escaped += "\\x";
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 0xF];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

int RunCli(const std::vector<std::string>& args, const std::string& exePath, std::FILE* out, std::FILE* err)
{
    Arguments arguments;
    try {
        arguments = ParseArguments(args);
    } catch (const UsageError& error) {
        return BadUsage(err, error);
    }
    if (arguments.help) {
        Print(out, kUsage);
        return kExitOk;
    }
    if (arguments.version) {
        Print(out, std::string(kProgram) + " " + NORVANE_VERSION + "\n");
        return kExitOk;
    }

    // The window's settings: its file and section, whatever this tool is called.
    const auto windowExe = SplitPath(exePath).first + std::string(kWindowProgram);
    const auto settingsFile = arguments.settings ? *arguments.settings : LocateSettingsFile(windowExe);
    SetSettingsLocation(settingsFile, SettingsSectionFor(windowExe));
    // The tool's own texts stay English; the core's messages follow the language.
    SetMessageLanguage(ChooseLanguage(ReadLanguageChoice(settingsFile, SettingsSection()), ProcessEnvironment()));
    StderrPrompt prompt(err);
    PromptScope promptScope(&prompt);
    const RecordStyle style{arguments.nullEnds, arguments.json, arguments.dryRun, arguments.diff};
    bool fileMissing = false;
    const auto expand = [&] {
        return ExpandFiles(arguments.files, CurrentFolder(), kToolArguments,
                           [err, &fileMissing](const ExpandWarning& warning) {
                               fileMissing = true;
                               Warn(err, WarningText(warning));
                           });
    };
    if (arguments.command == Command::Restore) {
        // Expanded first: the expansion is what sets fileMissing.
        const auto files = expand();
        return RunRestoreCommand(arguments, files, fileMissing, style, out, err);
    }
    // The tool has no window: the stored bounds, malformed or not, stay unused.
    const SettingsReadResult read = ReadSettings();
    const std::uint8_t flags = ApplyOptionChanges(OptionFlags(), arguments);
    try {
        CheckOptionUse(flags, arguments);
    } catch (const UsageError& error) {
        return BadUsage(err, error);
    }
    if (read.status == SettingsRead::FileMissing)
        NotifyUser(MessageCode::SettingsFileMissing, SettingsFile());
    else if (read.status == SettingsRead::TooLarge)
        Warn(err, SettingsTooLargeMessage(SettingsFile()));
    KeyList keyList;
    KeyListSession keySession(settingsFile);
    keySession.Load(keyList);
    const ExtraOptions extra = ApplyExtraChanges(ExtraOptionsFrom(read.values, OptionFlags()), arguments);
    VeskOptions options = VeskOptionsFrom(flags);
    ApplyExtraOptions(extra, options);

    const auto files = expand();
    const unsigned workers = arguments.jobs.value_or(CoreCount());
    ProgressLine line(err, arguments.progress.value_or(::isatty(::fileno(err)) == 1));
    const int status =
        arguments.command == Command::Analyze
            ? RunAnalyze(files, keyList, AnalyzeOptionsFrom(options), workers, style, line, out, err)
            : RunVesk(VeskJob{files, options, &keySession, workers}, keyList, style, arguments.summary, line, out,
                      err);
    return status == kExitOk && fileMissing ? kExitFileMissing : status;
}

}  // namespace norvane::cli
