// Analyze over any mail text, alone and behind a long header line that puts
// the text across a block end of the reader: the tally is the whole-file
// reference's, its counts add up to the lines counted, every key is listed
// once with its mark from the key list, and a second file adds its counts.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    for (const bool allText : {false, true})
        CheckAnalysis(input, allText);
    for (const std::size_t blockEnd : norvane::fuzz::kBlockEnds) {
        const std::string text = norvane::fuzz::BehindFiller(input, blockEnd);
        if (text.empty())
            continue;
        for (const bool allText : {false, true})
            CheckAnalysis(text, allText);
    }
    return 0;
}
