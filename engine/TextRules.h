#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace norvane {

// How path texts are scanned: whether Shift-JIS double-byte characters are
// stepped over as units (only under a Shift-JIS locale), and which characters
// separate path components. Passed as a parameter so tests can run rules
// other than the host's.
struct TextRules {
    bool doubleByte = false;
    std::string_view separators = "/";
};

// The rules of this machine: Shift-JIS scanning when the locale's codeset is
// Shift-JIS/CP932, "/" as the only separator.
const TextRules& HostRules();

// Shift-JIS scanning with "\" and ":" as separators.
inline constexpr TextRules kShiftJisBackslashRules{true, "\\:"};

inline bool IsLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Index of the first byte after the last separator (0 when there is none),
// stepping over double-byte characters when the rules say so.
std::size_t NameStart(std::string_view path, const TextRules& rules = HostRules());

// Splits a path into its folder (up to and including the last separator) and
// its name.
std::pair<std::string, std::string> SplitPath(std::string_view path,
                                              const TextRules& rules = HostRules());

// Replaces the extension (from the last "." of the last component) by ext,
// which includes its dot; a name without extension gets ext appended.
std::string ReplaceExtension(std::string_view path, std::string_view ext,
                             const TextRules& rules = HostRules());

// A space or a TAB.
inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A header line that goes on the one before: it begins with a blank.
inline bool IsContinuationLine(std::string_view line)
{
    return !line.empty() && IsBlank(line.front());
}

inline char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c;
}

// The value of a hexadecimal digit in either case, or -1.
inline int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// ASCII capitals to lower case; every other byte passes unchanged.
std::string LowerAscii(std::string_view text);

// Bytes compared after folding ASCII letters to lower case.
bool LessAsciiNoCase(std::string_view a, std::string_view b);
bool EqualsAsciiNoCase(std::string_view a, std::string_view b);

inline bool StartsWithAsciiNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualsAsciiNoCase(text.substr(0, prefix.size()), prefix);
}

// Where word first occurs in text, ASCII letters matching in either case;
// npos when it does not.
std::size_t FindAsciiNoCase(std::string_view text, std::string_view word);

// Hash and equality for unordered containers whose texts match without
// regard to ASCII case; transparent, so a string_view looks up a std::string.
struct AsciiNoCaseHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept;
};
struct AsciiNoCaseEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept { return EqualsAsciiNoCase(a, b); }
};

}  // namespace norvane
