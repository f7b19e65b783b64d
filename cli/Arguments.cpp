#include "cli/Arguments.h"

#include <charconv>

namespace norvane::cli {

const std::string_view kUsage =
    "Usage: norvane-cli vesk    [OPTIONS] FILE...\n"
    "       norvane-cli analyze [OPTIONS] FILE...\n"
    "       norvane-cli restore [--oldest | --from=BACKUP | --list] FILE...\n"
    "       norvane-cli --help | --version\n"
    "\n"
    "vesk     strips the ticked header lines (and, if asked, attachments) from each\n"
    "         FILE in place; prints <attachment lines deleted> TAB <header lines\n"
    "         removed> TAB <path> per file, then \"saved\" TAB <path> per attachment\n"
    "         saved.\n"
    "         With -n (--dry-run) nothing is written (no mail, backup, settings or\n"
    "         temporary file): the same record follows with TAB <bytes before> TAB\n"
    "         <bytes after> for what a run would do. --diff (a dry run too) prints\n"
    "         instead a unified diff per changed file that patch applies to give the\n"
    "         result, lines with their own line ends; a line \"# PATH: only line\n"
    "         ends change\" comes before the diff of a file where nothing else does.\n"
    "analyze  counts the header keys of all FILEs; prints <key> TAB <count> TAB\n"
    "         <mark> per key, mark \"Del\" (stripped), empty (kept) or \"New\".\n"
    "restore  puts each FILE back from its newest backup (kept); prints <path> TAB\n"
    "         <backup> per file. Its backups are FILE.bak, FILE.bak.2, ... and the\n"
    "         name with the extension replaced by .bak, unless another file has\n"
    "         that name too (then name it with --from).\n"
    "\n"
    "FILE is a path or a wildcard pattern (several joined by \";\"); \"--\" ends the\n"
    "options. In paths and keys printed, a line feed is written \\n, a TAB \\t, a\n"
    "backslash \\\\ and any other byte below 32 \\xHH.\n"
    "\n"
    "Options (defaults: the option ticks stored by the window; never saved):\n"
    "  -j N, --jobs=N                                 files worked at once (default: the\n"
    "                                                 number of cores); the result is the same\n"
    "  --settings=PATH                                settings file holding the key list\n"
    "                                                 (default: the window's settings file)\n"
    "  -n, --dry-run                                  vesk: show what would be done, write\n"
    "                                                 nothing\n"
    "  --diff                                         vesk: print what would change as a\n"
    "                                                 unified diff (implies --dry-run)\n"
    "  --null                                         end each printed line with a NUL byte\n"
    "                                                 and print paths and keys as they are\n"
    "  --json                                         one JSON object per line: vesk {path,\n"
    "                                                 attachment_lines, header_lines,\n"
    "                                                 bytes_before, bytes_after, outcome,\n"
    "                                                 saved}, analyze {key, count, mark},\n"
    "                                                 restore {path, backup, outcome}\n"
    "  --summary                                      vesk: files, unchanged, bytes before,\n"
    "                                                 after, saved and seconds on stderr\n"
    "  --oldest                                       restore: the first backup\n"
    "  --from=BACKUP                                  restore: this backup (one FILE)\n"
    "  --list                                         restore: list the backups with size\n"
    "                                                 and time, oldest first\n"
    "  --progress | --no-progress                     a progress line on stderr (default: when\n"
    "                                                 stderr is a terminal)\n"
    "  --backup | --no-backup                         option \"BackUp\"\n"
    "  --all-text | --no-all-text                     option \"全文章\" (--scope=all | first)\n"
    "  --auto-register | --no-auto-register           option \"自動登録\"\n"
    "  --remove-attachments | --no-remove-attachments option \"添付ファイル削除\"\n"
    "  --remove-traces | --no-remove-traces           option \"添付ファイル跡削除\"\n"
    "                                                 (only with --remove-attachments)\n"
    "  --scope=first|messages|all\n"
    "      which header lines are read: the file's first header block, the header\n"
    "      block of every message of an mbox file (bodies untouched, so a body line\n"
    "      \"Received: by hand\" stays), or every header line of the text; option\n"
    "      \"全メッセージのヘッダー\" is \"messages\", \"全文章\" is \"all\".\n"
    "  --protect-signed | --no-protect-signed\n"
    "      inside signed or encrypted mail nothing but line ends changes, so an\n"
    "      attachment of a multipart/signed message stays (default: on).\n"
    "  --any-case | --no-any-case\n"
    "      a header line may start in lower case, so \"x-ms-exchange-organization-\n"
    "      scl: 1\" is counted and stripped like \"X-MS-Exchange-...\" (default: on).\n"
    "  --keep-line-ends | --no-keep-line-ends\n"
    "      every line keeps its own line end, so \"Subject: Hi\" LF stays LF instead\n"
    "      of becoming CR LF (default: off).\n"
    "  --save-attachments[=DIR] | --no-save-attachments\n"
    "      each attachment removed is saved first, into DIR (relative to the\n"
    "      current folder; an empty DIR is none, no \"=DIR\" the window's folder);\n"
    "      with no folder, beside its mail: a.eml's into a.eml.attachments/, in a\n"
    "      Maildir into its norvane-attachments/. Needs attachment removal\n"
    "      (default: off).\n"
    "  --removal-note | --no-removal-note\n"
    "      with the traces kept, a header line \"X-Norvane-Removed: N bytes;\n"
    "      sha256=HEX\" (and where it was saved) is left where each attachment\n"
    "      was (default: on).\n"
    "\n"
    "Ctrl-C (SIGINT) or SIGTERM stops the run at once: the file being worked stays\n"
    "as it was, the files before it stay done.\n"
    "\n"
    "Exit status: 0 every file done, 1 a file was refused or could not be read or\n"
    "written (the run stops there), 2 bad usage, 3 a FILE gave no file (missing,\n"
    "dangling link, loop, folder, not a regular file, a temporary file; the others\n"
    "were done), 130 stopped by Ctrl-C or SIGTERM.\n";

namespace {

struct Flag {
    std::string_view name;
    Option option;
};

constexpr Flag kFlags[] = {
    {"backup", Option::BackUp},
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
    for (const auto& flag : ExtraSwitches()) {
        if (!flag.flag.empty() && flag.flag == option) {
            arguments.extraChanges.emplace_back(&flag, on);
            return true;
        }
    }
    if (option == "all-text") {
        arguments.scope = on ? HeaderScope::kAll : HeaderScope::kFirst;
        return true;
    }
    return false;
}

// --save-attachments=DIR: saving on, into DIR.
void ApplyAttachmentFolder(std::string_view folder, Arguments& arguments)
{
    arguments.extraChanges.emplace_back(FindExtraSwitch("SaveAttachments"), true);
    arguments.attachmentFolder = std::string(folder);
}

void ApplyScope(std::string_view name, Arguments& arguments)
{
    arguments.scope = ScopeNamed(name);
    if (!arguments.scope)
        throw UsageError{"unknown scope '" + std::string(name) + "' (first, messages or all)"};
}

unsigned ParseJobs(std::string_view text)
{
    unsigned jobs = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || jobs < 1 || jobs > kMaxJobs)
        throw UsageError{"-j needs a number from 1 to " + std::to_string(kMaxJobs) + ", not '" + std::string(text) +
                         "'"};
    return jobs;
}

// The command a word names, or None.
Command CommandNamed(std::string_view word)
{
    if (word == "vesk")
        return Command::Vesk;
    if (word == "analyze")
        return Command::Analyze;
    return word == "restore" ? Command::Restore : Command::None;
}

void CheckCombinations(const Arguments& arguments)
{
    if (arguments.nullEnds && arguments.json)
        throw UsageError{"--null and --json exclude each other"};
    if (arguments.dryRun && arguments.command != Command::Vesk)
        throw UsageError{std::string(arguments.diff ? "--diff" : "--dry-run") + " is for vesk only"};
    if (arguments.diff && (arguments.json || arguments.nullEnds))
        throw UsageError{"--diff prints diffs, not records: no --json or --null"};
    const int choices = int{arguments.oldest} + int{arguments.from.has_value()} + int{arguments.list};
    if (arguments.command != Command::Restore) {
        if (choices > 0)
            throw UsageError{"--oldest, --from and --list are for restore"};
        return;
    }
    if (choices > 1)
        throw UsageError{"--oldest, --from and --list exclude each other"};
    if (arguments.from && arguments.from->empty())
        throw UsageError{"--from needs a backup"};
}

}  // namespace

