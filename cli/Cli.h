#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace norvane::cli {

// Exit statuses of the tool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFileError = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitFileMissing = 3;  // a FILE argument gave no file; the others were done
inline constexpr int kExitCancelled = 130;  // stopped by SIGINT or SIGTERM (128 + SIGINT, as shells report it)

// A path or key as one field of a record: a line feed as \n, a TAB as \t, a
// backslash as \\, every other byte below 32 as \xHH.
std::string EscapeField(std::string_view text);

// Runs the tool on its arguments (without the program name), writing results
// to out and warnings, errors and usage to err; returns the exit status.
// exePath is the tool's own path: the window's settings file is looked for
// beside it.
int RunCli(const std::vector<std::string>& args, const std::string& exePath, std::FILE* out, std::FILE* err);

}  // namespace norvane::cli
