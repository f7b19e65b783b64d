#pragma once

#include <string>
#include <vector>

namespace norvane::cli {

// The records that follow a Vesk file's line: "saved" TAB path for each file
// its attachments were saved to, in order. Each is a record of its own,
// ended like the others (LF, or NUL with nullEnds), its path escaped like
// every printed path (as it is with nullEnds).
std::string SavedRecords(const std::vector<std::string>& saved, bool nullEnds);

}  // namespace norvane::cli
