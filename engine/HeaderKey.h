#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace norvane {

// The registered header keys in their stored order: 'Key' is ticked (its
// header lines are stripped), ';Key' is registered but kept.
using KeyList = std::vector<std::string>;

// True when text is non-empty and made only of ASCII letters, digits and '-'.
bool IsHeaderKeyText(std::string_view text);

struct HeaderKeyResult {
    bool result = false;   // false only for an empty line
    std::string_view key;  // empty unless the line is a header line; points into the line
};

// Takes the key of a header line: first byte 'A'..'Z', text before the first
// separator (":" or, when strict, ": ") a valid key.
HeaderKeyResult ExtractHeaderKey(std::string_view line, bool strict);

// Index of the first entry equal to text without regard to ASCII case, or -1.
int FindKey(std::string_view text, const KeyList& list);

}  // namespace norvane
