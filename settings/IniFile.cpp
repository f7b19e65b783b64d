#include "settings/IniFile.h"

#include "engine/Error.h"
#include "engine/FileIo.h"
#include "engine/TextRules.h"
#include "settings/Integer.h"

#include <cerrno>
#include <sys/stat.h>

namespace norvane {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view TrimLeft(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    return s;
}

std::string_view Trim(std::string_view s)
{
    s = TrimLeft(s);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

enum class LineKind { Other, Section, Entry };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;
    std::string_view value;
};

ParsedLine ParseLine(std::string_view text, bool firstLine)
{
    if (firstLine && text.starts_with(kByteOrderMark))
        text.remove_prefix(kByteOrderMark.size());
    text = TrimLeft(text);
    if (text.empty() || text.front() == ';')
        return {};
    if (text.front() == '[') {
        const auto close = text.find(']');
        return {LineKind::Section, Trim(text.substr(1, close == std::string_view::npos ? close : close - 1)), {}};
    }
    const auto eq = text.find('=');
    if (eq == std::string_view::npos)
        return {};
    const auto name = Trim(text.substr(0, eq));
    if (name.empty())
        return {};
    auto value = Trim(text.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return {LineKind::Entry, name, value};
}

std::string EntryText(std::string_view key, std::string_view value)
{
    std::string text(key);
    text += '=';
    // A line break in a value would add lines of its own to the file.
    if (value.find_first_of("\r\n") != std::string_view::npos)
        return text;
    const bool quote = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) ||
                                          (value.size() >= 2 && value.front() == '"' && value.back() == '"'));
    if (quote)
        text += '"';
    text += value;
    if (quote)
        text += '"';
    return text;
}

std::string SectionText(std::string_view section)
{
    std::string text = "[";
    text += section;
    text += ']';
    return text;
}

enum class FileState { Missing, Present, TooLarge, Unknown };

FileState StatFile(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return static_cast<std::uint64_t>(st.st_size) > kSettingsFileLimit ? FileState::TooLarge
                                                                            : FileState::Present;
    return (errno == ENOENT || errno == ENOTDIR) ? FileState::Missing : FileState::Unknown;
}

bool IsContinuationByte(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

std::size_t SequenceLength(unsigned char lead)
{
    if (lead >= 0xF0 && lead <= 0xF7)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

}  // namespace

IniFile IniFile::Parse(std::string_view text)
{
    IniFile file;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto stop = text.find_first_of("\r\n", start);
        if (stop == std::string_view::npos) {
            file.lines_.push_back({std::string(text.substr(start)), {}});
            break;
        }
        std::size_t next = stop + 1;
        if (text[stop] == '\r' && next < text.size() && text[next] == '\n')
            ++next;
        file.lines_.push_back({std::string(text.substr(start, stop - start)),
                               std::string(text.substr(stop, next - stop))});
        if (file.lines_.size() == 1)
            file.lineEnd_ = file.lines_.back().end;
        start = next;
    }
    return file;
}

bool IsSettingsFileTooLarge(const std::string& path)
{
    return StatFile(path) == FileState::TooLarge;
}

IniFile IniFile::Load(const std::string& path)
{
    const FileState state = StatFile(path);
    if (state == FileState::Missing || state == FileState::TooLarge)
        return {};
    try {
        return Parse(ReadWholeFile(path));
    } catch (const Error&) {
        return {};
    }
}

IniFile IniFile::LoadForUpdate(const std::string& path)
{
    const FileState state = StatFile(path);
    if (state == FileState::Missing)
        return {};
    if (state == FileState::TooLarge)
        ThrowCannotCreate(path);
    try {
        return Parse(ReadWholeFile(path));
    } catch (const Error&) {
        ThrowCannotCreate(path);
    }
}

std::size_t IniFile::FindSectionHeader(std::string_view section) const
{
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto parsed = ParseLine(lines_[i].text, i == 0);
        if (parsed.kind == LineKind::Section && EqualsAsciiNoCase(parsed.name, section))
            return i;
    }
    return std::string::npos;
}

std::size_t IniFile::SectionEnd(std::size_t header) const
{
    std::size_t i = header + 1;
    while (i < lines_.size() && ParseLine(lines_[i].text, false).kind != LineKind::Section)
        ++i;
    return i;
}

std::optional<std::string> IniFile::Find(std::string_view section, std::string_view key) const
{
    const auto header = FindSectionHeader(section);
    if (header == std::string::npos)
        return std::nullopt;
    const auto end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const auto parsed = ParseLine(lines_[i].text, false);
        if (parsed.kind == LineKind::Entry && EqualsAsciiNoCase(parsed.name, key))
            return std::string(parsed.value);
    }
    return std::nullopt;
}

std::unordered_map<std::string, std::string, AsciiNoCaseHash, AsciiNoCaseEqual> IniFile::SectionValues(
    std::string_view section) const
{
    std::unordered_map<std::string, std::string, AsciiNoCaseHash, AsciiNoCaseEqual> values;
    const auto header = FindSectionHeader(section);
    if (header == std::string::npos)
        return values;
    const auto end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const auto parsed = ParseLine(lines_[i].text, false);
        if (parsed.kind == LineKind::Entry)
            values.try_emplace(std::string(parsed.name), parsed.value);
    }
    return values;
}

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view defaultValue) const
{
    const auto value = Find(section, key);
    return std::string(CutIniValue(value ? std::string_view(*value) : defaultValue));
}

