#include "engine/PartHeader.h"

#include "engine/RemovalNote.h"
#include "engine/TextRules.h"

#include <map>

namespace norvane {

namespace {

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The value of a header line whose key is key (any case, blanks before the
// colon allowed), or nullopt.
std::optional<std::string_view> FieldValue(std::string_view line, std::string_view key)
{
    if (line.size() <= key.size() || !EqualsAsciiNoCase(line.substr(0, key.size()), key))
        return std::nullopt;
    std::size_t at = key.size();
    while (at < line.size() && IsBlank(line[at]))
        ++at;
    if (at == line.size() || line[at] != ':')
        return std::nullopt;
    return Trim(line.substr(at + 1));
}

void AppendLimited(std::string& field, std::string_view text)
{
    if (field.size() < PartHeader::kFieldLimit)
        field.append(text.substr(0, PartHeader::kFieldLimit - field.size()));
}

// "%XX" decoded; a "%" without two hexadecimal digits stays as it stands.
std::string PercentDecoded(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = HexDigitValue(text[i + 1]);
            const int low = HexDigitValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high << 4 | low);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

struct RawParameter {
    std::string_view name;
    std::string value;
};

// Reads the next "name=value" from text at pos; false at the end.
bool NextParameter(std::string_view text, std::size_t& pos, RawParameter& out)
{
    while (pos < text.size()) {
        while (pos < text.size() && (IsBlank(text[pos]) || text[pos] == ';'))
            ++pos;
        if (pos == text.size())
            return false;
        const std::size_t nameEnd = text.find_first_of("=;", pos);
        if (nameEnd == std::string_view::npos || text[nameEnd] == ';') {
            // A word without "=" is no parameter.
            pos = nameEnd == std::string_view::npos ? text.size() : nameEnd;
            continue;
        }
        out.name = Trim(text.substr(pos, nameEnd - pos));
        out.value.clear();
        pos = nameEnd + 1;
        while (pos < text.size() && IsBlank(text[pos]))
            ++pos;
        if (pos < text.size() && text[pos] == '"') {
            // A quoted string; one left open runs to the end.
            for (++pos; pos < text.size() && text[pos] != '"'; ++pos) {
                if (text[pos] == '\\' && pos + 1 < text.size())
                    ++pos;
                out.value += text[pos];
            }
            pos = text.find(';', pos);
            if (pos == std::string_view::npos)
                pos = text.size();
        } else {
            std::size_t end = text.find(';', pos);
            if (end == std::string_view::npos)
                end = text.size();
            out.value = Trim(text.substr(pos, end - pos));
            pos = end;
        }
        return true;
    }
    return false;
}

// Splits "charset'language'text"; a value without two quotes names no charset.
void SplitExtended(std::string_view value, MimeParameter& out)
{
    const std::size_t first = value.find('\'');
    const std::size_t second = first == std::string_view::npos ? first : value.find('\'', first + 1);
    if (second == std::string_view::npos) {
        out.value = PercentDecoded(value);
        return;
    }
    out.charset = Trim(value.substr(0, first));
    out.value = PercentDecoded(value.substr(second + 1));
}

}  // namespace

void PartHeader::PutLine(std::string_view line)
{
    if (IsContinuationLine(line)) {
        if (current_)
            AppendLimited(*current_, line);
        return;
    }
    current_ = nullptr;
    if (IsRemovalNoteLine(line)) {
        hasRemovalNote_ = true;
        return;
    }
    struct Known {
        std::string_view key;
        std::string* field;
        bool* seen;
    } const known[] = {
        {"Content-Type", &contentType_, &seenType_},
        {"Content-Disposition", &contentDisposition_, &seenDisposition_},
        {"Content-Transfer-Encoding", &transferEncoding_, &seenEncoding_},
    };
    for (const auto& k : known) {
        const auto value = FieldValue(line, k.key);
        if (!value)
            continue;
        if (!*k.seen) {
            *k.seen = true;
            AppendLimited(*k.field, *value);
            current_ = k.field;
        }
        return;
    }
}

std::string PartHeader::MediaType() const
{
    std::string type;
    for (const char c : std::string_view(contentType_).substr(0, contentType_.find(';')))
        if (!IsBlank(c))
            type += FoldAscii(c);
    return type;
}

std::optional<MimeParameter> FindParameter(std::string_view fieldValue, std::string_view name)
{
    const std::size_t start = fieldValue.find(';');
    if (start == std::string_view::npos)
        return std::nullopt;
    std::optional<MimeParameter> plain;
    std::optional<MimeParameter> extended;
    // Sections by number: (extended, value); the first of a number counts.
    std::map<unsigned long, std::pair<bool, std::string>> sections;
    std::size_t pos = start;
    RawParameter p;
    while (NextParameter(fieldValue, pos, p)) {
        const std::size_t star = p.name.find('*');
        if (!EqualsAsciiNoCase(p.name.substr(0, star), name))
            continue;
        if (star == std::string_view::npos) {
            if (!plain)
                plain = MimeParameter{p.value, {}, false};
            continue;
        }
        std::string_view rest = p.name.substr(star + 1);
        if (rest.empty()) {
            if (!extended) {
                extended.emplace();
                extended->extended = true;
                SplitExtended(p.value, *extended);
            }
            continue;
        }
        const bool sectionExtended = rest.back() == '*';
        if (sectionExtended)
            rest.remove_suffix(1);
        if (rest.empty() || rest.size() > 6 || rest.find_first_not_of("0123456789") != std::string_view::npos)
            continue;
        sections.try_emplace(std::stoul(std::string(rest)), sectionExtended, p.value);
    }
    if (extended && !extended->value.empty())
        return extended;
    if (!sections.empty()) {
        MimeParameter joined;
        bool first = true;
        for (const auto& [number, section] : sections) {
            const auto& [isExtended, value] = section;
            if (isExtended) {
                joined.extended = true;
                if (first) {
                    SplitExtended(value, joined);
                } else {
                    joined.value += PercentDecoded(value);
                }
            } else {
                joined.value += value;
            }
            first = false;
        }
        if (!joined.value.empty() || !plain)
            return joined;
    }
    return plain ? plain : extended;
}

}  // namespace norvane
