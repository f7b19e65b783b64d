#pragma once

#include "engine/TextRules.h"

#include <cstddef>
#include <initializer_list>
#include <iosfwd>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace norvane {

// The registered header keys in their order. A key is either ticked (its
// header lines are stripped) or registered but kept. Keys match without
// regard to ASCII case.
//
// Each key is held as its entry in stored form, as the settings file keeps
// it: 'Key' when ticked, ';Key' when kept. Only this class reads or writes
// that prefix; everyone else asks by key. Entries keep their order and their
// letter case, and lookups go through a hash index, so loading stays linear.
class KeyList {
public:
    // One entry as the key panel shows it: the key without the prefix.
    struct Item {
        std::string_view key;
        bool ticked = false;
    };

    class Iterator {
    public:
        Iterator(const KeyList& list, std::size_t index) : list_(&list), index_(index) {}
        Item operator*() const { return list_->At(index_); }
        Iterator& operator++()
        {
            ++index_;
            return *this;
        }
        bool operator==(const Iterator& other) const { return index_ == other.index_; }

    private:
        const KeyList* list_;
        std::size_t index_;
    };

    KeyList() = default;
    // Entries in stored form, in order.
    KeyList(std::initializer_list<std::string_view> stored);

    // Whether a key can be registered and stored: not empty, no ';' in front
    // (that would read back as a kept key), no line break.
    static bool IsStorable(std::string_view key);

    // The entries in stored form, in order, for saving.
    const std::vector<std::string>& StoredEntries() const { return entries_; }
    // Appends an entry in stored form, as loaded.
    void AppendStored(std::string entry);

    std::size_t Count() const { return entries_.size(); }
    bool IsEmpty() const { return entries_.empty(); }
    Item At(std::size_t index) const;  // index < Count()
    Iterator begin() const { return Iterator(*this, 0); }
    Iterator end() const { return Iterator(*this, entries_.size()); }

    // Index of the key's entry, ticked or kept (the ticked form is looked for
    // first, then the kept form; the first entry of that form wins), or -1.
    int Find(std::string_view key) const;
    bool Contains(std::string_view key) const { return Find(key) >= 0; }
    bool IsTicked(std::string_view key) const;
    // Whether the list holds the key unticked.
    bool IsKept(std::string_view key) const { return FindKept(key) >= 0; }

    // Appends the key, ticked or kept; false when the list holds it already
    // in either form or it is not storable.
    bool RegisterTicked(std::string_view key);
    bool RegisterUnticked(std::string_view key);
    // Turns the key's kept entry into a ticked one in place, keeping its
    // letter case; false when no kept entry holds it.
    bool Tick(std::string_view key);
    // Turns the key's ticked entry into a kept one; false when none holds it.
    bool Untick(std::string_view key);
    // Removes the entry Find gives; false when there is none.
    bool Delete(std::string_view key);
    // The order the list is saved in: entries in stored form compared after
    // folding ASCII letters to lower case, equal entries in their present
    // order.
    void SortForSaving();
    void Clear();

    bool operator==(const KeyList& other) const { return entries_ == other.entries_; }

private:
    using Index = std::unordered_map<std::string, std::size_t, AsciiNoCaseHash, AsciiNoCaseEqual>;

    // Index of the first entry equal to stored (no case), or -1.
    int FindStored(std::string_view stored) const;
    int FindKept(std::string_view key) const;
    void IndexEntry(std::size_t index);
    void Reindex();

    std::vector<std::string> entries_;
    // First entry of each text: ticked entries by their text, kept entries
    // by their text after the prefix.
    Index ticked_;
    Index kept_;
};

// The entries in stored form, for test failure messages.
std::ostream& operator<<(std::ostream& out, const KeyList& list);

}  // namespace norvane
