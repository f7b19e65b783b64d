#pragma once

#include "engine/TextRules.h"

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace norvane {

// The absolute form of a path with "." and ".." and symbolic links resolved
// as far as the path exists: two paths naming the same file give the same
// identity.
std::string FileIdentity(const std::string& path);

// What one Vesk run over several files must remember: its selection, each
// file kept once, and the backups it has written, so that no backup of the
// run overwrites a mail file of the run or another backup of it.
class VeskRun {
public:
    explicit VeskRun(const std::vector<std::string>& selection, const TextRules& rules = HostRules());

    // The selection as given, with later paths naming an already listed file
    // left out.
    const std::vector<std::string>& Files() const { return files_; }

    // Where the backup of mailFile goes: mailFile with its extension replaced
    // by ".bak", unless that names the mail file itself, a backup this run
    // wrote for another file, or another file of the selection; then the full
    // name followed by ".bak", with ".bak" added again until the name is free.
    std::string BackupName(const std::string& mailFile) const;

    // Records that backupFile now holds the backup of mailFile.
    void NoteBackup(const std::string& backupFile, const std::string& mailFile);

private:
    bool Taken(const std::string& candidate, const std::string& mailId) const;

    TextRules rules_;
    std::vector<std::string> files_;
    std::unordered_set<std::string> fileIds_;
    std::unordered_map<std::string, std::string> backups_;  // backup identity -> mail identity
};

}  // namespace norvane
