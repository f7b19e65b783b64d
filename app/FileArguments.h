#pragma once

#include <functional>
#include <string>
#include <vector>

namespace norvane {

// Where "*" and "?" make an argument a wildcard pattern.
enum class Wildcards {
    Anywhere,        // anywhere in the argument as given
    FromFourthByte,  // from the fourth byte of the full path on
    Never,           // names are taken as they are
};

// What differs between the places that turn names into a file list.
struct ExpandRules {
    Wildcards wildcards = Wildcards::Anywhere;
    // A name with nothing behind it stays listed (the command then reports
    // it) instead of being left out with a Missing warning.
    bool keepMissing = false;
};

// The tool's FILE arguments.
inline constexpr ExpandRules kToolArguments{Wildcards::Anywhere, false};
// The window's command line.
inline constexpr ExpandRules kWindowArguments{Wildcards::FromFourthByte, false};
// Paths dropped on the window or picked in the file dialog.
inline constexpr ExpandRules kPickedPaths{Wildcards::Never, true};

// A name that gave no file.
struct ExpandWarning {
    enum class Kind {
        Folder,      // a folder, named or matched
        NotRegular,  // named, exists, but is no regular file (a device, a pipe)
        Missing,     // names nothing and is no pattern
        NoMatch,     // one pattern of a ";" list matches nothing
        Temporary,   // one of the program's hidden temporary files
    };
    Kind kind;
    std::string path;  // the name taken in the current folder; for NoMatch the pattern
};

// Receives the warnings in the order the names are met; may be empty.
using ExpandWarnings = std::function<void(const ExpandWarning&)>;

// The files the names stand for, in order, each file once at its first
// place (compared by identity: links and ".." resolved). A relative name is
// taken in currentFolder (empty: as it is). A regular file is listed by that
// path, with "." and ".." taken out as long as that names the same file. A
// pattern (see rules) is a ";" list whose patterns, up to the first empty
// one, are scanned one by one, the matches of each sorted by name; matched
// regular files are listed, matched folders warned of, other entries left
// out. Every other name is left out with a warning (a missing one kept under
// keepMissing); temporary files are never listed.
std::vector<std::string> ExpandFiles(const std::vector<std::string>& names, const std::string& currentFolder,
                                     const ExpandRules& rules, const ExpandWarnings& warn = {});

}  // namespace norvane
