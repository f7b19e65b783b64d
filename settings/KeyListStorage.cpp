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
    const auto values = IniFile::Load(path).SectionValues(section);
    int n = 0;
    for (;;) {
        const auto value = values.find(NumberedKey(prefix, n + 1));
        if (value == values.end())
            return n;
        const std::string_view cut = CutIniValue(value->second);
        if (cut.empty())
            return n;
        list.emplace_back(cut);
        ++n;
    }
}

int WriteListSection(const std::string& path, std::string_view section, std::string_view prefix,
                     const std::vector<std::string>& list)
{
    std::vector<std::pair<std::string, std::string>> entries;
    // An entry holding a line break cannot be stored; written empty it would
    // end the list for the next reader.
    for (const auto& entry : list)
        if (!entry.empty() && entry.find_first_of("\r\n") == std::string::npos)
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
    std::vector<std::string> entries;
    const int n = ReadListSection(path, kKeyListSection, kKeyListSection, entries);
    for (auto& entry : entries)
        list.AppendStored(std::move(entry));
    return n;
}

int SaveKeyList(const std::string& path, const KeyList& list)
{
    return WriteListSection(path, kKeyListSection, kKeyListSection, list.StoredEntries());
}

void KeyListSaveGuard::Note(const std::vector<std::string>& registeredKeys)
{
    if (!registeredKeys.empty())
        pending_ = true;
}

void KeyListSaveGuard::SaveNow()
{
    if (!pending_)
        return;
    pending_ = false;
    try {
        SaveKeyList(path_, list_);
    } catch (...) {
        // Also called on the way out of a failed run: nothing may escape.
    }
}

}  // namespace norvane
