#pragma once

#include "engine/TextRules.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace norvane {

inline constexpr std::string_view kMsgNoBackup = "ﾌｧｲﾙ %s のﾊﾞｯｸｱｯﾌﾟがありません";
inline constexpr std::string_view kMsgSharedBackup = "ﾊﾞｯｸｱｯﾌﾟ %s は他のﾌｧｲﾙのものかもしれません";

// One backup of a mail file as it lies on disk.
struct BackupFile {
    std::string path;
    std::uint64_t size = 0;
    struct timespec modified {};
};

// A mail file's backups, found by their names.
struct BackupSet {
    std::string mailFile;  // the file a Vesk run rewrites: the path's link target
    // Oldest first, in the order a Vesk run takes their names: "a.bak",
    // "a.eml.bak", "a.eml.bak.2", ... Only regular files count; a symbolic
    // link of such a name is none of them.
    std::vector<BackupFile> backups;
    // The extension rule's name ("a.bak") when it exists but another file of
    // the mail's folder ("a.txt") has the same name by that rule: it may be
    // that file's backup, so it is not in backups.
    std::string sharedPlain;
    std::string sharer;  // that other file
};

// A backup's modification time as local "YYYY-MM-DD HH:MM:SS".
std::string LocalTimeText(const struct timespec& time);

// The backups of the file at mailPath (a symbolic link's target, as a Vesk
// run resolves it), in its backup folder (see BackupFolder).
BackupSet FindBackups(const std::string& mailPath, const TextRules& rules = HostRules());

enum class BackupChoice { kNewest, kOldest };

// The backup to restore: the last of backups (kNewest) or the first
// (kOldest). Raises the shared-backup error when the one meant may be the
// shared plain name (no other backup for kNewest, any for kOldest), the
// no-backup error naming errorName when there is none.
const BackupFile& ChooseBackup(const BackupSet& set, BackupChoice choice, std::string_view errorName);

// Puts the bytes of backupPath back into the file at mailPath (its link
// target, resolved once), keeping the backup: like a Vesk rewrite, through a
// hidden temporary file beside the mail that is flushed and renamed over it
// with its owner, group and mode, under the mail's lock, and only when the
// bytes differ; the backup is only read, under a read lock. Neither file is ever opened through a symbolic link. Returns
// whether the mail file changed. Raises the errors of a rewrite (naming
// errorName, the path when empty) and, for the backup, the open and
// not-regular errors naming it; the mail file then stays as it was.
bool RestoreFromBackup(const std::string& mailPath, const std::string& backupPath, std::string_view errorName = {});

}  // namespace norvane
