// Header stripping over any mail text, with and without "all text" and
// auto-registration: the streaming stripper leaves the file the whole-file
// reference gives, with its count and the keys it registers; a second run
// with the same options changes nothing, unless a charset join can fire on
// its own result (see MayJoinAgain).
#include "bench/Reference.h"
#include "engine/StripHeaders.h"
#include "engine/HeaderKey.h"
#include "fuzz/FuzzSupport.h"

namespace {

// A line without a key of its own that begins "Content-Type" takes a folded
// charset parameter in one run; holding "charset=" it is then joined onto
// the Content-Type line above it in the next, so such a file may change
// again (each run joins one more level).
bool MayJoinAgain(const std::string& text, bool allText)
{
    for (const auto& line : norvane::fuzz::SplitMailLines(text))
        if (line.starts_with("Content-Type") && line.find("charset=") != std::string::npos &&
            norvane::ExtractHeaderKey(line, allText).key.empty())
            return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace norvane;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    static const std::string path = fuzz::ScratchPath("strip/mail.eml");
    const std::vector<std::string> inputLines = fuzz::SplitMailLines(input);

    for (const bool allText : {false, true}) {
        for (const bool autoRegister : {false, true}) {
            fuzz::WriteFileBytes(path, input);
            KeyList keys = fuzz::MailKeys();
            const StripResult result = StripHeaders(path, keys, allText, autoRegister);
            const std::string output = fuzz::ReadFileBytes(path);

            if (inputLines.size() < 2) {
                FUZZ_REQUIRE_EQ(input, output, "a file of fewer than 2 lines stays as it is");
                FUZZ_REQUIRE_EQ(0, result.removed, "a file of fewer than 2 lines loses no line");
                FUZZ_REQUIRE(result.registeredKeys.empty(), "a file of fewer than 2 lines registers nothing");
                continue;
            }
            bench::Lines reference(inputLines.begin(), inputLines.end());
            const int referenceRemoved = bench::ReferenceStripHeaders(reference, fuzz::MailKeys(), allText);
            FUZZ_REQUIRE_EQ(bench::JoinLines(reference), output, "stripping leaves what the reference leaves");
            FUZZ_REQUIRE_EQ(referenceRemoved, result.removed, "stripping counts the lines the reference removes");

            const std::vector<std::string> registered =
                autoRegister ? fuzz::ExpectedRegisteredKeys(inputLines, fuzz::MailKeys(), allText)
                             : std::vector<std::string>();
            FUZZ_REQUIRE_EQ(registered, result.registeredKeys, "stripping registers each new key once");
            KeyList expectedKeys = fuzz::MailKeys();
            for (const auto& key : registered)
                expectedKeys.RegisterUnticked(key);
            FUZZ_REQUIRE_EQ(expectedKeys.StoredEntries(), keys.StoredEntries(),
                            "the registered keys join the list unticked");

            // A stripped file holds no ticked header and nothing left to tidy
            // (checked once per setting of allText: registering changes no line).
            if (!autoRegister || MayJoinAgain(output, allText))
                continue;
            const StripResult again = StripHeaders(path, keys, allText, autoRegister);
            FUZZ_REQUIRE_EQ(output, fuzz::ReadFileBytes(path), "a second run changes nothing");
            FUZZ_REQUIRE_EQ(0, again.removed, "a second run removes nothing");
        }
    }
    return 0;
}
