#include "settings/FolderScan.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace norvane {

namespace {

char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c;
}

unsigned AttributesOf(const struct stat& st, std::string_view name)
{
    unsigned attributes = 0;
    if (S_ISDIR(st.st_mode))
        attributes |= kAttrFolder;
    if (S_ISREG(st.st_mode))
        attributes |= kAttrArchive;
    if (!name.empty() && name.front() == '.')
        attributes |= kAttrHidden;
    if ((st.st_mode & S_IWUSR) == 0)
        attributes |= kAttrReadOnly;
    return attributes;
}

// Names in one folder matching a name pattern under the mask rules, sorted.
std::vector<std::string> MatchingNames(const std::string& folder, std::string_view pattern, unsigned mask)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return names;
    const int dirFd = ::dirfd(dir);
    constexpr unsigned kOfferedOnRequest = kAttrHidden | kAttrSystem | kAttrVolume | kAttrFolder;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (!MatchesWildcard(name, pattern))
            continue;
        struct stat st {};
        if (::fstatat(dirFd, entry->d_name, &st, 0) != 0 &&
            ::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        const unsigned attributes = AttributesOf(st, name);
        if ((attributes & kOfferedOnRequest & ~mask) != 0)
            continue;
        if ((attributes & mask) == 0)
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

bool MatchesWildcard(std::string_view name, std::string_view pattern)
{
    if (pattern == "*.*")
        return true;
    // Greedy match remembering the last "*" to fall back to: linear in
    // practice, never exponential.
    std::size_t n = 0, p = 0;
    std::size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || FoldAscii(pattern[p]) == FoldAscii(name[n]))) {
            ++n;
            ++p;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
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
        for (const auto& name : MatchingNames(folder.empty() ? "." : folder, namePattern, mask))
            list.push_back(folder + name);
    }
}

}  // namespace norvane
