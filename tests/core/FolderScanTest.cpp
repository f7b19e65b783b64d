#include "settings/FolderScan.h"
#include "TestFiles.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace norvane::test {

namespace {

// Runs a scan from inside a folder and goes back afterwards.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::filesystem::path& dir) : saved_(std::filesystem::current_path())
    {
        std::filesystem::current_path(dir);
    }
    ~CurrentFolder() { std::filesystem::current_path(saved_); }

private:
    std::filesystem::path saved_;
};

}  // namespace

TEST(GetField, SplitsAtEveryDelimiter)
{
    struct Case {
        const char* text;
        const char* delimiter;
        int index;
        const char* expected;
    } cases[] = {
        {"a;b;c", ";", 1, "a"},
        {"a;b;c", ";", 2, "b"},
        {"a;b;c", ";", 3, "c"},
        {"a;b;c", ";", 4, ""},
        {";b", ";", 1, ""},
        {";b", ";", 2, "b"},
        {"a;;b", ";", 2, ""},
        {"a;;b", ";", 3, "b"},
        {"abc", ";", 1, "abc"},
        {"abc", ";", 0, ""},
        {"abc", ";", -1, ""},
        {"a::b::c", "::", 2, "b"},
        {"a:b::c", "::", 1, "a:b"},
        {"", ";", 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " #" + std::to_string(c.index));
        EXPECT_EQ(GetField(c.text, c.delimiter, c.index), c.expected);
    }
}

TEST(MatchesWildcard, FileSearchRules)
{
    struct Case {
        const char* name;
        const char* pattern;
        bool expected;
    } cases[] = {
        {"a.eml", "*.eml", true},
        {"A.EML", "*.eml", true},
        {"a.eml.bak", "*.eml", false},
        {"a.eml", "?.eml", true},
        {"ab.eml", "?.eml", false},
        {"readme", "*.*", true},
        {"readme", "*.", false},
        {"x:2,S", "x:*", true},
        {"abcabd", "*abd", true},
        {"abc", "a*b*c*", true},
        {"abc", "abc", true},
        {"abc", "abd", false},
        {"", "*", true},
        {"a", "", false},
        {".a.eml.nvtmp-Ab3xZ9", "*", false},
        {".a.eml.nvtmp-Ab3xZ9", ".a.eml.nvtmp-Ab3xZ9", false},
        {".a.eml", ".*", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " ~ " + c.pattern);
        EXPECT_EQ(MatchesWildcard(c.name, c.pattern), c.expected);
    }
}

TEST(MatchesWildcard, QuestionMarkTakesOneWholeCharacter)
{
    TextRules utf8;
    utf8.doubleByte = false;
    struct Case {
        const char* name;
        std::string text;
        std::string pattern;
        const TextRules& rules;
        bool expected;
    } cases[] = {
        {"utf-8: one kana for one ?", "\xE3\x81\x82.eml", "?.eml", utf8, true},
        {"utf-8: three ? are not one kana", "\xE3\x81\x82.eml", "???.eml", utf8, false},
        {"utf-8: ? then kana after a star", "x\xE3\x81\x82\xE3\x81\x84", "*?\xE3\x81\x84", utf8, true},
        {"utf-8: stray continuation byte is one", "\x85.eml", "?.eml", utf8, true},
        {"shift-jis: one double-byte character", "\x83\x41.eml", "?.eml", kShiftJisBackslashRules, true},
        {"shift-jis: two ? are not one character", "\x83\x41.eml", "??.eml", kShiftJisBackslashRules, false},
        // A trail byte in A-Z is part of another character, not a capital.
        {"shift-jis: trail bytes are not folded", "\x83\x41", "\x83\x61", kShiftJisBackslashRules, false},
        {"shift-jis: ascii still folded", "\x83\x41X.EML", "\x83\x41x.eml", kShiftJisBackslashRules, true},
        {"shift-jis: star skips whole characters", "\x83\x41\x83\x5C", "*\x5C", kShiftJisBackslashRules, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MatchesWildcard(c.text, c.pattern, c.rules), c.expected);
    }
}

TEST(ScanFolder, AppendsSortedMatchesWithTheirFolder)
{
    TempDir dir;
    const auto folder = dir.Path().string() + "/";
    for (const char* name : {"c.eml", "a.eml", "B.EML", "note.txt", "x.eml.bak"})
        WriteFile(folder + name, "x");
    std::vector<std::string> list{"kept"};
    ScanFolder(folder + "*.eml;" + folder + "*.txt", kEntryAny, list);
    EXPECT_EQ(list, (std::vector<std::string>{"kept", folder + "B.EML", folder + "a.eml", folder + "c.eml",
                                              folder + "note.txt"}));
}

