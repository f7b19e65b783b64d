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

enum class Command { None, Vesk, Analyze };

struct Arguments {
    Command command = Command::None;
    bool help = false;
    bool version = false;
    std::optional<std::string> settings;
    // Options set or cleared on the command line, applied in order.
    std::vector<std::pair<Option, bool>> optionChanges;
    std::vector<std::pair<const ExtraSwitch*, bool>> extraChanges;
    std::optional<Scope> scope;  // the last --scope, --all-text or --no-all-text
    // Records end in NUL and names are written as they are.
    bool nullEnds = false;
    std::vector<std::string> files;
    std::optional<unsigned> jobs;  // -j N, --jobs=N: files worked at once; default the cores
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

}  // namespace norvane::cli
