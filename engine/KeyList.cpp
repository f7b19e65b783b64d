#include "engine/KeyList.h"

#include <algorithm>
#include <ostream>

namespace norvane {

namespace {

// The prefix of a kept key's stored entry.
constexpr char kKeptMark = ';';

bool IsKeptEntry(std::string_view entry)
{
    return !entry.empty() && entry.front() == kKeptMark;
}

}  // namespace

KeyList::KeyList(std::initializer_list<std::string_view> stored)
{
    for (const std::string_view entry : stored)
        AppendStored(std::string(entry));
}

KeyList::KeyList(const std::vector<std::string>& stored)
{
    for (const std::string& entry : stored)
        AppendStored(entry);
}

bool KeyList::IsStorable(std::string_view key)
{
    return !key.empty() && key.front() != kKeptMark && key.find_first_of("\r\n") == std::string_view::npos;
}

void KeyList::AppendStored(std::string entry)
{
    entries_.push_back(std::move(entry));
    IndexEntry(entries_.size() - 1);
}

KeyList::Item KeyList::At(std::size_t index) const
{
    const std::string_view entry = entries_.at(index);
    if (IsKeptEntry(entry))
        return {entry.substr(1), false};
    return {entry, true};
}

void KeyList::IndexEntry(std::size_t index)
{
    const std::string& entry = entries_[index];
    if (IsKeptEntry(entry))
        kept_.try_emplace(entry.substr(1), index);
    else
        ticked_.try_emplace(entry, index);
}

void KeyList::Reindex()
{
    ticked_.clear();
    kept_.clear();
    for (std::size_t i = 0; i < entries_.size(); ++i)
        IndexEntry(i);
}

int KeyList::FindStored(std::string_view stored) const
{
    if (IsKeptEntry(stored))
        return FindKept(stored.substr(1));
    const auto found = ticked_.find(stored);
    return found == ticked_.end() ? -1 : static_cast<int>(found->second);
}

int KeyList::FindKept(std::string_view key) const
{
    const auto found = kept_.find(key);
    return found == kept_.end() ? -1 : static_cast<int>(found->second);
}

int KeyList::Find(std::string_view key) const
{
    const int ticked = FindStored(key);
    return ticked >= 0 ? ticked : FindKept(key);
}

bool KeyList::IsTicked(std::string_view key) const
{
    return FindStored(key) >= 0;
}

bool KeyList::RegisterTicked(std::string_view key)
{
    if (!IsStorable(key) || Contains(key))
        return false;
    AppendStored(std::string(key));
    return true;
}

bool KeyList::RegisterUnticked(std::string_view key)
{
    if (!IsStorable(key) || Contains(key))
        return false;
    std::string entry(1, kKeptMark);
    entry += key;
    AppendStored(std::move(entry));
    return true;
}

bool KeyList::Tick(std::string_view key)
{
    const int kept = FindKept(key);
    if (kept < 0)
        return false;
    entries_[static_cast<std::size_t>(kept)].erase(0, 1);
    Reindex();
    return true;
}

bool KeyList::Untick(std::string_view key)
{
    const int ticked = FindStored(key);
    if (ticked < 0)
        return false;
    entries_[static_cast<std::size_t>(ticked)].insert(0, 1, kKeptMark);
    Reindex();
    return true;
}

bool KeyList::Delete(std::string_view key)
{
    const int found = Find(key);
    if (found < 0)
        return false;
    entries_.erase(entries_.begin() + found);
    Reindex();
    return true;
}

void KeyList::SortForSaving()
{
    std::stable_sort(entries_.begin(), entries_.end(), [](const std::string& a, const std::string& b) {
        return LessAsciiNoCase(a, b);
    });
    Reindex();
}

void KeyList::Clear()
{
    entries_.clear();
    ticked_.clear();
    kept_.clear();
}

std::ostream& operator<<(std::ostream& out, const KeyList& list)
{
    out << '{';
    const char* separator = "";
    for (const std::string& entry : list.StoredEntries()) {
        out << separator << '"' << entry << '"';
        separator = ", ";
    }
    return out << '}';
}

}  // namespace norvane
