#include "engine/ByteSink.h"
#include "engine/MailDiff.h"
#include "AppliedDiff.h"
#include "ShownBytes.h"
#include "TestFiles.h"

#include <cstdlib>

namespace norvane::test {

namespace {

// Lines removed and added in all.
std::pair<std::size_t, std::size_t> Size(std::string_view before, std::string_view after)
{
    std::pair<std::size_t, std::size_t> size;
    for (const DiffBlock& block : DiffBlocks(DiffLines(before), DiffLines(after))) {
        size.first += block.removed;
        size.second += block.added;
    }
    return size;
}

struct DiffCase {
    const char* name;
    std::string before;
    std::string after;
    std::size_t removed;  // the shortest diff's lines
    std::size_t added;
};

const DiffCase kDiffCases[] = {
    {"equal", "a\r\nb\r\n", "a\r\nb\r\n", 0, 0},
    {"header lines deleted, CR LF", "Received: x\r\n\ty\r\nSubject: s\r\n\r\nbody\r\n",
     "Subject: s\r\n\r\nbody\r\n", 2, 0},
    {"header lines deleted, LF", "A: 1\nX: 2\n y\nB: 3\n\nbody\n", "A: 1\nB: 3\n\nbody\n", 2, 0},
    {"charset joined", "Content-Type: text/plain;\r\n\tcharset=x\r\nSubject: s\r\n\r\nb\r\n",
     "Content-Type: text/plain;\tcharset=x\r\nSubject: s\r\n\r\nb\r\n", 2, 1},
    {"charset joined over a deleted line",
     "Content-Type: text/plain;\r\nX-Del: 1\r\n\tcharset=x\r\nA: b\r\n\r\nb\r\n",
     "Content-Type: text/plain;\tcharset=x\r\nA: b\r\n\r\nb\r\n", 3, 1},
    {"LF to CR LF", "a\nb\nc\n", "a\r\nb\r\nc\r\n", 3, 3},
    {"lone CR to CR LF", "a\rb\rc\r", "a\r\nb\r\nc\r\n", 1, 3},
    {"final line end added", "a\r\nb", "a\r\nb\r\n", 1, 1},
    {"trailing empty lines cut", "a\r\nb\r\n\r\n\r\n", "a\r\nb\r\n", 2, 0},
    {"empty lines shrink, a body line repeats", "h: 1\r\n\r\n\r\n\r\nx\r\nh: 1\r\n", "h: 1\r\n\r\nx\r\nh: 1\r\n", 2,
     0},
    {"attachment body removed", "--b\r\nC: x\r\n\r\nQUJD\r\n\r\nREVG\r\n--b--\r\n", "--b\r\nC: x\r\n\r\n--b--\r\n", 3,
     0},
    {"note line added", "--b\r\n\r\nQUJD\r\n--b--\r\n", "--b\r\n\r\n[removed]\r\n--b--\r\n", 1, 1},
    {"to empty", "a\r\n", "", 1, 0},
    {"from empty", "", "a\r\n", 0, 1},
    {"a joined line found further on stays added",
     "Content-Type: t;\r\n\tcharset=x\r\nA: 1\r\n\r\nContent-Type: t;\tcharset=x\r\n",
     "Content-Type: t;\tcharset=x\r\nA: 1\r\n\r\nContent-Type: t;\tcharset=x\r\n", 2, 1},
};

TEST(DiffBlocks, TurnBeforeIntoAfterWithTheShortestEdit)
{
    for (const auto& c : kDiffCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Shown(AppliedDiff(c.before, c.after)), Shown(c.after));
        EXPECT_EQ(Size(c.before, c.after), std::make_pair(c.removed, c.added));
    }
}

TEST(DiffBlocks, AnyTwoTextsStillGiveACorrectEdit)
{
    const std::string texts[] = {"", "a\n", "b\nA\n\na\n", "a\r\n\r\nb", "x\ny\nx\ny\n", "\r\r\n\n\r", "a\nb\nc\nd\n"};
    for (const auto& before : texts)
        for (const auto& after : texts) {
            SCOPED_TRACE(Shown(before) + " -> " + Shown(after));
            EXPECT_EQ(Shown(AppliedDiff(before, after)), Shown(after));
        }
}

TEST(OnlyLineEndsDiffer, SameLinesInTheFilesOwnSense)
{
    struct Case {
        const char* before;
        const char* after;
        bool only;
    };
    const Case cases[] = {
        {"a\nb\n", "a\r\nb\r\n", true},     {"a\rb\r", "a\r\nb\r\n", true}, {"a\r\nb", "a\r\nb\r\n", true},
        {"a\nb\n", "a\nb\n", false},        {"a\nb\n", "a\r\n", false},     {"a\n\tb\n", "a\tb\r\n", false},
        {"a\n\n", "a\r\n", false},          {"a\n\rb\n", "a\r\n\r\nb\r\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Shown(c.before) + " -> " + Shown(c.after));
        EXPECT_EQ(OnlyLineEndsDiffer(c.before, c.after), c.only);
    }
}

TEST(WriteUnifiedDiff, HunksWithContextAndMarkedLastLines)
{
    struct Case {
        const char* name;
        std::string before;
        std::string after;
        std::string diff;
    };
    const std::string ten = "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n";
    const Case cases[] = {
        {"equal", "a\n", "a\n", ""},
        {"one line in the middle", ten, "1\n2\n3\n4\n6\n7\n8\n9\n10\n",
         "--- m\n+++ m\n@@ -2,7 +2,6 @@\n 2\n 3\n 4\n-5\n 6\n 7\n 8\n"},
        {"two changes far apart, two hunks", ten, "2\n3\n4\n5\n6\n7\n8\n9\n",
         "--- m\n+++ m\n@@ -1,4 +1,3 @@\n-1\n 2\n 3\n 4\n@@ -7,4 +6,3 @@\n 7\n 8\n 9\n-10\n"},
        {"close changes share a hunk", "1\n2\n3\n4\n5\n6\n7\n", "2\n3\n4\n5\n6\n7\n",
         "--- m\n+++ m\n@@ -1,4 +1,3 @@\n-1\n 2\n 3\n 4\n"},
        {"raw CR LF and a missing last line end", "a\r\nb", "a\r\nb\r\n",
         "--- m\n+++ m\n@@ -1,2 +1,2 @@\n a\r\n-b\n\\ No newline at end of file\n+b\r\n"},
        {"all lines removed", "a\n", "", "--- m\n+++ m\n@@ -1,1 +0,0 @@\n-a\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StringByteSink out;
        WriteUnifiedDiff(out, "m", "m", c.before, c.after);
        EXPECT_EQ(Shown(out.text), Shown(c.diff));
    }
}

TEST(WriteUnifiedDiff, PatchAppliesIt)
{
    if (std::system("patch --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no patch program (scripts/setup.sh installs it)";
    TempDir dir;
    for (const auto& c : kDiffCases) {
        SCOPED_TRACE(c.name);
        const std::string file = dir.File("m.eml");
        WriteFile(file, c.before);
        StringByteSink out;
        WriteUnifiedDiff(out, "m.eml", "m.eml", c.before, c.after);
        WriteFile(dir.File("m.diff"), out.text);
        const std::string command = "cd '" + dir.Path().string() + "' && patch -s -p0 < m.diff >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << Shown(out.text);
        EXPECT_EQ(Shown(ReadFile(file)), Shown(c.after));
    }
}

}  // namespace

}  // namespace norvane::test
