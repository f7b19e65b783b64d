#pragma once

#include "cli/Output.h"
#include "engine/Restore.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace norvane::cli {

struct RestoreRequest {
    BackupChoice choice = BackupChoice::kNewest;
    std::optional<std::string> from;  // the backup to take, for one file
    bool list = false;                // list the backups instead
};

// Restores each file in order from its backup and prints <path> TAB
// <backup> per file (or a JSON record); the first file that cannot be
// restored ends the run. With list, prints <size> TAB <time> TAB <backup>
// per backup, oldest first. Returns the exit status.
int RunRestore(const std::vector<std::string>& files, const RestoreRequest& request, RecordStyle style,
               std::FILE* out, std::FILE* err);

}  // namespace norvane::cli
