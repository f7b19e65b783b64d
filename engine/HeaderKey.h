#pragma once

#include <string_view>

namespace norvane {

// True when text is non-empty and made only of ASCII letters, digits and '-'.
bool IsHeaderKeyText(std::string_view text);

struct HeaderKeyResult {
    bool result = false;   // false only for an empty line
    std::string_view key;  // empty unless the line is a header line; points into the line
};

// Takes the key of a header line: first byte 'A'..'Z', text before the first
// separator (":" or, when strict, ": ") a valid key.
HeaderKeyResult ExtractHeaderKey(std::string_view line, bool strict);

}  // namespace norvane
