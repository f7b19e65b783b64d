#pragma once

#include "engine/TextRules.h"

#include <string>
#include <string_view>
#include <vector>

namespace norvane {

// The file-open dialog's filter from the stored form "text|pattern|text|
// pattern..." (patterns joined by ";") into Qt's "text (pattern ...);;...".
// "*.*" offers every file, also names without a dot.
std::string ConvertFilter(std::string_view filter);

// The paths in order, each file once at its first place (paths compared as
// absolute paths with links resolved).
std::vector<std::string> UniquePaths(const std::vector<std::string>& paths);

// The files named by command-line arguments, in order: an argument naming an
// existing file is that file; otherwise it is made absolute and, holding "*"
// or "?" from its fourth character on, expanded as a pattern (regular files
// only); anything else is skipped. Each file is listed once.
std::vector<std::string> ExpandArguments(const std::vector<std::string>& arguments,
                                         const std::string& currentFolder);

}  // namespace norvane
