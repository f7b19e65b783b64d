#include "engine/Error.h"
#include "engine/HeldLines.h"
#include "engine/StripHeaders.h"
#include "settings/IniFile.h"
#include "TestFiles.h"

#include <fstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace norvane::test {

namespace {

struct Collect : LineSink {
    std::vector<std::string> lines;
    void PutLine(std::string_view line) override { lines.emplace_back(line); }
};

// Runs body in a child process whose address space may grow by at most
// extraBytes beyond what the test process has mapped now; true when the
// child finished normally with status 0.
template <typename Body>
bool RunsWithinAddressSpace(std::size_t extraBytes, Body body)
{
    std::size_t mapped = 0;
    {
        std::ifstream status("/proc/self/status");
        std::string word;
        while (status >> word)
            if (word == "VmSize:") {
                status >> mapped;
                mapped *= 1024;
                break;
            }
    }
    const pid_t child = ::fork();
    if (child == 0) {
        rlimit limit{mapped + extraBytes, mapped + extraBytes};
        ::setrlimit(RLIMIT_AS, &limit);
        try {
            body();
        } catch (...) {
            ::_exit(3);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

TEST(HeldLines, PassesLinesOnInOrderWhateverTheAllowance)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {""},
        {"", "\x1a", "", "\x1a" "abc"},
        {"\x1a", "\x1a", "\x1a", "\x1a", "\x1a", "\x1a", "\x1a"},
        {std::string(100, '\x1a'), "", std::string(5000, 'x'), ""},
    };
    for (const std::size_t allowance : {std::size_t{0}, std::size_t{3}, std::size_t{64}, HeldLines::kDefaultAllowance}) {
        for (const auto& lines : cases) {
            SCOPED_TRACE("allowance " + std::to_string(allowance) + ", " + std::to_string(lines.size()) + " lines");
            HeldLines held(allowance);
            for (const auto& line : lines)
                held.Add(line);
            EXPECT_EQ(held.Count(), lines.size());
            Collect out;
            held.PassOn(out);
            EXPECT_EQ(out.lines, lines);
            EXPECT_TRUE(held.Empty());
            // Used again after passing on: only the new lines come.
            held.Add("again");
            Collect second;
            held.PassOn(second);
            EXPECT_EQ(second.lines, std::vector<std::string>{"again"});
        }
    }
}

TEST(HeldLines, ClearForgetsSpilledLines)
{
    HeldLines held(8);
    for (int i = 0; i < 100; ++i)
        held.Add("\x1a\x1a\x1a");
    EXPECT_LE(held.MemoryHeld(), 64u);
    held.Clear();
    EXPECT_TRUE(held.Empty());
    Collect out;
    held.PassOn(out);
    EXPECT_TRUE(out.lines.empty());
}

// Millions of lines holding only byte 26 once took memory per line.
TEST(StripHeaders, EndOfFileMarkLinesTakeBoundedMemory)
{
    constexpr std::size_t kMarks = 8 * 1000 * 1000;  // 24 MB of mail
    struct Case {
        const char* name;
        std::string tail;
        std::size_t lines;  // lines of the result
    };
    const Case cases[] = {
        {"marks at the end are dropped", "", 3},
        {"marks before text are kept", "end\r\n", 3 + kMarks + 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string mail = dir.File("m.txt");
        {
            std::ofstream out(mail, std::ios::binary);
            out << "Subject: x\r\n\r\nbody\r\n";
            std::string marks;
            for (std::size_t i = 0; i < 100000; ++i)
                marks += "\x1a\r\n";
            for (std::size_t i = 0; i < kMarks / 100000; ++i)
                out << marks;
            out << c.tail;
        }
        const bool ok = RunsWithinAddressSpace(24u << 20, [&] {
            KeyList keys;
            StripHeaders(mail, keys, false, false);
        });
        ASSERT_TRUE(ok);
        std::size_t lines = 0;
        std::ifstream in(mail, std::ios::binary);
        for (std::string line; std::getline(in, line);)
            ++lines;
        EXPECT_EQ(lines, c.lines);
    }
}

TEST(IniFile, ASettingsFileOverTheLimitIsNeitherReadNorWrittenOver)
{
    TempDir dir;
    const std::string path = dir.File("norvane.ini");
    // Sparse: a settings section, then zeros up to one byte over the limit.
    WriteFile(path, "[norvane]\r\nXYWH=1,2,3,4\r\n");
    std::filesystem::resize_file(path, kSettingsFileLimit + 1);
    const auto before = std::filesystem::file_size(path);
    EXPECT_TRUE(IsSettingsFileTooLarge(path));
    const bool ok = RunsWithinAddressSpace(8u << 20, [&] {
        if (IniFile::Load(path).HasSection("norvane"))
            ::_exit(4);
        if (ReadProfileString(path, "norvane", "XYWH", "none") != "none")
            ::_exit(5);
    });
    EXPECT_TRUE(ok);
    EXPECT_THROW(WriteProfileString(path, "norvane", "Path", "/x"), Error);
    EXPECT_EQ(std::filesystem::file_size(path), before);
}

}  // namespace norvane::test
