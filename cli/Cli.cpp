#include "cli/Cli.h"

#include "app/AnalyzeJob.h"
#include "app/FileArguments.h"
#include "app/Prompt.h"
#include "app/VeskJob.h"
#include "cli/Arguments.h"
#include "engine/KeyList.h"
#include "settings/KeyListStorage.h"
#include "settings/Settings.h"

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

void Warn(std::FILE* err, std::string_view text)
{
    std::string line(kProgram);
    line += ": ";
    line += text;
    line += '\n';
    Print(err, line);
}

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
    VeskPrinter(std::FILE* out, std::FILE* err) : out_(out), err_(err) {}

    void FileDone(const FileResult& file) override
    {
        switch (file.outcome) {
        case FileOutcome::Processed:
        case FileOutcome::Unchanged:
            Print(out_, std::to_string(file.attachmentLines) + "\t" + std::to_string(file.headerLines) + "\t" +
                            file.path + "\n");
            std::fflush(out_);
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
};

int RunVesk(const VeskJob& job, KeyList& keyList, std::FILE* out, std::FILE* err)
{
    VeskPrinter printer(out, err);
    // A settings file that cannot take the registered keys is not the mail
    // files' failure and goes unreported.
    const auto result = RunVeskJob(job, keyList, &printer);
    return result.Failure() ? kExitFileError : kExitOk;
}

int RunAnalyze(const std::vector<std::string>& files, const KeyList& keyList, bool allText, unsigned workers,
               std::FILE* out, std::FILE* err)
{
    const auto result = RunAnalyzeJob(files, keyList, allText, nullptr, workers);
    if (const auto* failure = result.Failure()) {
        Warn(err, FileError(*failure));
        return kExitFileError;
    }
    std::string text;
    for (const auto& entry : result.tally) {
        text += entry.key;
        text += '\t';
        text += entry.count;
        text += '\t';
        text += entry.mark;
        text += '\n';
    }
    Print(out, text);
    return kExitOk;
}

}  // namespace

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
    StderrPrompt prompt(err);
    PromptScope promptScope(&prompt);
    // The tool has no window: the stored bounds, malformed or not, stay unused.
    const SettingsRead read = ReadSettings().status;
    if (read == SettingsRead::FileMissing)
        NotifyUser(MessageCode::SettingsFileMissing, SettingsFile());
    else if (read == SettingsRead::TooLarge)
        Warn(err, SettingsTooLargeMessage(SettingsFile()));
    KeyList keyList;
    LoadKeyList(settingsFile, keyList);
    const std::uint8_t flags = ApplyOptionChanges(OptionFlags(), arguments);

    const auto files = ExpandFiles(arguments.files, CurrentFolder(), kToolArguments,
                                   [err](const ExpandWarning& warning) { Warn(err, WarningText(warning)); });
    const unsigned workers = arguments.jobs.value_or(CoreCount());
    if (arguments.command == Command::Analyze)
        return RunAnalyze(files, keyList, HasOption(flags, Option::AllText), workers, out, err);
    return RunVesk(VeskJob{files, VeskOptionsFrom(flags), settingsFile, workers}, keyList, out, err);
}

}  // namespace norvane::cli
