// The settings file over any text and any edits. The input is the file's
// text, then after a NUL byte one edit per line: "S<section>\t<key>\t<value>"
// sets a value, "D<section>" deletes a section, "R<section>\t<key>\t<value>..."
// replaces one. Reading and writing a text changes no byte; a value set is
// read back as set; and for the text the writer wrote, writing what was read
// gives the same bytes, through the files on disk.
#include "fuzz/FuzzSupport.h"
#include "settings/IniFile.h"

#include <utility>

namespace {

std::vector<std::string_view> Split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        text.remove_prefix(at + 1);
    }
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool HasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// A name that reads back as itself: not empty, no line break, no blanks at
// either end; a section name holds no ']', a key no '=' and does not look
// like a comment or a section.
bool IsReadableName(std::string_view name, bool section)
{
    if (name.empty() || IsBlank(name.front()) || IsBlank(name.back()) || HasLineBreak(name))
        return false;
    if (section)
        return name.find(']') == std::string_view::npos;
    return name.find('=') == std::string_view::npos && name.front() != ';' && name.front() != '[';
}

// What a value reads back as: a value holding a line break is written empty.
std::string_view StoredValue(std::string_view value)
{
    return HasLineBreak(value) ? std::string_view() : value;
}

// The writer stores section and key names as given: a line break in one
// starts lines of its own, and a key line beginning with '[' reads as a
// section header, so the entries after it no longer read as edited.
// Read-backs are checked only while no edit has written such a name.
bool KeepsLayout(std::string_view section, std::string_view key)
{
    const std::size_t first = key.find_first_not_of(" \t");
    return !HasLineBreak(section) && !HasLineBreak(key) && (first == std::string_view::npos || key[first] != '[');
}

void CheckReadBack(const norvane::IniFile& file, std::string_view section, std::string_view key,
                   std::string_view value, bool& namesWhole)
{
    namesWhole = namesWhole && KeepsLayout(section, key);
    if (!namesWhole || !IsReadableName(section, true) || !IsReadableName(key, false))
        return;
    const auto read = norvane::IniFile::Parse(file.Text()).Find(section, key);
    FUZZ_REQUIRE(read.has_value(), "a key set is found again");
    FUZZ_REQUIRE_EQ(StoredValue(value), *read, "a value set is read back as set");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace norvane;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    static const std::string written = fuzz::ScratchPath("ini/written.ini");
    static const std::string rewritten = fuzz::ScratchPath("ini/rewritten.ini");

    const std::size_t nul = input.find('\0');
    const std::string_view text = input.substr(0, nul);
    IniFile file = IniFile::Parse(text);
    FUZZ_REQUIRE_EQ(text, file.Text(), "a text read and written again keeps every byte");

    bool namesWhole = true;
    const std::string_view edits = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);
    for (const std::string_view edit : Split(edits, '\n')) {
        if (edit.empty())
            continue;
        const std::vector<std::string_view> fields = Split(edit.substr(1), '\t');
        const std::string_view section = fields[0];
        switch (edit.front()) {
        case 'S': {
            const std::string_view key = fields.size() > 1 ? fields[1] : "Key";
            const std::string_view value = fields.size() > 2 ? fields[2] : "";
            file.SetString(section, key, value);
            CheckReadBack(file, section, key, value, namesWhole);
            break;
        }
        case 'D':
            file.DeleteSection(section);
            if (namesWhole)
                FUZZ_REQUIRE(!IniFile::Parse(file.Text()).HasSection(section), "a deleted section is gone");
            break;
        case 'R': {
            std::vector<std::pair<std::string, std::string>> entries;
            for (std::size_t i = 1; i + 1 < fields.size(); i += 2)
                entries.emplace_back(fields[i], fields[i + 1]);
            file.ReplaceSection(section, entries);
            for (const auto& [key, value] : entries)
                namesWhole = namesWhole && KeepsLayout(section, key);
            // The first entry of each key is the one found.
            for (std::size_t i = entries.size(); i-- > 0;) {
                bool later = false;
                for (std::size_t j = 0; j < i; ++j)
                    later = later || EqualsAsciiNoCase(entries[j].first, entries[i].first);
                if (!later)
                    CheckReadBack(file, section, entries[i].first, entries[i].second, namesWhole);
            }
            if (entries.empty() && namesWhole)
                FUZZ_REQUIRE(!IniFile::Parse(file.Text()).HasSection(section), "an emptied section is gone");
            break;
        }
        default:
            break;
        }
    }

    const std::string writtenText = file.Text();
    file.Save(written);
    FUZZ_REQUIRE_EQ(writtenText, fuzz::ReadFileBytes(written), "the file holds the text written");
    IniFile::Load(written).Save(rewritten);
    FUZZ_REQUIRE_EQ(writtenText, fuzz::ReadFileBytes(rewritten), "writing what was read gives the same bytes");
    IniFile::LoadForUpdate(rewritten).Save(rewritten);
    FUZZ_REQUIRE_EQ(writtenText, fuzz::ReadFileBytes(rewritten), "a file read for an update and saved is unchanged");
    return 0;
}
