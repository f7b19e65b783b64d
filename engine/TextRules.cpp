#include "engine/TextRules.h"

#include <algorithm>
#include <clocale>
#include <cstdint>
#include <cstring>
#include <langinfo.h>
#include <locale.h>
#include <strings.h>

namespace norvane {

namespace {

bool LocaleIsShiftJis()
{
    // Ask for the environment's locale without changing the program's own.
    locale_t loc = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0))
        return false;
    const char* codeset = nl_langinfo_l(CODESET, loc);
    bool sjis = false;
    if (codeset) {
        for (const char* name : {"SHIFT_JIS", "SHIFT-JIS", "SJIS", "CP932", "WINDOWS-31J", "MS932"})
            if (strcasecmp(codeset, name) == 0)
                sjis = true;
    }
    freelocale(loc);
    return sjis;
}

}  // namespace

const TextRules& HostRules()
{
    static const TextRules rules{LocaleIsShiftJis(), "/"};
    return rules;
}

std::size_t NameStart(std::string_view path, const TextRules& rules)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (rules.doubleByte && IsLeadByte(c)) {
            ++i;
            continue;
        }
        if (rules.separators.find(static_cast<char>(c)) != std::string_view::npos)
            start = i + 1;
    }
    return start;
}

std::pair<std::string, std::string> SplitPath(std::string_view path, const TextRules& rules)
{
    const auto start = NameStart(path, rules);
    return {std::string(path.substr(0, start)), std::string(path.substr(start))};
}

std::string ReplaceExtension(std::string_view path, std::string_view ext, const TextRules& rules)
{
    std::size_t dot = std::string_view::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (rules.doubleByte && IsLeadByte(c)) {
            ++i;
            continue;
        }
        if (c == '.')
            dot = i;
        else if (rules.separators.find(static_cast<char>(c)) != std::string_view::npos)
            dot = std::string_view::npos;
    }
    std::string result(path.substr(0, dot == std::string_view::npos ? path.size() : dot));
    result += ext;
    return result;
}

std::string LowerAscii(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = FoldAscii(c);
    return lower;
}

bool LessAsciiNoCase(std::string_view a, std::string_view b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(FoldAscii(x)) < static_cast<unsigned char>(FoldAscii(y));
    });
}

bool EqualsAsciiNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

std::size_t AsciiNoCaseHash::operator()(std::string_view text) const noexcept
{
    // FNV-1a over the folded bytes.
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(FoldAscii(c));
        hash *= 1099511628211ULL;
    }
    return static_cast<std::size_t>(hash);
}

}  // namespace norvane
