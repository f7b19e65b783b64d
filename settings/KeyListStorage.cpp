#include "settings/KeyListStorage.h"

#include "settings/IniFile.h"

#include <sys/stat.h>

namespace norvane {

namespace {

constexpr std::string_view kKeyListSection = "Dat";

std::string NumberedKey(std::string_view prefix, int n)
{
    std::string key(prefix);
    key += std::to_string(n);
    return key;
}

}  // namespace

int ReadListSection(const std::string& path, std::string_view section, std::string_view prefix,
                    std::vector<std::string>& list)
{
    const auto file = IniFile::Load(path);
    int n = 0;
    for (;;) {
        auto value = file.GetString(section, NumberedKey(prefix, n + 1), "");
        if (value.empty())
            return n;
        list.push_back(std::move(value));
        ++n;
    }
}

int WriteListSection(const std::string& path, std::string_view section, std::string_view prefix,
                     const std::vector<std::string>& list)
{
    std::vector<std::pair<std::string, std::string>> entries;
    for (const auto& entry : list)
        if (!entry.empty())
            entries.emplace_back(NumberedKey(prefix, static_cast<int>(entries.size()) + 1), entry);
    auto file = IniFile::LoadForUpdate(path);
    const auto before = file.Text();
    file.ReplaceSection(section, entries);
    // Rewriting the same bytes would only touch the file (or create an empty one).
    if (file.Text() != before)
        file.Save(path);
    return static_cast<int>(entries.size());
}

int LoadKeyList(const std::string& path, KeyList& list)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return -1;
    return ReadListSection(path, kKeyListSection, kKeyListSection, list);
}

int SaveKeyList(const std::string& path, const KeyList& list)
{
    return WriteListSection(path, kKeyListSection, kKeyListSection, list);
}

}  // namespace norvane
