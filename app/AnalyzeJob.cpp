#include "app/AnalyzeJob.h"

#include "engine/TextRules.h"

#include <charconv>
#include <unordered_map>

namespace norvane {

namespace {

struct FileCounts {
    int lines = 0;
    KeyCountList keys;
};

// The tally CountHeaderKeys builds file after file, merged from each file's
// own counts with an index, so a large tally is not searched per key.
class Tally {
public:
    void Add(const KeyCountList& file)
    {
        for (const auto& entry : file) {
            const auto eq = entry.find('=');
            const std::string_view key = std::string_view(entry).substr(0, eq);
            long long count = 0;
            if (eq != std::string::npos)
                std::from_chars(entry.data() + eq + 1, entry.data() + entry.size(), count);
            if (const auto at = index_.find(key); at != index_.end()) {
                // The letter case of the key's last occurrence.
                entries_[at->second].key.assign(key);
                entries_[at->second].count += count;
            } else {
                index_.emplace(std::string(key), entries_.size());
                entries_.push_back({std::string(key), count});
            }
        }
    }

    KeyCountList Entries() const
    {
        KeyCountList list;
        list.reserve(entries_.size());
        for (const auto& entry : entries_)
            list.push_back(entry.key + "=" + std::to_string(entry.count));
        return list;
    }

private:
    struct Entry {
        std::string key;
        long long count = 0;
    };
    std::vector<Entry> entries_;
    std::unordered_map<std::string, std::size_t, AsciiNoCaseHash, AsciiNoCaseEqual> index_;
};

}  // namespace

AnalyzeJobResult RunAnalyzeJob(const std::vector<std::string>& files, const KeyList& keyList,
                               const AnalyzeOptions& options, JobObserver* observer, unsigned workers)
{
    AnalyzeJobResult result;
    result.files = FileResults(files);
    Tally tally;
    const std::function<FileCounts(const std::string&, const PassControl&)> count =
        [&](const std::string& path, const PassControl& control) {
            FileCounts counts;
            counts.lines = CountHeaderKeys(path, counts.keys, options, &control);
            return counts;
        };
    const std::function<void(FileResult&, FileCounts&)> merge = [&](FileResult& file, FileCounts& counts) {
        tally.Add(counts.keys);
        file.headerLines = counts.lines;
        file.outcome = FileOutcome::Processed;
    };
    // A file's count is quick: workers take files in groups.
    constexpr std::size_t kBatch = 64;
    if (RunFilesAhead(result, observer, workers, count, merge, kBatch))
        result.tally = AnalyzeResult(tally.Entries(), keyList);
    return result;
}

}  // namespace norvane
