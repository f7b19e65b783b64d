#pragma once

#include "engine/KeyList.h"
#include "settings/SettingsLock.h"

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace norvane {

// Appends the values of prefix1, prefix2, ... from a section, stopping at the
// first missing or empty one; returns how many were appended.
int ReadListSection(const std::string& path, std::string_view section, std::string_view prefix,
                    std::vector<std::string>& list);

// Replaces the section by the non-empty entries numbered from 1 (entries
// holding CR or LF are left out, as they cannot be stored), in one
// atomic rewrite of the file (none when nothing changes); returns how many
// were written. A file that cannot be written raises the create error naming
// the path, and stays as it was.
int WriteListSection(const std::string& path, std::string_view section, std::string_view prefix,
                     const std::vector<std::string>& list);

// -1 when the file does not exist (list untouched), else ReadListSection of
// "Dat" appended to the list in stored form.
int LoadKeyList(const std::string& path, KeyList& list);

// WriteListSection of "Dat" with the list in stored form, over whatever is
// stored and without the lock: savers that share the file use KeyListSession.
int SaveKeyList(const std::string& path, const KeyList& list);

// What a save does with the merged list: keep its order (the stored list's,
// with the saver's new keys after it), or sort it (KeyList::SortForSaving).
enum class KeyOrder { AsMerged, Sorted };

// The saver's changes from base to mine, applied to the stored list:
// - a key in base and not in mine was deleted: it is removed from the stored
//   list, even when another saver ticked or unticked it;
// - a key in mine and not in base was added: a stored entry of it (in any
//   letter case) stays where it is and in its letter case and takes mine's
//   tick; otherwise mine's entry is appended, in mine's order;
// - a key whose tick differs between base and mine takes mine's tick where
//   the stored list still holds it (a key deleted by another saver stays
//   deleted);
// - every other stored entry stays as it is, keys other savers added
//   included.
// Keys match without regard to ASCII case. A key the saver changed ends up
// as one entry (the stored list's first).
KeyList MergeKeyLists(const KeyList& base, const KeyList& mine, const KeyList& stored);

// The key list of one settings file as a saver loaded it, so that a save
// applies only this saver's changes and keeps those of others (see
// MergeKeyLists).
class KeyListSession {
public:
    KeyListSession() = default;
    explicit KeyListSession(std::string path, std::chrono::milliseconds lockWait = kSettingsLockWait)
        : path_(std::move(path)), lockWait_(lockWait)
    {
    }

    // The list the next save compares with: as loaded, then as last saved.
    const KeyList& Base() const { return base_; }

    // LoadKeyList into the list; the list as it then is becomes the base.
    int Load(KeyList& list);
    // Under the settings file's lock: reads the stored list, merges the
    // changes from the base to current into it, and writes the result in one
    // atomic rewrite of the settings file (none when nothing changes); then
    // current becomes the base. Returns how many entries were written. A
    // missing settings file is no other saver's doing: current is written as
    // it stands. Any failure raises the create error naming the settings
    // file, with the file and the base as they were.
    int Save(const KeyList& current, KeyOrder order = KeyOrder::AsMerged);

private:
    std::string path_;
    std::chrono::milliseconds lockWait_ = kSettingsLockWait;
    KeyList base_;
};

}  // namespace norvane
