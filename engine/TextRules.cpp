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

// FoldAscii on each of the eight bytes of a word: the high bit of a byte
// below 0x80 is free to carry the comparisons.
std::uint64_t FoldAsciiWord(std::uint64_t word)
{
    constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
    const std::uint64_t low = word & ~kHigh;
    const std::uint64_t atLeastA = low + 0x3F3F3F3F3F3F3F3FULL;  // high bit set from 'A' on
    const std::uint64_t beyondZ = low + 0x2525252525252525ULL;   // high bit set after 'Z'
    const std::uint64_t capital = atLeastA & ~beyondZ & ~word & kHigh;
    return word | (capital >> 2);
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

std::size_t FindAsciiNoCase(std::string_view text, std::string_view word)
{
    if (word.empty())
        return 0;
    const auto found = std::search(text.begin(), text.end(), word.begin(), word.end(),
                                   [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
    return found == text.end() ? std::string_view::npos : static_cast<std::size_t>(found - text.begin());
}

std::size_t AsciiNoCaseHash::operator()(std::string_view text) const noexcept
{
    // Eight bytes at a time, each word folded to lower case first.
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
    std::uint64_t hash = text.size() * kMultiplier;
    const char* p = text.data();
    std::size_t left = text.size();
    const auto mix = [&hash](std::uint64_t word) {
        hash = (hash ^ FoldAsciiWord(word)) * kMultiplier;
        hash ^= hash >> 29;
    };
    for (; left >= 8; p += 8, left -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        mix(word);
    }
    if (left > 0) {
        std::uint64_t word = 0;
        for (std::size_t i = 0; i < left; ++i)
            word |= std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
        mix(word);
    }
    return static_cast<std::size_t>(hash);
}

}  // namespace norvane
