#pragma once

#include "engine/TextRules.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace norvane {

// A text value is read with room for this many bytes at most.
inline constexpr std::size_t kIniValueLimit = 254;

// A settings file larger than this is never read (its image would take many
// times its size) and never written over.
inline constexpr std::uint64_t kSettingsFileLimit = 16 * 1024 * 1024;

// Whether the file exists and is larger than kSettingsFileLimit.
bool IsSettingsFileTooLarge(const std::string& path);

// The image of a sectioned key=value settings file, edited in memory and
// written back in one atomic rewrite.
//
// Reading: "[name]" opens a section; "key=value" is an entry; a line whose
// first non-blank byte is ';' is a comment (a value may begin with ';').
// Blanks (space, tab) around names and values are trimmed, and one pair of
// double quotes around a value is removed. Section and key names match
// without regard to ASCII case; the first match wins.
//
// Writing keeps every line it does not change byte for byte, including its
// line end. New lines take the file's first line end (CR LF in a new file).
class IniFile {
public:
    IniFile() = default;

    // The file's image; a missing, unreadable or too large file gives an
    // empty image.
    static IniFile Load(const std::string& path);
    // The file's image for a rewrite. A file that exists but cannot be read,
    // or is too large to be read, raises the create error, so that a write
    // never replaces what it could not read.
    static IniFile LoadForUpdate(const std::string& path);
    static IniFile Parse(std::string_view text);

    // The value as stored (trimmed, unquoted, not cut), or nothing when the
    // section or key is absent.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    // The value cut to kIniValueLimit bytes, or the default when absent.
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue) const;
    // The leading number of the value (see LeadingInteger), or nothing when
    // the key is absent or its value has no number.
    std::optional<std::int64_t> GetNumber(std::string_view section, std::string_view key) const;
    // GetNumber, or the default; a number beyond 32 bits keeps its low 32.
    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;
    bool HasSection(std::string_view section) const;
    // Every key of the section with its value as Find gives it (the first of
    // each name), read in one pass.
    std::unordered_map<std::string, std::string, AsciiNoCaseHash, AsciiNoCaseEqual> SectionValues(
        std::string_view section) const;

    // Replaces the key's value, adding the key (at the end of its section)
    // or the section (at the end of the file) when needed. A value holding
    // CR or LF is written empty; a value that would not read back as itself
    // (blanks at either end, or a quote at both ends) is written in quotes.
    void SetString(std::string_view section, std::string_view key, std::string_view value);
    // Removes every section of that name: its header and all its lines.
    void DeleteSection(std::string_view section);
    // Replaces every section of that name by one section at the end of the
    // file holding the entries in order; no entries: no section.
    void ReplaceSection(std::string_view section,
                        const std::vector<std::pair<std::string, std::string>>& entries);

    std::string Text() const;
    // Writes the image through AtomicFileWriter; failures raise the create
    // error naming the path.
    void Save(const std::string& path) const;

private:
    struct Line {
        std::string text;  // without its line end
        std::string end;   // "\r\n", "\r", "\n" or empty for a last line without one
    };

    // Index of the first line of the named section's header, or npos.
    std::size_t FindSectionHeader(std::string_view section) const;
    // One past the last line belonging to the section whose header is at index.
    std::size_t SectionEnd(std::size_t header) const;
    std::string NewLineEnd() const;
    void AppendLine(std::string text);

    std::vector<Line> lines_;
    std::string lineEnd_ = "\r\n";  // the file's first line end
};

// The leading number of a value: an optional '+' or '-', then decimal digits,
// or hexadecimal digits after "0x" (either case). Leading blanks are skipped.
// Nothing when there are no digits or the number does not fit 64 bits.
std::optional<std::int64_t> LeadingInteger(std::string_view value);

// The first kIniValueLimit bytes of a value, shortened further so that a
// character is never cut in two (UTF-8, or Shift-JIS under double-byte rules).
std::string_view CutIniValue(std::string_view value, const TextRules& rules = HostRules());

// One-call forms over a file path. Reads of a missing file give the default;
// each write is one atomic rewrite of the file.
std::string ReadProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view defaultValue);
int ReadProfileInt(const std::string& path, std::string_view section, std::string_view key,
                   int defaultValue);
void WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);
void DeleteProfileSection(const std::string& path, std::string_view section);

}  // namespace norvane
