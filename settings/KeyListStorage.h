#pragma once

#include "engine/KeyList.h"

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

// WriteListSection of "Dat" with the list in stored form.
int SaveKeyList(const std::string& path, const KeyList& list);

// Saves the key list once at the end of the window's Vesk run over several
// files, when any file of it registered keys: also when the run ends early on
// an error, since the files before it stay done. A settings file that cannot
// be written is not the mail files' failure and goes unreported. The tool
// runs RunVeskJob (app/), which saves in the same way; once the window runs
// it too, this class goes.
class KeyListSaveGuard {
public:
    KeyListSaveGuard(std::string path, const KeyList& list) : path_(std::move(path)), list_(list) {}
    ~KeyListSaveGuard() { SaveNow(); }
    KeyListSaveGuard(const KeyListSaveGuard&) = delete;
    KeyListSaveGuard& operator=(const KeyListSaveGuard&) = delete;

    // Notes the keys one file registered.
    void Note(const std::vector<std::string>& registeredKeys);
    // Saves if any keys were noted since the last save.
    void SaveNow();

private:
    std::string path_;
    const KeyList& list_;
    bool pending_ = false;
};

}  // namespace norvane
