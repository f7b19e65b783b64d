#pragma once

#include "engine/Error.h"
#include "engine/HeaderKey.h"
#include "engine/KeyList.h"
#include "engine/TextRules.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace norvane {

struct PassControl;

// 'key=count' entries, one per key (keys compared without regard to ASCII
// case), in the order the keys were first met.
using KeyCountList = std::vector<std::string>;

// Which lines Analyze counts; the same lines header stripping looks at with
// the same scope and anyCase (see StripOptions).
struct AnalyzeOptions {
    HeaderScope scope = HeaderScope::kFirst;
    // Inside a header block a line whose first byte is a lower-case letter
    // can be a header line too.
    bool anyCase = false;
};

// Adds the header keys of one mail file to keyCountList and returns how many
// header lines it counted. Reads line by line (a line ends at CR, CR LF or
// LF; byte 26 ends the data). The scope kFirst stops at the first empty
// line; kMessages reads the header block of every message of an mbox file
// (a file whose first line does not begin with "From " is one message);
// kAll reads the whole file with the strict ": " separator. Each counted
// entry takes the letter case of the key's last occurrence. A read error
// raises its cause (ReadErrorMessage) and leaves keyCountList as it was;
// so does a stop asked for through control (the cancelled error).
int CountHeaderKeys(const std::string& fileName, KeyCountList& keyCountList, const AnalyzeOptions& options,
                    const PassControl* control = nullptr);

// One file's header keys with their counts, in the order first met, each in
// the letter case of its last occurrence.
struct KeyCount {
    std::string key;
    long long count = 0;
};

// Counts the header keys of one mail file as CountHeaderKeys does, into
// fileCounts (replacing what it held), and returns how many header lines it
// counted; fileCounts is left as it was on a read error or a stop.
int CountFileHeaderKeys(const std::string& fileName, std::vector<KeyCount>& fileCounts,
                        const AnalyzeOptions& options, const PassControl* control = nullptr);
// allText is the scope kAll, else kFirst.
int CountHeaderKeys(const std::string& fileName, KeyCountList& keyCountList, bool allText);

// The tally CountHeaderKeys builds file after file, merged from each file's
// own key and count pairs with an index, so a large tally is not searched
// per key. Files of one list may also be counted into several tallies apart
// (each taking its files in rising order) and the tallies merged: the result
// is that of one tally over the whole list.
class KeyCountTally {
public:
    // Adds the pairs of file `fileIndex` of the list; a tally takes its
    // files in rising order.
    void Add(const std::vector<KeyCount>& file, std::size_t fileIndex);
    // Adds the counts of another tally of files of the same list that this
    // one has not counted.
    void Merge(const KeyCountTally& other);
    // 'key=count' entries in the order the keys were first met over the
    // list, each key in the letter case of its last occurrence.
    KeyCountList Entries() const;

private:
    struct Entry {
        std::string key;
        long long count = 0;
        // Where the key was first met (file, place among the file's pairs)
        // and the file of its last occurrence.
        std::size_t firstFile = 0;
        std::size_t firstPlace = 0;
        std::size_t lastFile = 0;
    };

    std::vector<Entry> entries_;
    std::size_t next_ = 0;
    std::unordered_map<std::string, std::size_t, AsciiNoCaseHash, AsciiNoCaseEqual> index_;
};

// The marks of the Analyze result: ticked key, registered but kept, not
// registered.
inline constexpr std::string_view kMarkDel = "Del";
inline constexpr std::string_view kMarkKept = "";
inline constexpr std::string_view kMarkNew = "New";

struct KeyTally {
    std::string key;        // the text before the entry's first '='
    std::string count;      // the text after it
    std::string_view mark;  // kMarkDel, kMarkKept or kMarkNew
};

// The tally as the Analyze command shows it: sorted by whole 'key=count'
// entries (bytes compared after folding ASCII letters to lower case), each
// with its mark from keyList.
std::vector<KeyTally> AnalyzeResult(const KeyCountList& keyCountList, const KeyList& keyList);

// CountHeaderKeys over the files in order into a fresh tally, then
// AnalyzeResult. A read error ends the run (raised).
std::vector<KeyTally> AnalyzeFiles(const std::vector<std::string>& files, const KeyList& keyList,
                                   const AnalyzeOptions& options);
std::vector<KeyTally> AnalyzeFiles(const std::vector<std::string>& files, const KeyList& keyList, bool allText);

}  // namespace norvane
