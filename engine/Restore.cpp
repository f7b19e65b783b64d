#include "engine/Restore.h"

#include "engine/Error.h"
#include "engine/FileIo.h"
#include "engine/MailFile.h"
#include "engine/VeskRun.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace norvane {

namespace {

constexpr std::size_t kCopyBlock = std::size_t{1} << 20;

// The names in a folder (its text ends in a separator, or is empty for the
// current folder); none when it cannot be read.
std::vector<std::string> FolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator it(folder.empty() ? std::string(".") : folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error))
        names.push_back(it->path().filename().string());
    return names;
}

// The place of a name in the backup order of a mail file (see
// BackupCandidate), or -1 when it is none of its names.
int BackupPlace(const std::string& path, const std::string& plain, const std::string& full)
{
    if (path == plain)
        return 0;
    if (path == full)
        return 1;
    if (path.size() <= full.size() + 1 || path.compare(0, full.size(), full) != 0 || path[full.size()] != '.')
        return -1;
    const std::string_view digits = std::string_view(path).substr(full.size() + 1);
    int place = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), place);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.front() == '0' || place < 2)
        return -1;
    return place;
}

// The folders whose mail has its backups in backupFolder: the mail's own, or
// in a Maildir both "cur" and "new".
std::vector<std::string> MailFolders(const std::string& mailFile, const std::string& backupFolder,
                                     const TextRules& rules)
{
    const std::string folder = SplitPath(mailFile, rules).first;
    if (folder == backupFolder)
        return {folder};
    const std::string top = SplitPath(std::string_view(folder).substr(0, folder.size() - 1), rules).first;
    return {top + "cur" + folder.back(), top + "new" + folder.back()};
}

// Another file whose extension rule's backup name is plain too, or empty.
std::string Sharer(const std::string& mailFile, const std::string& backupFolder, const std::string& plain,
                   const TextRules& rules)
{
    for (const std::string& folder : MailFolders(mailFile, backupFolder, rules)) {
        for (const std::string& name : FolderNames(folder)) {
            const std::string path = folder + name;
            if (path == mailFile || path == plain || IsTemporaryName(name))
                continue;
            if (backupFolder + ReplaceExtension(name, ".bak", rules) == plain && !IsFolder(path))
                return path;
        }
    }
    return {};
}

}  // namespace

std::string LocalTimeText(const struct timespec& time)
{
    struct tm local {};
    char text[32] = "";
    if (::localtime_r(&time.tv_sec, &local))
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

BackupSet FindBackups(const std::string& mailPath, const TextRules& rules)
{
    BackupSet set;
    set.mailFile = ResolveTarget(mailPath);
    const std::string folder = BackupFolder(set.mailFile, rules);
    const std::string plain = BackupCandidate(set.mailFile, 0, rules);
    const std::string full = BackupCandidate(set.mailFile, 1, rules);
    const std::string mailId = FileIdentity(set.mailFile);

    std::vector<std::pair<int, BackupFile>> found;
    for (const std::string& name : FolderNames(folder)) {
        BackupFile backup;
        backup.path = folder + name;
        const int place = BackupPlace(backup.path, plain, full);
        struct stat st {};
        if (place < 0 || ::lstat(backup.path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
            FileIdentity(backup.path) == mailId)
            continue;
        backup.size = static_cast<std::uint64_t>(st.st_size);
        backup.modified = st.st_mtim;
        found.emplace_back(place, std::move(backup));
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [place, backup] : found) {
        if (place == 0 && plain != full) {
            std::string sharer = Sharer(set.mailFile, folder, plain, rules);
            if (!sharer.empty()) {
                set.sharedPlain = backup.path;
                set.sharer = std::move(sharer);
                continue;
            }
        }
        set.backups.push_back(std::move(backup));
    }
    return set;
}

const BackupFile& ChooseBackup(const BackupSet& set, BackupChoice choice, std::string_view errorName)
{
    const bool mayBeShared = !set.sharedPlain.empty() && (choice == BackupChoice::kOldest || set.backups.empty());
    if (mayBeShared)
        throw Error(FormatMessage(kMsgSharedBackup, set.sharedPlain));
    if (set.backups.empty())
        throw Error(FormatMessage(kMsgNoBackup, errorName));
    return choice == BackupChoice::kOldest ? set.backups.front() : set.backups.back();
}

bool RestoreFromBackup(const std::string& mailPath, const std::string& backupPath, std::string_view errorName)
{
    const std::string target = ResolveTarget(mailPath);
    // Only read: a read-only backup, or one another program reads, will do.
    const MailFile backup(backupPath, {}, MailAccess::kRead);
    const MailFile mail(target, errorName.empty() ? std::string_view(mailPath) : errorName);
    if (backup.Status().st_dev == mail.Status().st_dev && backup.Status().st_ino == mail.Status().st_ino)
        return false;  // the same file: its bytes are already there
    MailReplacement replacement(mail);
    std::vector<char> block(static_cast<std::size_t>(std::clamp<std::uint64_t>(backup.Size(), 4096, kCopyBlock)));
    for (std::uint64_t at = 0;;) {
        const ssize_t n = ::pread(backup.Descriptor(), block.data(), block.size(), static_cast<off_t>(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ThrowCannotOpen(backup.ErrorName());
        if (n == 0)
            break;
        replacement.Write(std::string_view(block.data(), static_cast<std::size_t>(n)));
        at += static_cast<std::uint64_t>(n);
    }
    // A backup that changed while it was read is not what was chosen.
    backup.CheckUnchanged();
    const bool changed = replacement.Finish();
    replacement.Commit();
    return changed;
}

}  // namespace norvane
