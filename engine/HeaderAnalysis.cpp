#include "engine/HeaderAnalysis.h"

#include "engine/FileIo.h"
#include "engine/MimeStructure.h"
#include "engine/TextRules.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <utility>
#include <unordered_map>

namespace norvane {

namespace {

// The analysis reads only up to the end of the first header block as a rule:
// small blocks.
constexpr LineReaderOptions kHeaderReading{4096, true, ReadErrorText::Cause};

long long CountPart(std::string_view entry)
{
    const auto eq = entry.find('=');
    long long count = 0;
    if (eq != std::string_view::npos)
        std::from_chars(entry.data() + eq + 1, entry.data() + entry.size(), count);
    return count;
}

AnalyzeOptions OriginalRules(bool allText)
{
    AnalyzeOptions options;
    options.scope = allText ? HeaderScope::kAll : HeaderScope::kFirst;
    return options;
}

}  // namespace

int CountFileHeaderKeys(const std::string& fileName, std::vector<KeyCount>& fileCounts,
                        const AnalyzeOptions& options, const PassControl* control)
{
    std::vector<KeyCount> seen;
    seen.reserve(32);  // one allocation for a usual mail
    std::unordered_map<std::string, std::size_t, AsciiNoCaseHash, AsciiNoCaseEqual> index;
    // A mail holds a few dozen distinct keys as a rule: searching them in
    // order costs less than hashing each and allocating map nodes; the index
    // is built once a file holds many.
    constexpr std::size_t kIndexFrom = 48;
    const auto find = [&](std::string_view key) -> KeyCount* {
        if (!index.empty()) {
            const auto at = index.find(key);
            return at == index.end() ? nullptr : &seen[at->second];
        }
        for (auto& known : seen)
            if (EqualsAsciiNoCase(known.key, key))
                return &known;
        return nullptr;
    };
    int counted = 0;
    {
        LineReaderOptions reading = kHeaderReading;
        reading.control = control;
        LineReader reader(fileName, reading);
        const bool allText = options.scope == HeaderScope::kAll;
        const FirstLetter blockLetter = options.anyCase ? FirstLetter::kAnyCase : FirstLetter::kUpperCase;
        // Header blocks past the first are told by the MIME structure, as
        // header stripping tells them.
        std::optional<MimeTracker> tracker;
        if (options.scope == HeaderScope::kMessages || (allText && options.anyCase))
            tracker.emplace();
        std::string_view line;
        while (reader.Next(line)) {
            MimeLine mime;
            if (tracker)
                mime = tracker->Next(line);
            HeaderKeyResult found;
            if (allText) {
                found = ExtractHeaderKey(line, true,
                                         mime.block != HeaderBlock::kNone ? blockLetter : FirstLetter::kUpperCase);
            } else if (tracker && tracker->Mailbox()) {
                if (mime.block != HeaderBlock::kMessage)
                    continue;
                found = ExtractHeaderKey(line, false, blockLetter);
            } else {
                found = ExtractHeaderKey(line, false, blockLetter);
                if (!found.result)
                    break;
            }
            if (found.key.empty())
                continue;
            if (KeyCount* known = find(found.key)) {
                known->key.assign(found.key);
                ++known->count;
            } else {
                seen.push_back({std::string(found.key), 1});
                if (!index.empty())
                    index.emplace(found.key, seen.size() - 1);
                else if (seen.size() == kIndexFrom)
                    for (std::size_t i = 0; i < seen.size(); ++i)
                        index.emplace(seen[i].key, i);
            }
            ++counted;
        }
    }
    fileCounts = std::move(seen);
    return counted;
}

int CountHeaderKeys(const std::string& fileName, KeyCountList& keyCountList, const AnalyzeOptions& options,
                    const PassControl* control)
{
    // The file's keys are gathered first and join the tally only once the
    // file has been read, so a read error leaves the tally as it was.
    std::vector<KeyCount> seen;
    const int counted = CountFileHeaderKeys(fileName, seen, options, control);
    for (const auto& key : seen) {
        // A key holds no '=', so an entry names it exactly when the key's
        // length ends the entry or meets its first '='.
        const std::size_t length = key.key.size();
        auto entry = std::find_if(keyCountList.begin(), keyCountList.end(), [&](const std::string& e) {
            return (e.size() == length || (e.size() > length && e[length] == '=')) &&
                   EqualsAsciiNoCase(std::string_view(e).substr(0, length), key.key);
        });
        const long long before = entry == keyCountList.end() ? 0 : CountPart(*entry);
        std::string text = key.key + "=" + std::to_string(before + key.count);
        if (entry == keyCountList.end())
            keyCountList.push_back(std::move(text));
        else
            *entry = std::move(text);
    }
    return counted;
}

void KeyCountTally::Add(const std::vector<KeyCount>& file, std::size_t fileIndex)
{
    for (std::size_t place = 0; place < file.size(); ++place) {
        const auto& [key, count] = file[place];
        // Files of one archive list their keys in much the same order: the
        // entry after the last one met is tried before the index.
        std::size_t at = next_;
        if (at >= entries_.size() || (entries_[at].key != key && !EqualsAsciiNoCase(entries_[at].key, key))) {
            const auto found = index_.find(key);
            at = found != index_.end() ? found->second : entries_.size();
        }
        if (at < entries_.size()) {
            // The letter case of the key's last occurrence.
            entries_[at].key.assign(key);
            entries_[at].count += count;
            entries_[at].lastFile = fileIndex;
        } else {
            index_.emplace(key, at);
            entries_.push_back({key, count, fileIndex, place, fileIndex});
        }
        next_ = at + 1;
    }
}

void KeyCountTally::Merge(const KeyCountTally& other)
{
    for (const Entry& theirs : other.entries_) {
        const auto found = index_.find(theirs.key);
        if (found == index_.end()) {
            entries_.push_back(theirs);
            continue;
        }
        Entry& mine = entries_[found->second];
        mine.count += theirs.count;
        if (theirs.lastFile > mine.lastFile) {
            mine.key = theirs.key;
            mine.lastFile = theirs.lastFile;
        }
        if (std::pair(theirs.firstFile, theirs.firstPlace) < std::pair(mine.firstFile, mine.firstPlace)) {
            mine.firstFile = theirs.firstFile;
            mine.firstPlace = theirs.firstPlace;
        }
    }
    // Back into the order first met; each file was counted by one tally, so
    // no two keys share a first place.
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        return std::pair(a.firstFile, a.firstPlace) < std::pair(b.firstFile, b.firstPlace);
    });
    index_.clear();
    for (std::size_t i = 0; i < entries_.size(); ++i)
        index_.emplace(entries_[i].key, i);
    next_ = 0;
}

