#include "app/AnalyzeJob.h"

#include "engine/TextRules.h"

#include <algorithm>
#include <unordered_map>

namespace norvane {

namespace {

struct FileCounts {
    int lines = 0;
    std::vector<KeyCount> keys;
};

// The tally CountHeaderKeys builds file after file, merged from each file's
// own key and count pairs with an index, so a large tally is not searched
// per key.
class Tally {
public:
    void Add(const std::vector<KeyCount>& file)
    {
        for (const auto& [key, count] : file) {
            // Files of one archive list their keys in much the same order:
            // the entry after the last one met is tried before the index.
            std::size_t at = next_;
            if (at >= entries_.size() || (entries_[at].key != key && !EqualsAsciiNoCase(entries_[at].key, key))) {
                const auto found = index_.find(key);
                at = found != index_.end() ? found->second : entries_.size();
            }
            if (at < entries_.size()) {
                // The letter case of the key's last occurrence.
                entries_[at].key.assign(key);
                entries_[at].count += count;
            } else {
                index_.emplace(key, at);
                entries_.push_back({key, count});
            }
            next_ = at + 1;
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
    std::vector<KeyCount> entries_;
    std::size_t next_ = 0;
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
