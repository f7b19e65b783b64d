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

// Appends path unless the list already names the same file (compared as
// absolute paths with links resolved); returns whether it was appended.
bool AppendUniquePath(std::vector<std::string>& list, const std::string& path);

// The files named by command-line arguments, in order: an argument naming an
// existing file is that file; otherwise it is made absolute and, holding "*"
// or "?" from its fourth character on, expanded as a pattern (regular files
// only); anything else is skipped. Each file is listed once.
std::vector<std::string> ExpandArguments(const std::vector<std::string>& arguments,
                                         const std::string& currentFolder);

}  // namespace norvane