KeyCountList KeyCountTally::Entries() const
{
    KeyCountList list;
    list.reserve(entries_.size());
    for (const auto& entry : entries_)
        list.push_back(entry.key + "=" + std::to_string(entry.count));
    return list;
}

std::vector<KeyTally> AnalyzeResult(const KeyCountList& keyCountList, const KeyList& keyList)
{
    KeyCountList sorted = keyCountList;
    std::sort(sorted.begin(), sorted.end(),
              [](const std::string& a, const std::string& b) { return LessAsciiNoCase(a, b); });
    std::vector<KeyTally> result;
    result.reserve(sorted.size());
    for (const auto& entry : sorted) {
        const auto eq = entry.find('=');
        KeyTally tally;
        tally.key = entry.substr(0, eq);
        tally.count = eq == std::string::npos ? std::string() : entry.substr(eq + 1);
        if (keyList.IsTicked(tally.key))
            tally.mark = kMarkDel;
        else if (keyList.Contains(tally.key))
            tally.mark = kMarkKept;
        else
            tally.mark = kMarkNew;
        result.push_back(std::move(tally));
    }
    return result;
}

std::vector<KeyTally> AnalyzeFiles(const std::vector<std::string>& files, const KeyList& keyList,
                                   const AnalyzeOptions& options)
{
    KeyCountTally tally;
    std::vector<KeyCount> counts;
    for (std::size_t i = 0; i < files.size(); ++i) {
        CountFileHeaderKeys(files[i], counts, options);
        tally.Add(counts, i);
    }
    return AnalyzeResult(tally.Entries(), keyList);
}

int CountHeaderKeys(const std::string& fileName, KeyCountList& keyCountList, bool allText)
{
    return CountHeaderKeys(fileName, keyCountList, OriginalRules(allText));
}

std::vector<KeyTally> AnalyzeFiles(const std::vector<std::string>& files, const KeyList& keyList, bool allText)
{
    return AnalyzeFiles(files, keyList, OriginalRules(allText));
}

}  // namespace norvane
