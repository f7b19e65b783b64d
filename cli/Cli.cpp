#include "cli/Cli.h"

#include "app/AnalyzeJob.h"
#include "app/ExtraOptions.h"
#include "app/FileArguments.h"
#include "app/Prompt.h"
#include "app/VeskJob.h"
#include "cli/Arguments.h"
#include "cli/Progress.h"
#include "engine/KeyList.h"
#include "settings/KeyListStorage.h"
#include "settings/Language.h"
#include "settings/Settings.h"

#include <filesystem>
#include <string_view>
#include <system_error>
#include <unistd.h>

namespace norvane::cli {

namespace {

// The window's executable, whose settings file the tool shares.
constexpr std::string_view kWindowProgram = "norvane";

void Print(std::FILE* stream, std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
}

// One line on stderr; control bytes in it (a path's line feed) are escaped
// so that every message stays one line.
void Warn(std::FILE* err, std::string_view text)
{
    std::string line(kProgram);
    line += ": ";
    line += EscapeField(text);
    line += '\n';
    Print(err, line);
}

// How records are written on stdout.
struct RecordStyle {
    bool nullEnds = false;

    std::string Field(std::string_view text) const { return nullEnds ? std::string(text) : EscapeField(text); }
    char End() const { return nullEnds ? '\0' : '\n'; }
};

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
        if (const auto& seam = ProgressSeam())
            seam(progress);
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
            switch (file.outcome) {
            case FileOutcome::Processed:
            case FileOutcome::Unchanged:
                Print(out_, std::to_string(file.attachmentLines) + "\t" + std::to_string(file.headerLines) + "\t" +
                                style_.Field(file.path) + style_.End());
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

private:
    std::FILE* out_;
    std::FILE* err_;
    RecordStyle style_;
};

// How far a stopped run came, for its last message.
std::string StoppedText(const JobResult& result)
{
    std::size_t done = 0;
    for (const auto& file : result.files)
        if (file.outcome != FileOutcome::Skipped)
            ++done;
    return "stopped after " + std::to_string(done) + " of " + std::to_string(result.files.size()) + " files";
}

int RunVesk(const VeskJob& job, KeyList& keyList, RecordStyle style, ProgressLine& line, std::FILE* out,
            std::FILE* err)
{
    StopSignals stop;
    VeskPrinter printer(out, err, style, line, stop);
    // The key list is saved before this returns, a stop or not; a signal
    // meanwhile only sets the flag again.
    const auto result = RunVeskJob(job, keyList, &printer);
    line.Clear();
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

}  // namespace

std::function<void(const JobProgress&)>& ProgressSeam()
{
    static std::function<void(const JobProgress&)> seam;
    return seam;
}

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
        Warn(err, error.message);
        Print(err, kUsage);
        return kExitUsage;
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
    // The tool has no window: the stored bounds, malformed or not, stay unused.
    const SettingsReadResult read = ReadSettings();
    if (read.status == SettingsRead::FileMissing)
        NotifyUser(MessageCode::SettingsFileMissing, SettingsFile());
    else if (read.status == SettingsRead::TooLarge)
        Warn(err, SettingsTooLargeMessage(SettingsFile()));
    KeyList keyList;
    KeyListSession keySession(settingsFile);
    keySession.Load(keyList);
    const std::uint8_t flags = ApplyOptionChanges(OptionFlags(), arguments);
    const ExtraOptions extra = ApplyExtraChanges(ExtraOptionsFrom(read.values, OptionFlags()), arguments);
    VeskOptions options = VeskOptionsFrom(flags);
    ApplyExtraOptions(extra, options);

    bool fileMissing = false;
    const auto files = ExpandFiles(arguments.files, CurrentFolder(), kToolArguments,
                                   [err, &fileMissing](const ExpandWarning& warning) {
                                       fileMissing = true;
                                       Warn(err, WarningText(warning));
                                   });
    const RecordStyle style{arguments.nullEnds};
    const unsigned workers = arguments.jobs.value_or(CoreCount());
    ProgressLine line(err, arguments.progress.value_or(::isatty(::fileno(err)) == 1));
    const int status =
        arguments.command == Command::Analyze
            ? RunAnalyze(files, keyList, AnalyzeOptionsFrom(options), workers, style, line, out, err)
            : RunVesk(VeskJob{files, options, &keySession, workers}, keyList, style, line, out, err);
    return status == kExitOk && fileMissing ? kExitFileMissing : status;
}

}  // namespace norvane::cli