TEST(ScanFolder, NeverListsTemporaryFiles)
{
    TempDir dir;
    const auto folder = dir.Path().string() + "/";
    for (const char* name : {"a.eml", ".hidden.eml", ".a.eml.nvtmp-Ab3xZ9", ".nvtmp-Qw3rty", "a.eml.nvtmpAb3xZ9"})
        WriteFile(folder + name, "x");
    std::vector<std::string> list;
    ScanFolder(folder + "*", kEntryAny, list);
    EXPECT_EQ(list, (std::vector<std::string>{folder + ".hidden.eml", folder + "a.eml", folder + "a.eml.nvtmpAb3xZ9"}));
}

TEST(ScanFolder, EmptyPatternEndsTheScan)
{
    TempDir dir;
    const auto folder = dir.Path().string() + "/";
    WriteFile(folder + "a.eml", "x");
    WriteFile(folder + "b.txt", "x");
    std::vector<std::string> list;
    ScanFolder(folder + "*.eml;;" + folder + "*.txt", kEntryAny, list);
    EXPECT_EQ(list, std::vector<std::string>{folder + "a.eml"});
    list.clear();
    ScanFolder(";" + folder + "*.eml", kEntryAny, list);
    EXPECT_TRUE(list.empty());
}

TEST(ScanFolder, PatternWithoutFolderSearchesCurrentFolder)
{
    TempDir dir;
    WriteFile(dir.File("m1.eml"), "x");
    WriteFile(dir.File("m2.eml"), "x");
    CurrentFolder here(dir.Path());
    std::vector<std::string> list;
    ScanFolder("m?.eml", kEntryAny, list);
    EXPECT_EQ(list, (std::vector<std::string>{"m1.eml", "m2.eml"}));
}

TEST(ScanFolder, AttributeMaskRules)
{
    TempDir dir;
    const auto folder = dir.Path().string() + "/";
    WriteFile(folder + "plain", "x");
    WriteFile(folder + ".hidden", "x");
    ::chmod((folder + ".hidden").c_str(), 0444);
    WriteFile(folder + "locked", "x");
    ::chmod((folder + "locked").c_str(), 0444);
    std::filesystem::create_directory(folder + "sub");
    ::chmod((folder + "sub").c_str(), 0555);
    ::mkfifo((folder + "pipe").c_str(), 0644);
    struct Case {
        unsigned mask;
        std::vector<std::string> expected;
    } cases[] = {
        // A fifo has none of the bits, so no mask lists it.
        {kEntryAny, {".hidden", "locked", "plain", "sub"}},
        {kEntryFile, {"locked", "plain"}},
        // Hidden entries and folders are offered only on request.
        {kEntryFile | kEntryHidden, {".hidden", "locked", "plain"}},
        {kEntryFolder, {"sub"}},
        // A read-only folder is not offered without the folder bit.
        {kEntryReadOnly, {"locked"}},
        {kEntryReadOnly | kEntryHidden, {".hidden", "locked"}},
        {kEntryReadOnly | kEntryFolder, {"locked", "sub"}},
        {0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mask);
        std::vector<std::string> list;
        ScanFolder(folder + "*", c.mask, list);
        std::vector<std::string> expected;
        for (const auto& name : c.expected)
            expected.push_back(folder + name);
        EXPECT_EQ(list, expected);
    }
}

TEST(ScanFolder, MissingFolderAndWildcardsOutsideTheNameAddNothing)
{
    TempDir dir;
    std::filesystem::create_directory(dir.File("sub"));
    WriteFile(dir.File("sub/a.eml"), "x");
    std::vector<std::string> list;
    ScanFolder(dir.File("none/*.eml"), kEntryAny, list);
    ScanFolder(dir.File("s*/a.eml"), kEntryAny, list);
    EXPECT_TRUE(list.empty());
    // A backslash is an ordinary name character here.
    WriteFile(dir.File("a\\b.eml"), "x");
    ScanFolder(dir.File("a\\*"), kEntryAny, list);
    EXPECT_EQ(list, std::vector<std::string>{dir.File("a\\b.eml")});
}

}  // namespace norvane::test
