#include "settings/KeyListStorage.h"

#include "engine/Error.h"
#include "engine/TextRules.h"
#include "settings/IniFile.h"

#include <sys/stat.h>
#include <unordered_map>
#include <unordered_set>

namespace norvane {

namespace {

constexpr std::string_view kKeyListSection = "Dat";

std::string NumberedKey(std::string_view prefix, int n)
{
    std::string key(prefix);
    key += std::to_string(n);
    return key;
}

int ReadListFrom(const IniFile& file, std::string_view section, std::string_view prefix,
                 std::vector<std::string>& list)
{
    const auto values = file.SectionValues(section);
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

// Replaces the section in the image; returns how many entries it holds.
int ReplaceListIn(IniFile& file, std::string_view section, std::string_view prefix,
                  const std::vector<std::string>& list)
{
    std::vector<std::pair<std::string, std::string>> entries;
    // An entry holding a line break cannot be stored; written empty it would
    // end the list for the next reader.
    for (const auto& entry : list)
        if (!entry.empty() && entry.find_first_of("\r\n") == std::string::npos)
            entries.emplace_back(NumberedKey(prefix, static_cast<int>(entries.size()) + 1), entry);
    file.ReplaceSection(section, entries);
    return static_cast<int>(entries.size());
}

bool Exists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// One key's change from base to mine.
enum class KeyChange { Deleted, Added, TickChanged };

using KeyChanges = std::unordered_map<std::string_view, KeyChange, AsciiNoCaseHash, AsciiNoCaseEqual>;
using KeySet = std::unordered_set<std::string_view, AsciiNoCaseHash, AsciiNoCaseEqual>;

std::string EntryFor(std::string_view key, bool ticked)
{
    std::string entry = ticked ? "" : ";";
    entry += key;
    return entry;
}

}  // namespace

int ReadListSection(const std::string& path, std::string_view section, std::string_view prefix,
                    std::vector<std::string>& list)
{
    return ReadListFrom(IniFile::Load(path), section, prefix, list);
}

int WriteListSection(const std::string& path, std::string_view section, std::string_view prefix,
                     const std::vector<std::string>& list)
{
    auto file = IniFile::LoadForUpdate(path);
    const auto before = file.Text();
    const int n = ReplaceListIn(file, section, prefix, list);
    // Rewriting the same bytes would only touch the file (or create an empty one).
    if (file.Text() != before)
        file.Save(path);
    return n;
}

int LoadKeyList(const std::string& path, KeyList& list)
{
    if (!Exists(path))
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

KeyList MergeKeyLists(const KeyList& base, const KeyList& mine, const KeyList& stored)
{
    KeyChanges changes;
    for (const auto item : base) {
        if (!mine.Contains(item.key))
            changes.try_emplace(item.key, KeyChange::Deleted);
        else if (mine.IsTicked(item.key) != base.IsTicked(item.key))
            changes.try_emplace(item.key, KeyChange::TickChanged);
    }
    for (const auto item : mine)
        if (!base.Contains(item.key))
            changes.try_emplace(item.key, KeyChange::Added);

    KeyList merged;
    // Keys whose change is done; later entries of them are dropped.
    KeySet done;
    for (const auto item : stored) {
        const auto change = changes.find(item.key);
        if (change == changes.end())
            merged.AppendStored(EntryFor(item.key, item.ticked));
        else if (change->second != KeyChange::Deleted && done.insert(item.key).second)
            merged.AppendStored(EntryFor(item.key, mine.IsTicked(item.key)));
    }
    for (const auto item : mine) {
        const auto change = changes.find(item.key);
        if (change != changes.end() && change->second == KeyChange::Added && done.insert(item.key).second)
            merged.AppendStored(EntryFor(item.key, mine.IsTicked(item.key)));
    }
    return merged;
}

int KeyListSession::Load(KeyList& list)
{
    const int n = LoadKeyList(path_, list);
    base_ = list;
    return n;
}

int KeyListSession::Save(const KeyList& current, KeyOrder order)
{
    // No settings file was named: nothing to lock, nowhere to write.
    if (path_.empty())
        ThrowCannotCreate(path_);
    SettingsLock lock(path_, lockWait_);
    const bool exists = Exists(path_);
    auto file = IniFile::LoadForUpdate(path_);
    const auto before = file.Text();
    KeyList merged;
    if (exists) {
        std::vector<std::string> entries;
        ReadListFrom(file, kKeyListSection, kKeyListSection, entries);
        KeyList stored;
        for (auto& entry : entries)
            stored.AppendStored(std::move(entry));
        merged = MergeKeyLists(base_, current, stored);
    } else {
        merged = current;
    }
    if (order == KeyOrder::Sorted)
        merged.SortForSaving();
    const int n = ReplaceListIn(file, kKeyListSection, kKeyListSection, merged.StoredEntries());
    if (file.Text() != before)
        file.Save(path_);
    base_ = current;
    return n;
}

}  // namespace norvane
