#pragma once

#include "engine/TextRules.h"

#include <string>
#include <string_view>
#include <vector>

namespace norvane {

// What an entry is, as bits of ScanFolder's mask. A name beginning with "."
// is hidden; an entry its owner may not write is read-only. The bits 0x04
// and 0x08 name nothing.
enum EntryBit : unsigned {
    kEntryReadOnly = 0x01,
    kEntryHidden = 0x02,
    kEntryFolder = 0x10,
    kEntryFile = 0x20,  // a regular file
    kEntryAny = 0x3F,
};

// Field `index` (from 1) of text split at every occurrence of delimiter;
// empty when there is no such field or index is below 1.
std::string GetField(std::string_view text, std::string_view delimiter, int index);

// Whether a name matches a wildcard pattern: "*" any run of characters, "?"
// any one character (a UTF-8 sequence, or a double-byte character under
// double-byte rules), ASCII letters without regard to case, "*.*" every name.
// A temporary file of this program (IsTemporaryName) matches no pattern.
bool MatchesWildcard(std::string_view name, std::string_view pattern, const TextRules& rules = HostRules());

// Appends to list, for each pattern of a ";"-separated list up to the first
// empty one, the pattern's folder followed by each matching entry's name,
// sorted by name. Wildcards count only in the last component. Hidden entries
// and folders are offered only when the mask holds their bit; an entry is
// listed when its bits share one with the mask. "." and ".." and temporary
// files of this program (IsTemporaryName) never.
// A folder that does not exist or cannot be read adds nothing.
void ScanFolder(std::string_view patterns, unsigned mask, std::vector<std::string>& list,
                const TextRules& rules = HostRules());

}  // namespace norvane
