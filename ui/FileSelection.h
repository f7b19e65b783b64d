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

// Dropped or picked paths: ExpandFiles with kPickedPaths (each file once,
// folders and temporary files left out, no wildcards).
std::vector<std::string> UniquePaths(const std::vector<std::string>& paths);

// The files named by command-line arguments: ExpandFiles with
// kWindowArguments, the warnings unshown.
std::vector<std::string> ExpandArguments(const std::vector<std::string>& arguments,
                                         const std::string& currentFolder);

}  // namespace norvane
