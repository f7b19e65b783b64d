#pragma once

#include <string_view>

namespace norvane {

// True when text is non-empty and made only of ASCII letters, digits and '-'.
bool IsHeaderKeyText(std::string_view text);

struct HeaderKeyResult {
    bool result = false;   // false only for an empty line
    std::string_view key;  // empty unless the line is a header line; points into the line
};

// Which first bytes a header line may have.
enum class FirstLetter {
    kUpperCase,  // 'A'..'Z' only
    kAnyCase,    // 'a'..'z' too (for lines inside a header block)
};

// Takes the key of a header line: first byte 'A'..'Z' (or with kAnyCase also
// 'a'..'z'), text before the first separator (":" or, when strict, ": ") a
// valid key.
HeaderKeyResult ExtractHeaderKey(std::string_view line, bool strict, FirstLetter first = FirstLetter::kUpperCase);

// Where header lines are looked for.
enum class HeaderScope {
    kFirst,     // the first header block of the file (up to its first empty line)
    kMessages,  // the header block of each message of an mbox file
    kAll,       // every line of the file, with ": " as the separator
};

}  // namespace norvane
