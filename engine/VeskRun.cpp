#include "engine/VeskRun.h"

#include <filesystem>
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
        if (fileIds_.insert(FileIdentity(path)).second)
            files_.push_back(path);
}

bool VeskRun::Taken(const std::string& candidate, const std::string& mailId) const
{
    const std::string id = FileIdentity(candidate);
    if (id == mailId || fileIds_.count(id) != 0)
        return true;
    const auto backup = backups_.find(id);
    return backup != backups_.end() && backup->second != mailId;
}

std::string VeskRun::BackupName(const std::string& mailFile) const
{
    const std::string mailId = FileIdentity(mailFile);
    std::string name = ReplaceExtension(mailFile, ".bak", rules_);
    if (!Taken(name, mailId))
        return name;
    name = mailFile + ".bak";
    while (Taken(name, mailId))
        name += ".bak";
    return name;
}

void VeskRun::NoteBackup(const std::string& backupFile, const std::string& mailFile)
{
    backups_[FileIdentity(backupFile)] = FileIdentity(mailFile);
}

}  // namespace norvane
