#include "cli/Output.h"

#include "cli/Arguments.h"
#include "cli/Cli.h"

namespace norvane::cli {

void Print(std::FILE* stream, std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
}

void Warn(std::FILE* err, std::string_view text)
{
    std::string line(kProgram);
    line += ": ";
    line += EscapeField(text);
    line += '\n';
    Print(err, line);
}

std::string RecordStyle::Field(std::string_view text) const
{
    return nullEnds ? std::string(text) : EscapeField(text);
}

std::string_view OutcomeWord(const FileResult& file)
{
    switch (file.outcome) {
    case FileOutcome::Processed:
    case FileOutcome::Unchanged:
        if (file.protectedEntity)
            return "protected";
        return file.outcome == FileOutcome::Processed ? "processed" : "unchanged";
    case FileOutcome::Refused:
        return "refused";
    case FileOutcome::Error:
        return "error";
    case FileOutcome::Skipped:
        break;
    }
    return "skipped";
}

std::string SavedRecords(const std::vector<std::string>& saved, const RecordStyle& style)
{
    std::string records;
    for (const auto& path : saved) {
        records += "saved\t";
        records += style.Field(path);
        records += style.End();
    }
    return records;
}

}  // namespace norvane::cli
