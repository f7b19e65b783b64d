#pragma once

#include <string>
#include <vector>

namespace norvane {

// The whole text of a file as its lines, without line ends.
using LineList = std::vector<std::string>;

// Reads a file into lines: CR LF, a lone CR and a lone LF each end a line
// (LF followed by CR is two line ends); a last line without line end is a
// line; a final line end adds no empty line; NUL is an ordinary byte.
// A file that cannot be opened or read raises the open error.
LineList LoadLineList(const std::string& path);

// Replaces the file atomically by every line followed by CR LF. A file that
// cannot be written raises the create error and stays as it was.
void SaveLineList(const std::string& path, const LineList& lines);

}  // namespace norvane
