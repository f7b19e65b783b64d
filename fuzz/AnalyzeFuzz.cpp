// Analyze over any mail text, alone and behind a long header line that puts
// the text across a block end of the reader: the tally is the whole-file
// reference's, its counts add up to the lines counted, every key is listed
// once with its mark from the key list, and a second file adds its counts.
// Tallies of files counted apart and merged equal the tally of all of them.
#include "bench/Reference.h"
#include "engine/HeaderAnalysis.h"
#include "fuzz/FuzzSupport.h"

#include <numeric>

namespace {

std::vector<std::string> Entries(const std::vector<norvane::KeyTally>& result)
{
    std::vector<std::string> entries;
    for (const auto& tally : result)
        entries.push_back(tally.key + "=" + tally.count);
    return entries;
}

void CheckAnalysis(std::string_view text, bool allText)
{
    using namespace norvane;
    static const std::string path = fuzz::ScratchPath("analyze/mail.eml");
    fuzz::WriteFileBytes(path, text);
    const KeyList& keys = fuzz::MailKeys();

    KeyCountList tally;
    const int counted = CountHeaderKeys(path, tally, allText);
    const std::vector<KeyTally> result = AnalyzeResult(tally, keys);
    FUZZ_REQUIRE_EQ(bench::ReferenceKeyTally({std::string(text)}, allText), Entries(result),
                    "the tally is the reference's");

    long long total = 0;
    for (std::size_t i = 0; i < result.size(); ++i) {
        const KeyTally& entry = result[i];
        FUZZ_REQUIRE(IsHeaderKeyText(entry.key), "every tallied key is a header key");
        FUZZ_REQUIRE(i == 0 || !EqualsAsciiNoCase(result[i - 1].key, entry.key), "every key is tallied once");
        const std::string_view mark = keys.IsTicked(entry.key) ? kMarkDel
                                      : keys.Contains(entry.key) ? kMarkKept
                                                                 : kMarkNew;
        FUZZ_REQUIRE_EQ(mark, entry.mark, "the mark follows the key list");
        total += std::stoll(entry.count);
    }
    FUZZ_REQUIRE_EQ(static_cast<long long>(counted), total, "the counts add up to the lines counted");

    // The same file once more adds the same counts.
    FUZZ_REQUIRE_EQ(counted, CountHeaderKeys(path, tally, allText), "a second read counts as many lines");
    const std::vector<KeyTally> twice = AnalyzeFiles({path, path}, keys, allText);
    FUZZ_REQUIRE_EQ(Entries(AnalyzeResult(tally, keys)), Entries(twice), "two files add up in one tally");
    FUZZ_REQUIRE_EQ(result.size(), twice.size(), "a second file adds no key of its own");
    for (std::size_t i = 0; i < twice.size(); ++i)
        FUZZ_REQUIRE_EQ(2 * std::stoll(result[i].count), std::stoll(twice[i].count),
                        "a second file adds its counts");
}

// The text's halves and the text, as three files of a list: counted in one
// tally, and with the middle file counted apart and merged.
void CheckMerge(std::string_view text)
{
    using namespace norvane;
    static const std::vector<std::string> paths = {fuzz::ScratchPath("analyze/1.eml"),
                                                   fuzz::ScratchPath("analyze/2.eml"),
                                                   fuzz::ScratchPath("analyze/3.eml")};
    fuzz::WriteFileBytes(paths[0], text.substr(0, text.size() / 2));
    fuzz::WriteFileBytes(paths[1], text.substr(text.size() / 2));
    fuzz::WriteFileBytes(paths[2], text);
    KeyCountTally whole;
    KeyCountTally outer;
    KeyCountTally middle;
    std::vector<KeyCount> counts;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        CountFileHeaderKeys(paths[i], counts, {});
        whole.Add(counts, i);
        (i == 1 ? middle : outer).Add(counts, i);
    }
    outer.Merge(middle);
    FUZZ_REQUIRE_EQ(whole.Entries(), outer.Entries(), "merged tallies equal one tally");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    for (const bool allText : {false, true})
        CheckAnalysis(input, allText);
    CheckMerge(input);
    for (const std::size_t blockEnd : norvane::fuzz::kBlockEnds) {
        const std::string text = norvane::fuzz::BehindFiller(input, blockEnd);
        if (text.empty())
            continue;
        for (const bool allText : {false, true})
            CheckAnalysis(text, allText);
    }
    return 0;
}