std::optional<std::int64_t> IniFile::GetNumber(std::string_view section, std::string_view key) const
{
    const auto value = Find(section, key);
    if (!value)
        return std::nullopt;
    return LeadingInteger(CutIniValue(*value));
}

int IniFile::GetInt(std::string_view section, std::string_view key, int defaultValue) const
{
    const auto number = GetNumber(section, key);
    if (!number)
        return defaultValue;
    return static_cast<int>(static_cast<std::uint32_t>(*number));
}

bool IniFile::HasSection(std::string_view section) const
{
    return FindSectionHeader(section) != std::string::npos;
}

std::string IniFile::NewLineEnd() const
{
    return lineEnd_;
}

void IniFile::AppendLine(std::string text)
{
    auto end = NewLineEnd();
    if (!lines_.empty() && lines_.back().end.empty())
        lines_.back().end = end;
    lines_.push_back({std::move(text), std::move(end)});
}

void IniFile::SetString(std::string_view section, std::string_view key, std::string_view value)
{
    const auto header = FindSectionHeader(section);
    if (header == std::string::npos) {
        AppendLine(SectionText(section));
        AppendLine(EntryText(key, value));
        return;
    }
    const auto end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const auto parsed = ParseLine(lines_[i].text, false);
        if (parsed.kind == LineKind::Entry && EqualsAsciiNoCase(parsed.name, key)) {
            lines_[i].text = EntryText(key, value);
            return;
        }
    }
    // New keys go after the section's last non-blank line, before the blank
    // lines that separate it from the next section.
    auto at = end;
    while (at > header + 1 && Trim(lines_[at - 1].text).empty())
        --at;
    const auto lineEnd = NewLineEnd();
    if (lines_[at - 1].end.empty())
        lines_[at - 1].end = lineEnd;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{EntryText(key, value), lineEnd});
}

void IniFile::DeleteSection(std::string_view section)
{
    std::vector<Line> kept;
    kept.reserve(lines_.size());
    bool inside = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto parsed = ParseLine(lines_[i].text, i == 0);
        if (parsed.kind == LineKind::Section)
            inside = EqualsAsciiNoCase(parsed.name, section);
        if (!inside)
            kept.push_back(std::move(lines_[i]));
    }
    lines_ = std::move(kept);
}

void IniFile::ReplaceSection(std::string_view section,
                             const std::vector<std::pair<std::string, std::string>>& entries)
{
    DeleteSection(section);
    if (entries.empty())
        return;
    AppendLine(SectionText(section));
    for (const auto& [key, value] : entries)
        AppendLine(EntryText(key, value));
}

std::string IniFile::Text() const
{
    std::string text;
    for (const auto& line : lines_) {
        text += line.text;
        text += line.end;
    }
    return text;
}

void IniFile::Save(const std::string& path) const
{
    WriteWholeFile(path, Text());
}

std::optional<std::int64_t> LeadingInteger(std::string_view value)
{
    const auto number = ParseInteger(value, kSettingsValueInteger);
    if (number.status != IntegerStatus::Ok)
        return std::nullopt;
    return number.Signed();
}

std::string_view CutIniValue(std::string_view value, const TextRules& rules)
{
    if (value.size() <= kIniValueLimit)
        return value;
    if (rules.doubleByte) {
        std::size_t end = 0;
        while (end < kIniValueLimit) {
            const std::size_t step = IsLeadByte(static_cast<unsigned char>(value[end])) ? 2 : 1;
            if (end + step > kIniValueLimit)
                break;
            end += step;
        }
        return value.substr(0, end);
    }
    std::size_t cut = kIniValueLimit;
    // When the first byte left out continues a character, find where that
    // character begins and cut there instead.
    std::size_t start = cut;
    while (start > 0 && cut - start < 3 && IsContinuationByte(static_cast<unsigned char>(value[start])))
        --start;
    const auto lead = static_cast<unsigned char>(value[start]);
    if (start < cut && lead >= 0xC0 && start + SequenceLength(lead) > cut)
        cut = start;
    return value.substr(0, cut);
}

std::string ReadProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view defaultValue)
{
    return IniFile::Load(path).GetString(section, key, defaultValue);
}

int ReadProfileInt(const std::string& path, std::string_view section, std::string_view key, int defaultValue)
{
    return IniFile::Load(path).GetInt(section, key, defaultValue);
}

void WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value)
{
    auto file = IniFile::LoadForUpdate(path);
    file.SetString(section, key, value);
    file.Save(path);
}

void DeleteProfileSection(const std::string& path, std::string_view section)
{
    if (StatFile(path) == FileState::Missing)
        return;
    auto file = IniFile::LoadForUpdate(path);
    file.DeleteSection(section);
    file.Save(path);
}

}  // namespace norvane
