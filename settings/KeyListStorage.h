#pragma once

#include "engine/HeaderKey.h"

#include <string>
#include <string_view>
#include <vector>

namespace norvane {

// Appends the values of prefix1, prefix2, ... from a section, stopping at the
// first missing or empty one; returns how many were appended.
int ReadListSection(const std::string& path, std::string_view section, std::string_view prefix,
                    std::vector<std::string>& list);

// Replaces the section by the non-empty entries numbered from 1, in one
// atomic rewrite of the file (none when nothing changes); returns how many
// were written. A file that cannot be written raises the create error naming
// the path, and stays as it was.
int WriteListSection(const std::string& path, std::string_view section, std::string_view prefix,
                     const std::vector<std::string>& list);

// -1 when the file does not exist (list untouched), else ReadListSection of "Dat".
int LoadKeyList(const std::string& path, KeyList& list);

// WriteListSection of "Dat".
int SaveKeyList(const std::string& path, const KeyList& list);

}  // namespace norvane
