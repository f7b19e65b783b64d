#pragma once

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
    std::vector<std::string> files;
    std::optional<unsigned> jobs;  // -j N, --jobs=N: files worked at once; default the cores
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

}  // namespace norvane::cli
