#include "app/FileArguments.h"

#include "engine/FileIo.h"
#include "engine/TextRules.h"
#include "engine/VeskRun.h"
#include "settings/FolderScan.h"

#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <unordered_set>

namespace norvane {

namespace {

namespace fs = std::filesystem;

struct FileStat {
    bool exists = false;
    bool regular = false;
    bool folder = false;
    dev_t device = 0;
    ino_t inode = 0;
};

FileStat StatPath(const std::string& path)
{
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return {};
    return {true, S_ISREG(st.st_mode) != 0, S_ISDIR(st.st_mode) != 0, st.st_dev, st.st_ino};
}

std::string InFolder(const std::string& folder, const std::string& name)
{
    if (name.empty() || folder.empty() || fs::path(name).is_absolute())
        return name;
    return (fs::path(folder) / name).string();
}

// The path with "." and ".." taken out, as long as that still names the
// same file (a ".." after a symbolic link would not).
std::string NormalPath(const std::string& path)
{
    const auto normal = fs::path(path).lexically_normal().string();
    if (normal == path)
        return path;
    const auto a = StatPath(path);
    const auto b = StatPath(normal);
    return (a.exists && b.exists && a.device == b.device && a.inode == b.inode) ? normal : path;
}

bool IsPattern(const std::string& name, const std::string& full, Wildcards wildcards)
{
    constexpr std::string_view kWildcards = "*?";
    switch (wildcards) {
    case Wildcards::Anywhere:
        return name.find_first_of(kWildcards) != std::string::npos;
    case Wildcards::FromFourthByte:
        return fs::path(full).lexically_normal().string().find_first_of(kWildcards, 3) != std::string::npos;
    case Wildcards::Never:
        break;
    }
    return false;
}

class Expansion {
public:
    Expansion(const std::string& currentFolder, const ExpandRules& rules, const ExpandWarnings& warn)
        : folder_(currentFolder), rules_(rules), warn_(warn)
    {
    }

    void Name(const std::string& name)
    {
        const auto full = InFolder(folder_, name);
        const auto found = StatPath(full);
        if (found.regular)
            Add(full);
        else if (found.folder)
            Warn(ExpandWarning::Kind::Folder, NormalPath(full));
        else if (found.exists)
            Warn(ExpandWarning::Kind::NotRegular, NormalPath(full));
        else if (!name.empty() && IsPattern(name, full, rules_.wildcards))
            Pattern(name);
        else if (!name.empty() && rules_.keepMissing)
            Add(full);
        else
            Warn(ExpandWarning::Kind::Missing, full);
    }

    std::vector<std::string> Files() && { return std::move(files_); }

private:
    // Each pattern of the list is scanned on its own, so that one matching
    // nothing can be named.
    void Pattern(const std::string& list)
    {
        std::vector<std::string> matches;
        for (int k = 1;; ++k) {
            const auto pattern = GetField(list, ";", k);
            if (pattern.empty())
                break;
            const auto full = InFolder(folder_, pattern);
            const auto before = matches.size();
            ScanFolder(full, kEntryAny, matches);
            if (matches.size() == before)
                Warn(ExpandWarning::Kind::NoMatch, full);
        }
        for (const auto& match : matches) {
            const auto found = StatPath(match);
            if (found.regular)
                Add(match);
            else if (found.folder)
                Warn(ExpandWarning::Kind::Folder, NormalPath(match));
        }
    }

    void Add(const std::string& path)
    {
        const auto normal = NormalPath(path);
        if (IsTemporaryName(SplitPath(normal).second))
            Warn(ExpandWarning::Kind::Temporary, normal);
        else if (seen_.insert(FileIdentity(normal)).second)
            files_.push_back(normal);
    }

    void Warn(ExpandWarning::Kind kind, std::string path) const
    {
        if (warn_)
            warn_(ExpandWarning{kind, std::move(path)});
    }

    const std::string& folder_;
    const ExpandRules& rules_;
    const ExpandWarnings& warn_;
    std::vector<std::string> files_;
    std::unordered_set<std::string> seen_;
};

}  // namespace

std::vector<std::string> ExpandFiles(const std::vector<std::string>& names, const std::string& currentFolder,
                                     const ExpandRules& rules, const ExpandWarnings& warn)
{
    Expansion expansion(currentFolder, rules, warn);
    for (const auto& name : names)
        expansion.Name(name);
    return std::move(expansion).Files();
}

}  // namespace norvane
