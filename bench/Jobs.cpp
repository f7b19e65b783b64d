#include "bench/Jobs.h"

#include "app/AnalyzeJob.h"
#include "app/VeskJob.h"
#include "engine/HeaderAnalysis.h"
#include "engine/VeskFile.h"
#include "engine/VeskRun.h"
#include "settings/Settings.h"

#include <stdexcept>

namespace norvane::bench {

KeyList BenchKeyList()
{
    return {"Received", "DKIM-Signature", "X-Mailer", ";Subject", ";Date"};
}

Counts RunVesk(const std::string& path, bool backup, bool removeAttachments)
{
    KeyList keys = BenchKeyList();
    unsigned flags = OptionBit(Option::AllText);
    if (backup)
        flags |= OptionBit(Option::BackUp);
    if (removeAttachments)
        flags |= OptionBit(Option::RemoveAttachments) | OptionBit(Option::RemoveTraces);
    const VeskOptions options = VeskOptionsFrom(static_cast<std::uint8_t>(flags));
    VeskRun run({path});
    const VeskCounts counts = VeskFile(path, keys, options, run);
    return Counts{counts.attachmentLines, counts.headerLines, static_cast<long long>(FileSize(path))};
}

Counts RunAnalyze(const std::vector<std::string>& paths)
{
    const KeyList keys = BenchKeyList();
    KeyCountTally tally;
    std::vector<KeyCount> counts;
    long long lines = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        lines += CountFileHeaderKeys(paths[i], counts, AnalyzeOptions{});
        tally.Add(counts, i);
    }
    const auto result = AnalyzeResult(tally.Entries(), keys);
    return Counts{lines, static_cast<long long>(result.size())};
}

Counts RunAnalyzeJobOn(const std::vector<std::string>& paths, unsigned workers)
{
    const KeyList keys = BenchKeyList();
    const auto result = RunAnalyzeJob(paths, keys, {}, nullptr, workers);
    if (result.Failure())
        throw std::runtime_error(result.Failure()->message);
    long long lines = 0;
    for (const auto& file : result.files)
        lines += file.headerLines;
    return Counts{lines, static_cast<long long>(result.tally.size())};
}

Counts RunVeskJobOn(const std::vector<std::string>& paths, unsigned workers)
{
    KeyList keys = BenchKeyList();
    const unsigned flags = OptionBit(Option::AllText) | OptionBit(Option::RemoveAttachments) |
                           OptionBit(Option::RemoveTraces);
    const auto result = RunVeskJob({paths, VeskOptionsFrom(static_cast<std::uint8_t>(flags)), nullptr, workers}, keys);
    if (result.Failure())
        throw std::runtime_error(result.Failure()->message);
    long long attachments = 0;
    long long headers = 0;
    for (const auto& file : result.files) {
        attachments += file.attachmentLines;
        headers += file.headerLines;
    }
    return Counts{attachments, headers};
}

}  // namespace norvane::bench
