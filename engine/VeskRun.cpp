#include "engine/VeskRun.h"

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>

namespace norvane {

namespace {

std::string Resolve(const std::string& path)
{
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        std::string resolved(real);
        std::free(real);
        return resolved;
    }
    return path;
}

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

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
            targets_.emplace(path, Resolve(path));
        }
}

std::string VeskRun::Target(const std::string& file) const
{
    const auto found = targets_.find(file);
    return found != targets_.end() ? found->second : Resolve(file);
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

std::string BackupCandidate(const std::string& mailFile, int place, const TextRules& rules)
{
    const std::string base = BackupFolder(mailFile, rules) + SplitPath(mailFile, rules).second;
    if (place == 0)
        return ReplaceExtension(base, ".bak", rules);
    return place == 1 ? base + ".bak" : base + ".bak." + std::to_string(place);
}

std::string VeskRun::BackupName(const std::string& mailFile) const
{
    const std::string mail = Target(mailFile);
    const std::string mailId = FileIdentity(mail);
    for (int place = 0;; ++place) {
        std::string candidate = BackupCandidate(mail, place, rules_);
        if (!Taken(candidate, mailId))
            return candidate;
    }
}

void VeskRun::NoteBackup(const std::string& backupFile)
{
    backups_.insert(FileIdentity(backupFile));
}

}  // namespace norvane
