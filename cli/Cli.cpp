#include "cli/Cli.h"

#include "app/AnalyzeJob.h"
#include "app/ExtraOptions.h"
#include "app/FileArguments.h"
#include "app/Prompt.h"
#include "app/VeskJob.h"
#include "cli/Arguments.h"
#include "engine/KeyList.h"
#include "engine/MailDiff.h"
#include "settings/KeyListStorage.h"
#include "settings/Language.h"
#include "settings/Settings.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>

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
    bool sizes = false;   // a dry run's records end with the bytes before and after
    bool diffs = false;   // diffs take the place of records

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

// Prints each file's counts as soon as it is done, and the error that ends
// the run.
class VeskPrinter : public JobObserver {
public:
    VeskPrinter(std::FILE* out, std::FILE* err, RecordStyle style) : out_(out), err_(err), style_(style) {}

    void FileDone(const FileResult& file) override
    {
        switch (file.outcome) {
        case FileOutcome::Processed:
        case FileOutcome::Unchanged:
            if (!style_.diffs) {
                std::string record = std::to_string(file.attachmentLines) + "\t" +
                                     std::to_string(file.headerLines) + "\t" + style_.Field(file.path);
                if (style_.sizes)
                    record += "\t" + std::to_string(file.bytesBefore) + "\t" + std::to_string(file.bytesAfter);
                Print(out_, record + style_.End());
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
    }

private:
    std::FILE* out_;
    std::FILE* err_;
    RecordStyle style_;
};

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

int RunVesk(const VeskJob& job, KeyList& keyList, RecordStyle style, std::FILE* out, std::FILE* err)
{
    VeskPrinter printer(out, err, style);
    VeskPreviewFunction diff;
    if (style.diffs)
        diff = [out, folder = CurrentFolder()](const FileResult& file, const VeskPreview& preview) {
            PrintDiff(out, file, preview, folder);
        };
    const auto result =
        style.sizes ? DryRunVeskJob(job, keyList, &printer, diff) : RunVeskJob(job, keyList, &printer);
    // Keys that could not be saved are reported after the run; the mail
    // files stay done.
    if (result.saveError) {
        Warn(err, result.saveError->what());
        return kExitFileError;
    }
    return result.Failure() ? kExitFileError : kExitOk;
}

int RunAnalyze(const std::vector<std::string>& files, const KeyList& keyList, const AnalyzeOptions& options,
               unsigned workers, RecordStyle style, std::FILE* out, std::FILE* err)
{
    const auto result = RunAnalyzeJob(files, keyList, options, nullptr, workers);
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
    const RecordStyle style{arguments.nullEnds, arguments.dryRun, arguments.diff};
    const unsigned workers = arguments.jobs.value_or(CoreCount());
    const int status =
        arguments.command == Command::Analyze
            ? RunAnalyze(files, keyList, AnalyzeOptionsFrom(options), workers, style, out, err)
            : RunVesk(VeskJob{files, options, &keySession, workers}, keyList, style, out, err);
    return status == kExitOk && fileMissing ? kExitFileMissing : status;
}

}  // namespace norvane::cli
