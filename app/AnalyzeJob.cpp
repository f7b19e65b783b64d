#include "app/AnalyzeJob.h"

#include <algorithm>

namespace norvane {

namespace {

struct FileCounts {
    int lines = 0;
    std::vector<KeyCount> keys;
};

}  // namespace

AnalyzeJobResult RunAnalyzeJob(const std::vector<std::string>& files, const KeyList& keyList,
                               const AnalyzeOptions& options, JobObserver* observer, unsigned workers)
{
    AnalyzeJobResult result;
    result.files = FileResults(files);
    KeyCountTally tally;
    const std::function<FileCounts(const std::string&, const PassControl&)> count =
        [&](const std::string& path, const PassControl& control) {
            FileCounts counts;
            counts.lines = CountFileHeaderKeys(path, counts.keys, options, &control);
            return counts;
        };
    const std::function<void(FileResult&, FileCounts&)> merge = [&](FileResult& file, FileCounts& counts) {
        tally.Add(counts.keys);
        file.headerLines = counts.lines;
        file.outcome = FileOutcome::Processed;
    };
    // A file's count is quick: workers take files in groups, as large as
    // leaves each worker several, since every handing over may wake a thread.
    const std::size_t batch = std::clamp<std::size_t>(files.size() / (8 * std::max(workers, 1u)), 16, 256);
    if (RunFilesAhead(result, observer, workers, count, merge, batch))
        result.tally = AnalyzeResult(tally.Entries(), keyList);
    return result;
}

}  // namespace norvane
