#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace norvane::bench {

// The least any rewrite of a mail file must do: read it in large blocks, turn
// each LF that has no CR before it into CR LF, write a temporary file through
// the project's atomic writer (flushed to disk) and rename it over the file.
// Returns the bytes written.
std::uint64_t PlainRewrite(const std::string& path);

// The same rewrite split into lines by the project's line reader, each line
// written with CR LF: shows what the line splitting itself costs.
std::uint64_t LineRewrite(const std::string& path);

// The least an analysis of first header blocks must do: open each file, read
// it until its first empty line (LF LF or CR LF CR LF) or its end, close it.
// Returns the header bytes seen.
std::uint64_t ReadFirstHeaderBlocks(const std::vector<std::string>& paths);

// The same read done as plainly as C does it: open, read() 16 KiB blocks
// into one fixed buffer until the first empty line, close. Returns the
// header bytes seen.
std::uint64_t PlainHeaderRead(const std::vector<std::string>& paths);

}  // namespace norvane::bench
