#pragma once

#include "app/Job.h"

#include <cstdio>
#include <string>
#include <vector>
#include <string_view>

namespace norvane::cli {

void Print(std::FILE* stream, std::string_view text);

// One line on stderr after the tool's name; control bytes in it (a path's
// line feed) are escaped so that every message stays one line.
void Warn(std::FILE* err, std::string_view text);

// How records are written on stdout.
struct RecordStyle {
    bool nullEnds = false;
    bool json = false;  // one JSON object per line instead of fields
    bool sizes = false;  // a dry run's records end with the bytes before and after
    bool diffs = false;  // diffs take the place of records

    std::string Field(std::string_view text) const;
    char End() const { return nullEnds ? '\0' : '\n'; }
};

// The records that follow a Vesk file's line: "saved" TAB path for each file
// its attachments were saved to, in order, each ended and its path written
// as style writes fields.
std::string SavedRecords(const std::vector<std::string>& saved, const RecordStyle& style);

// The word a JSON record gives a file's outcome: processed, unchanged,
// protected (a signed or encrypted entity was kept whole), skipped, refused
// or error.
std::string_view OutcomeWord(const FileResult& file);

}  // namespace norvane::cli
