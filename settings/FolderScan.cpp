#include "settings/FolderScan.h"

#include "engine/FileIo.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace norvane {

namespace {

unsigned EntryBitsOf(const struct stat& st, std::string_view name)
{
    unsigned bits = 0;
    if (S_ISDIR(st.st_mode))
        bits |= kEntryFolder;
    if (S_ISREG(st.st_mode))
        bits |= kEntryFile;
    if (!name.empty() && name.front() == '.')
        bits |= kEntryHidden;
    if ((st.st_mode & S_IWUSR) == 0)
        bits |= kEntryReadOnly;
    return bits;
}

// Bytes of the character at i: a Shift-JIS lead byte and its trail under
// double-byte rules, else a whole UTF-8 sequence (a malformed one byte by byte).
std::size_t CharacterLength(std::string_view text, std::size_t i, const TextRules& rules)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    if (rules.doubleByte)
        return IsLeadByte(lead) && i + 1 < text.size() ? 2 : 1;
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (i + length > text.size())
        return 1;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
            return 1;
    return length;
}

// ASCII letters match without regard to case; other characters byte for byte.
bool SameCharacter(std::string_view a, std::string_view b)
{
    if (a.size() == 1 && b.size() == 1)
        return FoldAscii(a[0]) == FoldAscii(b[0]);
    return a == b;
}

// Names in one folder matching a name pattern under the mask rules, sorted.
std::vector<std::string> MatchingNames(const std::string& folder, std::string_view pattern, unsigned mask,
                                       const TextRules& rules)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return names;
    const int dirFd = ::dirfd(dir);
    constexpr unsigned kOfferedOnRequest = kEntryHidden | kEntryFolder;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        // The wildcard never matches a temporary file's name.
        if (name == "." || name == ".." || !MatchesWildcard(name, pattern, rules))
            continue;
        struct stat st {};
        if (::fstatat(dirFd, entry->d_name, &st, 0) != 0 &&
            ::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        const unsigned bits = EntryBitsOf(st, name);
        if ((bits & kOfferedOnRequest & ~mask) != 0)
            continue;
        if ((bits & mask) == 0)
            continue;
        names.emplace_back(name);
    }
    ::closedir(dir);
    // The listing order of this file system is arbitrary.
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

std::string GetField(std::string_view text, std::string_view delimiter, int index)
{
    if (index < 1)
        return {};
    int count = 0;
    std::size_t fieldStart = 0;
    std::size_t i = 0;
    while (!delimiter.empty() && i < text.size()) {
        if (text.compare(i, delimiter.size(), delimiter) != 0) {
            ++i;
            continue;
        }
        if (++count == index)
            return std::string(text.substr(fieldStart, i - fieldStart));
        i += delimiter.size();
        fieldStart = i;
    }
    if (count + 1 == index)
        return std::string(text.substr(fieldStart));
    return {};
}

bool MatchesWildcard(std::string_view name, std::string_view pattern, const TextRules& rules)
{
    // A rewrite's temporary file is never mail, whatever the pattern.
    if (IsTemporaryName(name))
        return false;
    if (pattern == "*.*")
        return true;
    // Greedy match remembering the last "*" to fall back to: linear in
    // practice, never exponential. Both texts are walked a character at a time.
    std::size_t n = 0, p = 0;
    std::size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        const auto nameChar = name.substr(n, CharacterLength(name, n, rules));
        const auto patternChar = p < pattern.size() ? pattern.substr(p, CharacterLength(pattern, p, rules))
                                                    : std::string_view();
        if (patternChar == "*") {
            starP = p++;
            starN = n;
        } else if (patternChar == "?" || SameCharacter(patternChar, nameChar)) {
            n += nameChar.size();
            p += patternChar.size();
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            starN += CharacterLength(name, starN, rules);
            n = starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

void ScanFolder(std::string_view patterns, unsigned mask, std::vector<std::string>& list, const TextRules& rules)
{
    for (int k = 1;; ++k) {
        const auto pattern = GetField(patterns, ";", k);
        if (pattern.empty())
            return;
        const auto [folder, namePattern] = SplitPath(pattern, rules);
        for (const auto& name : MatchingNames(folder.empty() ? "." : folder, namePattern, mask, rules))
            list.push_back(folder + name);
    }
}

}  // namespace norvane