Arguments ParseArguments(const std::vector<std::string>& args)
{
    Arguments arguments;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const bool isOption = !optionsEnded && arg.size() > 1 && arg.front() == '-';
        if (!isOption) {
            if (arguments.command == Command::None && !optionsEnded) {
                arguments.command = CommandNamed(arg);
                if (arguments.command == Command::None)
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
                arguments.command = CommandNamed(args[i + 1]);
                if (arguments.command != Command::None)
                    ++i;
            }
        } else if (arg == "--help" || arg == "-h") {
            arguments.help = true;
        } else if (arg == "--version") {
            arguments.version = true;
        } else if (arg == "--settings") {
            if (i + 1 >= args.size())
                throw UsageError{"--settings needs a path"};
            arguments.settings = args[++i];
        } else if (arg == "-j" || arg == "--jobs") {
            if (i + 1 >= args.size())
                throw UsageError{"-j needs a number"};
            arguments.jobs = ParseJobs(args[++i]);
        } else if (arg.starts_with("--jobs=")) {
            arguments.jobs = ParseJobs(arg.substr(7));
        } else if (arg.starts_with("-j")) {
            arguments.jobs = ParseJobs(arg.substr(2));
        } else if (arg.starts_with("--settings=")) {
            arguments.settings = std::string(arg.substr(11));
        } else if (arg == "--scope") {
            if (i + 1 >= args.size())
                throw UsageError{"--scope needs first, messages or all"};
            ApplyScope(args[++i], arguments);
        } else if (arg.starts_with("--scope=")) {
            ApplyScope(arg.substr(8), arguments);
        } else if (arg == "--null") {
            arguments.nullEnds = true;
        } else if (arg == "--json") {
            arguments.json = true;
        } else if (arg == "--summary") {
            arguments.summary = true;
        } else if (arg == "--oldest") {
            arguments.oldest = true;
        } else if (arg == "--list") {
            arguments.list = true;
        } else if (arg == "--from") {
            if (i + 1 >= args.size())
                throw UsageError{"--from needs a backup"};
            arguments.from = args[++i];
        } else if (arg.starts_with("--from=")) {
            arguments.from = std::string(arg.substr(7));
        } else if (arg.starts_with("--save-attachments=")) {
            ApplyAttachmentFolder(arg.substr(19), arguments);
        } else if (arg == "-n" || arg == "--dry-run") {
            arguments.dryRun = true;
        } else if (arg == "--diff") {
            arguments.diff = arguments.dryRun = true;
        } else if (arg == "--progress" || arg == "--no-progress") {
            arguments.progress = arg == "--progress";
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
    CheckCombinations(arguments);
    return arguments;
}

std::uint8_t ApplyOptionChanges(std::uint8_t flags, const Arguments& arguments)
{
    for (const auto& [option, on] : arguments.optionChanges)
        flags = on ? (flags | OptionBit(option)) : (flags & ~OptionBit(option));
    return flags;
}

ExtraOptions ApplyExtraChanges(ExtraOptions extra, const Arguments& arguments)
{
    for (const auto& [option, on] : arguments.extraChanges)
        option->set(extra, on);
    if (arguments.scope)
        extra.scope = *arguments.scope;
    if (arguments.attachmentFolder)
        extra.attachmentFolder = *arguments.attachmentFolder;
    return extra;
}

bool AsksToSaveAttachments(const Arguments& arguments)
{
    return ApplyExtraChanges(ExtraOptions{}, arguments).saveAttachments;
}

void CheckOptionUse(std::uint8_t flags, const Arguments& arguments)
{
    if (AsksToSaveAttachments(arguments) && !HasOption(flags, Option::RemoveAttachments))
        throw UsageError{"--save-attachments needs attachment removal (--remove-attachments)"};
}

}  // namespace norvane::cli
