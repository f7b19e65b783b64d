#include "bench/Corpus.h"
#include "bench/Verify.h"
#include "TestFiles.h"

#include <filesystem>
#include <string>
#include <unistd.h>

namespace norvane::test {

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

TEST(BenchRoughMail, SameSeedSameMail)
{
    bench::Rng a(11);
    bench::Rng b(11);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(bench::RoughMail(a), bench::RoughMail(b));
}

}  // namespace norvane::test
