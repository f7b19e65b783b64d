#include "bench/Corpus.h"
#include "bench/Jobs.h"
#include "bench/Verify.h"
#include "engine/MailDiff.h"
#include "engine/VeskFile.h"
#include "AppliedDiff.h"
#include "TestFiles.h"

#include <filesystem>

namespace norvane::test {

namespace fs = std::filesystem;

// The dry run on the corpus: nothing in the folder changes, and its counts,
// keys and result are those of a real run on a copy.
TEST(BenchDryRun, CorpusCountsEqualARealRunAndNothingChanges)
{
    TempDir dir(true);
    const fs::path mail = dir.Path() / "mail";
    const fs::path copy = dir.Path() / "copy";
    fs::create_directories(mail);
    bench::CorpusOptions small;
    small.attachmentMin = 1024;
    small.attachmentMax = 16 * 1024;
    bench::WriteMbox((mail / "box.mbox").string(), 512 * 1024, small);
    bench::WriteEmlFolder(mail.string(), 12, small);
    bench::Rng rng(41);
    for (int i = 0; i < 40; ++i)
        WriteFile((mail / ("rough" + std::to_string(i) + ".eml")).string(), bench::RoughMail(rng));
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(mail))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());

    for (const auto& config : bench::kVerifyConfigs) {
        for (const bool keepLineEnds : {false, true}) {
            SCOPED_TRACE(std::string(config.name) + (keepLineEnds ? ", line ends kept" : ""));
            VeskOptions options;
            options.backup = true;
            options.autoRegister = true;
            options.removeAttachments = config.removeAttachments;
            options.removeTraces = config.removeTraces;
            options.allText = config.allText;
            options.keepLineEnds = keepLineEnds;
            fs::remove_all(copy);
            fs::copy(mail, copy);
            const auto before = FolderState(mail);

            std::vector<std::string> files;
            for (const auto& name : names)
                files.push_back((mail / name).string());
            VeskRun dryRun(files);
            KeyList dryKeys = bench::BenchKeyList();
            std::vector<VeskCounts> dryCounts;
            std::vector<std::string> results;
            for (const auto& file : files) {
                PreparedVesk prepared = PrepareVeskFile(file, dryKeys, options, dryRun, VeskMode{true, true});
                const VeskPreview preview = prepared.TakePreview();
                dryCounts.push_back(CommitPrepared(prepared, dryKeys, dryRun));
                results.emplace_back(preview.After());
                EXPECT_EQ(AppliedDiff(preview.Before(), preview.After()), preview.After()) << file;
            }
            EXPECT_TRUE(FolderState(mail) == before);

            std::vector<std::string> copies;
            for (const auto& name : names)
                copies.push_back((copy / name).string());
            VeskRun realRun(copies);
            KeyList realKeys = bench::BenchKeyList();
            for (std::size_t i = 0; i < copies.size(); ++i) {
                SCOPED_TRACE(names[i]);
                const VeskCounts real = VeskFile(copies[i], realKeys, options, realRun);
                EXPECT_EQ(dryCounts[i].attachmentLines, real.attachmentLines);
                EXPECT_EQ(dryCounts[i].headerLines, real.headerLines);
                EXPECT_EQ(dryCounts[i].bytesBefore, real.bytesBefore);
                EXPECT_EQ(dryCounts[i].bytesAfter, real.bytesAfter);
                EXPECT_EQ(dryCounts[i].registeredKeys, real.registeredKeys);
                EXPECT_EQ(dryCounts[i].outcome, real.outcome);
                EXPECT_TRUE(results[i] == ReadFile(copies[i]));
            }
        }
    }
}

}  // namespace norvane::test
