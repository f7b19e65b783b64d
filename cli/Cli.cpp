#include "cli/Cli.h"

#include "app/FileArguments.h"
#include "app/Prompt.h"
#include "engine/Error.h"
#include "engine/HeaderAnalysis.h"
#include "engine/KeyList.h"
#include "engine/VeskFile.h"
#include "engine/VeskRun.h"
#include "settings/KeyListStorage.h"
#include "settings/Settings.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

namespace norvane::cli {

namespace {

constexpr std::string_view kProgram = "norvane-cli";
// The window's executable, whose settings file the tool shares.
constexpr std::string_view kWindowProgram = "norvane";

constexpr std::string_view kUsage =
    "Usage: norvane-cli vesk    [OPTIONS] FILE...\n"
    "       norvane-cli analyze [OPTIONS] FILE...\n"
    "       norvane-cli --help | --version\n"
    "\n"
    "vesk     strips the ticked header lines (and, if asked, attachments) from each\n"
    "         FILE in place; prints <attachment lines deleted> TAB <header lines\n"
    "         removed> TAB <path> per file.\n"
    "analyze  counts the header keys of all FILEs; prints <key> TAB <count> TAB\n"
    "         <mark> per key, mark \"Del\" (stripped), empty (kept) or \"New\".\n"
    "\n"
    "FILE is a path or a wildcard pattern (several joined by \";\"); \"--\" ends the\n"
    "options.\n"
    "\n"
    "Options (defaults: the option ticks stored by the window; never saved):\n"
    "  --settings=PATH                                settings file holding the key list\n"
    "                                                 (default: the window's settings file)\n"
    "  --backup | --no-backup                         option \"BackUp\"\n"
    "  --all-text | --no-all-text                     option \"全文章\"\n"
    "  --auto-register | --no-auto-register           option \"自動登録\"\n"
    "  --remove-attachments | --no-remove-attachments option \"添付ファイル削除\"\n"
    "  --remove-traces | --no-remove-traces           option \"添付ファイル跡削除\"\n"
    "                                                 (only with --remove-attachments)\n"
    "\n"
    "Exit status: 0 done, 1 a file could not be read or written, 2 bad usage.\n";

enum class Command { None, Vesk, Analyze };

struct Arguments {
    Command command = Command::None;
    bool help = false;
    bool version = false;
    std::optional<std::string> settings;
    // Options set or cleared on the command line, applied in order.
    std::vector<std::pair<Option, bool>> optionChanges;
    std::vector<std::string> files;
};

struct UsageError {
    std::string message;
};

struct Flag {
    std::string_view name;
    Option option;
};

constexpr Flag kFlags[] = {
    {"backup", Option::BackUp},
    {"all-text", Option::AllText},
    {"auto-register", Option::AutoRegister},
    {"remove-attachments", Option::RemoveAttachments},
    {"remove-traces", Option::RemoveTraces},
};

bool ApplyFlag(std::string_view option, Arguments& arguments)
{
    bool on = true;
    if (option.starts_with("no-")) {
        on = false;
        option.remove_prefix(3);
    }
    for (const auto& flag : kFlags) {
        if (flag.name == option) {
            arguments.optionChanges.emplace_back(flag.option, on);
            return true;
        }
    }
    return false;
}

Arguments ParseArguments(const std::vector<std::string>& args)
{
    Arguments arguments;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const bool isOption = !optionsEnded && arg.size() > 1 && arg.front() == '-';
        if (!isOption) {
            if (arguments.command == Command::None && !optionsEnded) {
                if (arg == "vesk")
                    arguments.command = Command::Vesk;
                else if (arg == "analyze")
                    arguments.command = Command::Analyze;
                else
                    throw UsageError{"unknown command '" + std::string(arg) + "'"};
            } else {
                arguments.files.emplace_back(arg);
            }
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            if (arguments.command == Command::None && i + 1 < args.size()) {
                // The command may still come right after "--".
                const std::string_view next = args[i + 1];
                if (next == "vesk" || next == "analyze") {
                    arguments.command = next == "vesk" ? Command::Vesk : Command::Analyze;
                    ++i;
                }
            }
        } else if (arg == "--help" || arg == "-h") {
            arguments.help = true;
        } else if (arg == "--version") {
            arguments.version = true;
        } else if (arg == "--settings") {
            if (i + 1 >= args.size())
                throw UsageError{"--settings needs a path"};
            arguments.settings = args[++i];
        } else if (arg.starts_with("--settings=")) {
            arguments.settings = std::string(arg.substr(11));
        } else if (!(arg.starts_with("--") && ApplyFlag(arg.substr(2), arguments))) {
            throw UsageError{"unknown option '" + std::string(arg) + "'"};
        }
    }
    if (arguments.help || arguments.version)
        return arguments;
    if (arguments.command == Command::None)
        throw UsageError{"no command given"};
    if (arguments.settings && arguments.settings->empty())
        throw UsageError{"--settings needs a path"};
    if (arguments.files.empty())
        throw UsageError{"no FILE given"};
    return arguments;
}

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

std::string FileError(const std::string& path, const Error& error)
{
    return path + ": " + error.what();
}

int RunVesk(const std::vector<std::string>& files, const std::string& settingsFile, KeyList& keyList,
            const VeskOptions& options, std::FILE* out, std::FILE* err)
{
    VeskRun run(files);
    KeyListSaveGuard save(settingsFile, keyList);
    for (const auto& file : run.Files()) {
        try {
            const auto counts = VeskFile(file, keyList, options, run);
            save.Note(counts.registeredKeys);
            Print(out, std::to_string(counts.attachmentLines) + "\t" + std::to_string(counts.headerLines) + "\t" +
                           file + "\n");
            std::fflush(out);
        } catch (const Error& error) {
            Warn(err, FileError(file, error));
            return kExitFileError;
        }
    }
    return kExitOk;
}

int RunAnalyze(const std::vector<std::string>& files, const KeyList& keyList, bool allText, std::FILE* out,
               std::FILE* err)
{
    KeyCountList tally;
    for (const auto& file : files) {
        try {
            CountHeaderKeys(file, tally, allText);
        } catch (const Error& error) {
            Warn(err, FileError(file, error));
            return kExitFileError;
        }
    }
    std::string text;
    for (const auto& entry : AnalyzeResult(tally, keyList)) {
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
    if (ReadSettings().status == SettingsRead::FileMissing)
        NotifyUser(MessageCode::SettingsFileMissing, SettingsFile());
    KeyList keyList;
    LoadKeyList(settingsFile, keyList);

    std::uint8_t flags = OptionFlags();
    for (const auto& [option, on] : arguments.optionChanges)
        flags = on ? (flags | OptionBit(option)) : (flags & ~OptionBit(option));

    const auto files = ExpandFiles(arguments.files, CurrentFolder(), kToolArguments,
                                   [err](const ExpandWarning& warning) { Warn(err, WarningText(warning)); });
    if (arguments.command == Command::Analyze)
        return RunAnalyze(files, keyList, HasOption(flags, Option::AllText), out, err);

    VeskOptions options;
    options.backup = HasOption(flags, Option::BackUp);
    options.allText = HasOption(flags, Option::AllText);
    options.autoRegister = HasOption(flags, Option::AutoRegister);
    options.removeAttachments = HasOption(flags, Option::RemoveAttachments);
    options.removeTraces = options.removeAttachments && HasOption(flags, Option::RemoveTraces);
    return RunVesk(files, settingsFile, keyList, options, out, err);
}

}  // namespace norvane::cli
