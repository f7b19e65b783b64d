#include "cli/Cli.h"

#include "engine/Error.h"
#include "engine/HeaderAnalysis.h"
#include "engine/KeyList.h"
#include "engine/VeskFile.h"
#include "engine/VeskRun.h"
#include "settings/FolderScan.h"
#include "settings/KeyListStorage.h"
#include "settings/Language.h"
#include "settings/Messages.h"
#include "settings/Settings.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unordered_set>

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

// Never touches geometry: the tool has no window.
class NoWindow : public WindowGeometry {
public:
    int Left() const override { return 0; }
    int Top() const override { return 0; }
    int Width() const override { return 0; }
    int Height() const override { return 0; }
    void SetLeft(int) override {}
    void SetTop(int) override {}
    void SetWidth(int) override {}
    void SetHeight(int) override {}
};

struct FileStat {
    bool exists = false;
    bool regular = false;
    bool folder = false;
    dev_t device = 0;
    ino_t inode = 0;
};

FileStat StatPath(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {};
    return {true, S_ISREG(st.st_mode) != 0, S_ISDIR(st.st_mode) != 0, st.st_dev, st.st_ino};
}

std::string Absolute(const std::string& path)
{
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.string();
}

// The absolute path with "." and ".." taken out, as long as that still names
// the same file (a ".." after a symbolic link would not).
std::string NormalPath(const std::string& path)
{
    const auto absolute = Absolute(path);
    const auto normal = std::filesystem::path(absolute).lexically_normal().string();
    if (normal == absolute)
        return absolute;
    const auto a = StatPath(absolute);
    const auto b = StatPath(normal);
    return (a.exists && b.exists && a.device == b.device && a.inode == b.inode) ? normal : absolute;
}

bool HasWildcard(std::string_view text)
{
    return text.find_first_of("*?") != std::string_view::npos;
}

// Expands the FILE arguments the way the window takes its command line.
std::vector<std::string> ExpandFiles(const std::vector<std::string>& args, std::FILE* err)
{
    std::vector<std::string> files;
    std::unordered_set<std::string> seen;
    const auto add = [&](const std::string& path) {
        const auto normal = NormalPath(path);
        if (seen.insert(FileIdentity(normal)).second)
            files.push_back(normal);
    };
    for (const auto& arg : args) {
        const auto direct = StatPath(arg);
        if (direct.regular) {
            add(arg);
            continue;
        }
        if (direct.folder) {
            Warn(err, "skipping folder " + NormalPath(arg));
            continue;
        }
        if (direct.exists) {
            Warn(err, "skipping " + NormalPath(arg) + ": not a regular file");
            continue;
        }
        if (!HasWildcard(arg)) {
            Warn(err, "no such file " + Absolute(arg));
            continue;
        }
        // Each pattern of a ";" list is made absolute and scanned on its own,
        // so that one matching nothing is named.
        std::vector<std::string> matches;
        for (int k = 1;; ++k) {
            const auto pattern = GetField(arg, ";", k);
            if (pattern.empty())
                break;
            const auto absolute = Absolute(pattern);
            const auto before = matches.size();
            ScanFolder(absolute, kEntryAny, matches);
            if (matches.size() == before)
                Warn(err, "nothing matches " + absolute);
        }
        for (const auto& match : matches) {
            const auto found = StatPath(match);
            if (found.regular)
                add(match);
            else if (found.folder)
                Warn(err, "skipping folder " + NormalPath(match));
        }
    }
    return files;
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

// Installs a prompt for the length of a run.
class PromptScope {
public:
    explicit PromptScope(Prompt* prompt) { SetPrompt(prompt); }
    ~PromptScope() { SetPrompt(nullptr); }
    PromptScope(const PromptScope&) = delete;
    PromptScope& operator=(const PromptScope&) = delete;
};

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
    // The tool's own texts stay English; the core's messages follow the language.
    SetMessageLanguage(ChooseLanguage(ReadLanguageChoice(settingsFile, SettingsSection()), ProcessEnvironment()));
    StderrPrompt prompt(err);
    PromptScope promptScope(&prompt);
    NoWindow noWindow;
    try {
        const SettingsRead read = ReadSettings(noWindow);
        if (read == SettingsRead::FileMissing)
            NotifyUser(MessageCode::SettingsFileMissing, SettingsFile());
        else if (read == SettingsRead::TooLarge)
            Warn(err, SettingsTooLargeMessage(SettingsFile()));
    } catch (const Error&) {
        // Only the window's geometry can be malformed; the tool has none.
    }
    KeyList keyList;
    LoadKeyList(settingsFile, keyList);

    std::uint8_t flags = OptionFlags();
    for (const auto& [option, on] : arguments.optionChanges)
        flags = on ? (flags | OptionBit(option)) : (flags & ~OptionBit(option));

    const auto files = ExpandFiles(arguments.files, err);
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
