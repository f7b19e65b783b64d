#pragma once

#include "app/ExtraOptions.h"
#include "settings/Settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace norvane::cli {

// The tool's name in its messages.
inline constexpr std::string_view kProgram = "norvane-cli";

extern const std::string_view kUsage;

enum class Command { None, Vesk, Analyze, Restore };

struct Arguments {
    Command command = Command::None;
    bool help = false;
    bool version = false;
    std::optional<std::string> settings;
    // Options set or cleared on the command line, applied in order.
    std::vector<std::pair<Option, bool>> optionChanges;
    std::vector<std::pair<const ExtraSwitch*, bool>> extraChanges;
    std::optional<HeaderScope> scope;  // the last --scope, --all-text or --no-all-text
    // The DIR of the last --save-attachments=DIR, as given (empty: beside
    // each mail); nothing keeps the stored folder.
    std::optional<std::string> attachmentFolder;
    // Records end in NUL and names are written as they are.
    bool nullEnds = false;
    // vesk -n, --dry-run: nothing is written; records add the bytes before and after.
    bool dryRun = false;
    // vesk --diff: a dry run that prints a unified diff per file instead of records.
    bool diff = false;
    std::vector<std::string> files;
    std::optional<unsigned> jobs;  // -j N, --jobs=N: files worked at once; default the cores
    bool json = false;     // one JSON object per record
    bool summary = false;  // vesk: the run's totals on stderr
    // restore: the first backup instead of the newest, a given one, or a list.
    bool oldest = false;
    std::optional<std::string> from;
    bool list = false;
    // --progress / --no-progress: the progress line on stderr; default: when
    // stderr is a terminal.
    std::optional<bool> progress;
};

inline constexpr unsigned kMaxJobs = 1024;

struct UsageError {
    std::string message;
};

// The command line without the program name. Options may stand anywhere
// until "--"; the first other word is the command. Raises UsageError.
Arguments ParseArguments(const std::vector<std::string>& args);

// The stored option bits with the command line's changes applied in order.
std::uint8_t ApplyOptionChanges(std::uint8_t flags, const Arguments& arguments);
// The stored extra options with the command line's changes applied.
ExtraOptions ApplyExtraChanges(ExtraOptions extra, const Arguments& arguments);

// Whether the command line turns attachment saving on (its last
// --save-attachments or --no-save-attachments).
bool AsksToSaveAttachments(const Arguments& arguments);
// Raises UsageError when the command line asks for saving while attachment
// removal is off in the option bits of the run (stored bits and flags).
void CheckOptionUse(std::uint8_t flags, const Arguments& arguments);

}  // namespace norvane::cli
