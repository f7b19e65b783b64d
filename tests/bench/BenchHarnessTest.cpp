#include "bench/Baselines.h"
#include "bench/Harness.h"
#include "TestFiles.h"

#include <cstring>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace norvane::test {

using bench::Counts;
using bench::Measurement;
using bench::RunInChild;

TEST(BenchMeasurement, MedianOfOddAndEvenRunCountsAndLargestPeak)
{
    struct Case {
        const char* name;
        std::vector<double> seconds;
        double median;
    } cases[] = {
        {"none", {}, 0},
        {"one", {2.0}, 2.0},
        {"odd, unsorted", {5.0, 1.0, 3.0}, 3.0},
        {"even", {4.0, 1.0, 2.0, 3.0}, 2.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Measurement m;
        long rss = 100;
        for (double s : c.seconds)
            m.runs.push_back({s, s / 2, rss += 10, {}});
        EXPECT_DOUBLE_EQ(m.MedianSeconds(), c.median);
        EXPECT_DOUBLE_EQ(m.MedianCpuSeconds(), c.median / 2);
        EXPECT_EQ(m.PeakRssKiB(), c.seconds.empty() ? 0 : 100 + 10 * static_cast<long>(c.seconds.size()));
    }
}

TEST(BenchRunInChild, PeakMemoryIsTheChildsOwn)
{
    const auto small = RunInChild([] { return Counts{1, 2, 3}; });
    EXPECT_EQ(small.counts.first, 1);
    EXPECT_EQ(small.counts.second, 2);
    EXPECT_EQ(small.counts.bytesLeft, 3);
    EXPECT_LT(small.peakRssKiB, 48 * 1024);

    const auto large = RunInChild([] {
        std::vector<char> block(96u << 20);
        std::memset(block.data(), 1, block.size());
        return Counts{block[12345], 0, 0};
    });
    EXPECT_EQ(large.counts.first, 1);
    EXPECT_GE(large.peakRssKiB, 96 * 1024);
    EXPECT_GE(large.seconds, 0.0);

    // The large child's peak does not carry over to the next child.
    const auto again = RunInChild([] { return Counts{}; });
    EXPECT_LT(again.peakRssKiB, 48 * 1024);
}

TEST(BenchRunInChild, ChildFailuresReachTheParent)
{
    try {
        RunInChild([]() -> Counts { throw std::runtime_error("cannot open x"); });
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "cannot open x");
    }
    try {
        RunInChild([]() -> Counts { ::_exit(7); });
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("without a report"), std::string::npos) << e.what();
    }
}

TEST(BenchMeasureInTurn, PreparesEveryRunAndKeepsTaskOrder)
{
    int prepared = 0;
    std::vector<bench::Task> tasks = {
        {"a", [&] { ++prepared; }, [] { return Counts{1, 0, 0}; }},
        {"b", nullptr, [] { return Counts{2, 0, 0}; }, 2},
    };
    const auto measurements = bench::MeasureInTurn(tasks, 3);
    ASSERT_EQ(measurements.size(), 2u);
    EXPECT_EQ(prepared, 3);
    EXPECT_EQ(measurements[0].name, "a");
    EXPECT_EQ(measurements[0].runs.size(), 3u);
    EXPECT_EQ(measurements[1].runs.size(), 6u);
    EXPECT_EQ(measurements[1].LastCounts().first, 2);
}

TEST(BenchPlainRewrite, TurnsLfIntoCrLfOnly)
{
    const std::string block(1 << 20, 'x');
    struct Case {
        const char* name;
        std::string in;
        std::string out;
    } cases[] = {
        {"lf", "a\nb\n", "a\r\nb\r\n"},
        {"crlf stays", "a\r\nb\r\n", "a\r\nb\r\n"},
        {"lone cr stays", "a\rb", "a\rb"},
        {"no final line end", "a\nb", "a\r\nb"},
        {"empty lines", "\n\n", "\r\n\r\n"},
        {"empty", "", ""},
        {"lf first in the next block", block + "\n", block + "\r\n"},
        {"crlf split over blocks", block.substr(1) + "\r\n", block.substr(1) + "\r\n"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File("m.mbox");
        WriteFile(path, c.in);
        EXPECT_EQ(bench::PlainRewrite(path), c.out.size());
        EXPECT_EQ(ReadFile(path), c.out);
        EXPECT_EQ(ListFolder(dir.Path()), "m.mbox ");
    }
}

TEST(BenchReadFirstHeaderBlocks, StopsAtTheFirstEmptyLine)
{
    const std::string longHeader = "X-Long: " + std::string(70000, 'a') + "\n";
    struct Case {
        const char* name;
        std::string text;
        std::uint64_t seen;
    } cases[] = {
        {"lf", "A: 1\nB: 2\n\nbody\n\nmore\n", 11},
        {"crlf", "A: 1\r\n\r\nbody\r\n", 8},
        {"no empty line", "A: 1\nB: 2", 9},
        {"empty first line", "\nA: 1\n", 1},
        {"line longer than the buffer", longHeader + "\nbody\n", longHeader.size() + 1},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(dir.File("a.eml"), c.text);
        EXPECT_EQ(bench::ReadFirstHeaderBlocks({dir.File("a.eml")}), c.seen);
    }
    WriteFile(dir.File("b.eml"), "A: 1\n\nbody\n");
    EXPECT_EQ(bench::ReadFirstHeaderBlocks({dir.File("a.eml"), dir.File("b.eml")}),
              longHeader.size() + 1 + 6);
    EXPECT_THROW(bench::ReadFirstHeaderBlocks({dir.File("missing.eml")}), std::runtime_error);
}

TEST(BenchCopyFileFlushed, CopiesEveryByteOverAnOldFile)
{
    TempDir dir;
    std::string text(3 << 20, '\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char>(i * 7);
    WriteFile(dir.File("from"), text);
    WriteFile(dir.File("to"), std::string(5 << 20, 'z'));
    bench::CopyFileFlushed(dir.File("from"), dir.File("to"));
    EXPECT_EQ(ReadFile(dir.File("to")), text);
    EXPECT_EQ(bench::FileSize(dir.File("to")), text.size());
    EXPECT_GT(bench::FreeDiskBytes(dir.Path().string()), 0u);
    EXPECT_THROW(bench::CopyFileFlushed(dir.File("missing"), dir.File("to")), std::runtime_error);
}

}  // namespace norvane::test
