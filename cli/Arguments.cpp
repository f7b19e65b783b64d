#include "cli/Arguments.h"

#include <charconv>

namespace norvane::cli {

const std::string_view kUsage =
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
    "options. In paths and keys printed, a line feed is written \\n, a TAB \\t, a\n"
    "backslash \\\\ and any other byte below 32 \\xHH.\n"
    "\n"
    "Options (defaults: the option ticks stored by the window; never saved):\n"
    "  -j N, --jobs=N                                 files worked at once (default: the\n"
    "                                                 number of cores); the result is the same\n"
    "  --settings=PATH                                settings file holding the key list\n"
    "                                                 (default: the window's settings file)\n"
    "  --null                                         end each printed line with a NUL byte\n"
    "                                                 and print paths and keys as they are\n"
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
        arguments.scope = on ? Scope::All : Scope::First;
        return true;
    }
    return false;
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
    return extra;
}

}  // namespace norvane::cli
