#include "engine/VeskRun.h"

#include "engine/FileIo.h"

#include <filesystem>
#include <sys/stat.h>
#include <system_error>

namespace norvane {

std::string FileIdentity(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path absolute = fs::absolute(fs::path(path), error);
    if (error)
        return path;
    fs::path resolved = fs::weakly_canonical(absolute, error);
    if (error)
        return absolute.lexically_normal().string();
    return resolved.string();
}

VeskRun::VeskRun(const std::vector<std::string>& selection, const TextRules& rules) : rules_(rules)
{
    files_.reserve(selection.size());
    for (const auto& path : selection)
        if (fileIds_.insert(FileIdentity(path)).second) {
            files_.push_back(path);
            targets_.emplace(path, ResolveTarget(path));
        }
}

std::string VeskRun::Target(const std::string& file) const
{
    const auto found = targets_.find(file);
    return found != targets_.end() ? found->second : ResolveTarget(file);
}

bool VeskRun::Taken(const std::string& candidate, const std::string& mailId) const
{
    struct stat st {};
    if (::lstat(candidate.c_str(), &st) == 0)
        return true;
    const std::string id = FileIdentity(candidate);
    return id == mailId || fileIds_.count(id) != 0 || backups_.count(id) != 0;
}

std::optional<std::string> MaildirTop(const std::string& folder, const TextRules& rules)
{
    if (folder.size() < 2)
        return std::nullopt;
    const std::string_view inner(folder.data(), folder.size() - 1);
    const std::size_t nameStart = NameStart(inner, rules);
    const std::string_view name = inner.substr(nameStart);
    if (name != "cur" && name != "new")
        return std::nullopt;
    std::string top(inner.substr(0, nameStart));
    for (const char* part : {"cur", "new", "tmp"})
        if (!IsFolder(top + part))
            return std::nullopt;
    return top;
}

std::string BackupFolder(const std::string& mailFile, const TextRules& rules)
{
    const std::string folder = SplitPath(mailFile, rules).first;
    const auto top = MaildirTop(folder, rules);
    return top ? *top + "norvane-backup" + folder.back() : folder;
}

namespace {

// The mail file's name in its backup folder.
std::string BackupBase(const std::string& mailFile, const TextRules& rules)
{
    return BackupFolder(mailFile, rules) + SplitPath(mailFile, rules).second;
}

std::string CandidateOf(const std::string& base, int place, const TextRules& rules)
{
    if (place == 0)
        return ReplaceExtension(base, ".bak", rules);
    return place == 1 ? base + ".bak" : base + ".bak." + std::to_string(place);
}

}  // namespace

std::string BackupCandidate(const std::string& mailFile, int place, const TextRules& rules)
{
    return CandidateOf(BackupBase(mailFile, rules), place, rules);
}

std::string VeskRun::BackupName(const std::string& mailFile) const
{
    const std::string mail = Target(mailFile);
    const std::string mailId = FileIdentity(mail);
    const std::string base = BackupBase(mail, rules_);
    for (int place = 0;; ++place) {
        std::string candidate = CandidateOf(base, place, rules_);
        if (!Taken(candidate, mailId))
            return candidate;
    }
}

void VeskRun::NoteBackup(const std::string& backupFile)
{
    backups_.insert(FileIdentity(backupFile));
}

}  // namespace norvane
