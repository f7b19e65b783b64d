#include "app/AnalyzeJob.h"

#include <algorithm>

namespace norvane {

namespace {

// What each thread counts into: its files' tally and one file's pairs, on
// cache lines of its own, since both change with every file.
struct alignas(64) Counter {
    KeyCountTally tally;
    std::vector<KeyCount> counts;
};

}  // namespace

AnalyzeJobResult RunAnalyzeJob(const std::vector<std::string>& files, const KeyList& keyList,
                               const AnalyzeOptions& options, JobObserver* observer, unsigned workers)
{
    AnalyzeJobResult result;
    result.files = FileResults(files);
    // A file's keys join its thread's tally at once, so that nothing made on
    // one thread is freed on another (which costs the allocator a lock
    // between the threads for every file). The tallies are merged only when
    // every file was counted: each file has been counted exactly once then.
    std::vector<Counter> counters(std::max(workers, 1u));
    const std::function<int(const FileToPrepare&)> count = [&](const FileToPrepare& file) {
        Counter& counter = counters[file.thread];
        const int lines = CountFileHeaderKeys(file.path, counter.counts, options, &file.control);
        counter.tally.Add(counter.counts, file.index);
        return lines;
    };
    const std::function<void(FileResult&, int&)> finish = [&](FileResult& file, int& lines) {
        file.headerLines = lines;
        file.outcome = FileOutcome::Processed;
    };
    // A file's count is quick: workers take files in groups, as large as
    // leaves each worker several, since every handing over may wake a thread.
    const std::size_t batch = std::clamp<std::size_t>(files.size() / (8 * std::max(workers, 1u)), 16, 256);
    if (RunFilesAhead(result, observer, workers, count, finish, batch)) {
        for (std::size_t i = 1; i < counters.size(); ++i)
            counters[0].tally.Merge(counters[i].tally);
        result.tally = AnalyzeResult(counters[0].tally.Entries(), keyList);
    }
    return result;
}

}  // namespace norvane
