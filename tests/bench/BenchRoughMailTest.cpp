#include "bench/Corpus.h"
#include "bench/Reference.h"
#include "bench/Verify.h"
#include "engine/HeaderAnalysis.h"
#include "TestFiles.h"

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace norvane::test {

namespace {

std::vector<std::string> Shown(const KeyCountList& tally)
{
    std::vector<std::string> entries;
    for (const auto& entry : AnalyzeResult(tally, {}))
        entries.push_back(entry.key + "=" + entry.count);
    return entries;
}

}  // namespace

// The single-pass Vesk job against the plain reference on many roughened
// mail files: every option set must give the same file, backup and counts.
TEST(BenchRoughMail, VeskAgreesWithTheReference)
{
    // In memory where the machine has it: each run flushes its files to disk.
    std::filesystem::path folder = std::filesystem::is_directory("/dev/shm")
                                       ? std::filesystem::path("/dev/shm")
                                       : std::filesystem::temp_directory_path();
    folder /= "norvane-rough-mail-" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    const std::string file = (folder / "m.eml").string();
    bench::Rng rng(7);
    for (int i = 0; i < 400; ++i) {
        const std::string text = bench::RoughMail(rng);
        for (const auto& config : bench::kVerifyConfigs) {
            SCOPED_TRACE(std::to_string(i) + ": " + config.name);
            EXPECT_EQ(bench::CompareWithReference(text, file, config), "");
        }
    }
    std::filesystem::remove_all(folder);
}

// Analyze against the reference tally, file by file and over a run of files
// (a key's letter case is that of its last occurrence in the run).
TEST(BenchRoughMail, AnalyzeAgreesWithTheReference)
{
    TempDir dir;
    bench::Rng rng(19);
    for (const bool allText : {false, true}) {
        KeyCountList runTally;
        std::vector<std::string> runTexts;
        for (int i = 0; i < 60; ++i) {
            SCOPED_TRACE(std::to_string(i) + (allText ? " all text" : " first block"));
            const std::string text = bench::RoughMail(rng);
            const std::string file = dir.File("m" + std::to_string(i) + ".eml");
            WriteFile(file, text);
            KeyCountList tally;
            CountHeaderKeys(file, tally, allText);
            CountHeaderKeys(file, runTally, allText);
            runTexts.push_back(text);
            EXPECT_EQ(Shown(tally), bench::ReferenceKeyTally({text}, allText));
        }
        EXPECT_EQ(Shown(runTally), bench::ReferenceKeyTally(runTexts, allText));
    }
}

TEST(BenchRoughMail, AnalyzeReadsLinesLongerThanItsBlock)
{
    TempDir dir;
    const std::string text = "X-Long: " + std::string(100000, 'a') + "\r\nReceived: x\n\tmore\rSubject: " +
                             std::string(40000, 'b') + "\n\nNote: body\n";
    WriteFile(dir.File("long.eml"), text);
    for (const bool allText : {false, true}) {
        SCOPED_TRACE(allText);
        KeyCountList tally;
        EXPECT_EQ(CountHeaderKeys(dir.File("long.eml"), tally, allText), allText ? 4 : 3);
        EXPECT_EQ(Shown(tally), bench::ReferenceKeyTally({text}, allText));
    }
}

TEST(BenchRoughMail, SameSeedSameMail)
{
    bench::Rng a(11);
    bench::Rng b(11);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(bench::RoughMail(a), bench::RoughMail(b));
}

}  // namespace norvane::test
