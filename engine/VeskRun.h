#pragma once

#include "engine/TextRules.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace norvane {

// The absolute form of a path with "." and ".." and symbolic links resolved
// as far as the path exists: two paths naming the same file give the same
// identity.
std::string FileIdentity(const std::string& path);

// The top folder of the Maildir (with its final separator) when folder
// (ending in a separator) is a Maildir's "cur" or "new": a folder whose
// parent holds "cur", "new" and "tmp". Mail programs take every file there
// for a message, so the program's own files go to the top folder instead.
std::optional<std::string> MaildirTop(const std::string& folder, const TextRules& rules = HostRules());

// The folder a mail file's backups go to (ending in a separator): the mail's
// own, except in a Maildir (a "cur" or "new" folder whose parent holds "cur",
// "new" and "tmp"): there the folder "norvane-backup" of the Maildir's top
// folder.
std::string BackupFolder(const std::string& mailFile, const TextRules& rules = HostRules());

// The names a backup of mailFile may take, in the order they are tried, in
// its backup folder: place 0 is the extension rule's "a.bak", place 1
// "a.eml.bak", place n >= 2 "a.eml.bak.n".
std::string BackupCandidate(const std::string& mailFile, int place, const TextRules& rules = HostRules());

// What one Vesk run over several files must remember: its selection, each
// file kept once and resolved once, and the backups it has written, so that
// no backup of the run lands on a mail file of the run, another backup or
// any existing file.
class VeskRun {
public:
    explicit VeskRun(const std::vector<std::string>& selection, const TextRules& rules = HostRules());

    // The selection as given, with later paths naming an already listed file
    // left out.
    const std::vector<std::string>& Files() const { return files_; }

    // The file a path of the selection names, its symbolic links resolved
    // when the run began: the file that is read and replaced, whatever the
    // path names later. A path that named no file then stays as it is.
    std::string Target(const std::string& file) const;

    // Where the backup of mailFile (its target) goes: the first of
    // "a.bak" (the extension replaced), "a.eml.bak", "a.eml.bak.2",
    // "a.eml.bak.3", ... that does not exist (a dangling link exists too), is
    // not the mail file, not another file of the selection and not a backup
    // written earlier in the run. Beside the mail file, except in a Maildir
    // (a "cur" or "new" folder whose parent holds "cur", "new" and "tmp"):
    // there in the folder "norvane-backup" of the Maildir's top folder.
    std::string BackupName(const std::string& mailFile) const;

    // Records that the run wrote backupFile.
    void NoteBackup(const std::string& backupFile);

private:
    bool Taken(const std::string& candidate, const std::string& mailId) const;

    TextRules rules_;
    std::vector<std::string> files_;
    std::unordered_set<std::string> fileIds_;
    std::unordered_map<std::string, std::string> targets_;  // selected path -> resolved file
    std::unordered_set<std::string> backups_;               // identities
};

}  // namespace norvane
