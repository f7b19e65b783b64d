#include "cli/Records.h"

#include "cli/Cli.h"

namespace norvane::cli {

std::string SavedRecords(const std::vector<std::string>& saved, bool nullEnds)
{
    std::string records;
    for (const auto& path : saved) {
        records += "saved\t";
        records += nullEnds ? path : EscapeField(path);
        records += nullEnds ? '\0' : '\n';
    }
    return records;
}

}  // namespace norvane::cli
