#include "engine/Error.h"
#include "engine/FileIo.h"
#include "engine/TextRules.h"
#include "ChildProcess.h"
#include "TestFiles.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <random>
#include <vector>

namespace norvane::test {

SeamGuard::~SeamGuard()
{
    TestSeam() = FileSystemSeam{};
}

namespace {

std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    LineReader reader(path);
    std::string_view line;
    while (reader.Next(line))
        lines.emplace_back(line);
    return lines;
}

}  // namespace

TEST(LineReader, SplitsEveryLineEndForm)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"crlf", "a\r\nb\r\n", {"a", "b"}},
        {"lf", "a\nb\n", {"a", "b"}},
        {"cr", "a\rb\r", {"a", "b"}},
        {"lf then cr is two ends", "a\n\rb", {"a", "", "b"}},
        {"no last line end", "a\r\nb", {"a", "b"}},
        {"empty file", "", {}},
        {"only a line end", "\r\n", {""}},
        {"nul is ordinary", std::string("a\0b\nc", 5), {std::string("a\0b", 3), "c"}},
        {"empty lines", "\n\n\r\n\r", {"", "", "", ""}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(dir.File("m"), c.bytes);
        EXPECT_EQ(ReadLines(dir.File("m")), c.lines);
    }
}

TEST(LineReader, CrLfAcrossBlockBoundaryAndLongLines)
{
    TempDir dir;
    std::string big((1 << 20) - 1, 'x');
    std::string bytes = big + "\r\n" + std::string(3 << 20, 'y') + "\rz";
    WriteFile(dir.File("m"), bytes);
    const auto lines = ReadLines(dir.File("m"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], big);
    EXPECT_EQ(lines[1].size(), 3u << 20);
    EXPECT_EQ(lines[2], "z");
}

TEST(LineReader, LongStretchesOfCrEndsThenLfAcrossBlocks)
{
    // Several blocks of CR-ended lines with an LF only far ahead, then LF and
    // CR LF lines: each end must be found where it is, whichever block holds it.
    std::vector<std::string> expected;
    std::string bytes;
    const std::string_view ends[] = {"\r", "\r", "\r", "\n", "\r\n"};
    for (int i = 0; i < 90000; ++i) {
        std::string line = std::to_string(i) + std::string(i % 70, 'q');
        const std::string_view end = i < 60000 ? "\r" : ends[i % 5];
        bytes += line;
        bytes += end;
        expected.push_back(std::move(line));
    }
    TempDir dir;
    WriteFile(dir.File("m"), bytes);
    EXPECT_TRUE(ReadLines(dir.File("m")) == expected);

    // After a seek back, ends are found afresh.
    LineReader reader(dir.File("m"));
    std::string_view line;
    for (int i = 0; i < 65000; ++i)
        ASSERT_TRUE(reader.Next(line));
    ASSERT_EQ(line, expected[64999]);
    reader.Seek(0);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line, expected[2]);
}

TEST(LineReader, OffsetsAndSeek)
{
    TempDir dir;
    WriteFile(dir.File("m"), "ab\r\ncd\nef");
    LineReader reader(dir.File("m"));
    std::string_view line;
    ASSERT_TRUE(reader.Next(line));
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(reader.LineOffset(), 4u);
    reader.Seek(4);
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line, "cd");
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line, "ef");
    EXPECT_FALSE(reader.Next(line));
}

TEST(LineReader, TakesARunOfLinesThatFollowTheRule)
{
    PlainLineRule crLf;
    crLf.absent = ':';
    crLf.notFirst = "\x1a-";
    crLf.notPrefix = "Content-Type";
    PlainLineRule anyEnd = crLf;
    anyEnd.crLfOnly = false;
    PlainLineRule anyCase = crLf;
    anyCase.prefixAnyCase = true;
    struct Case {
        const char* name;
        std::string bytes;  // a first line, then the run, then the line that stops it
        PlainLineRule rule;
        std::string run;
        std::size_t lines;
        LineEnd lastEnd;
        std::string next;  // what Next gives after the run
    } cases[] = {
        {"up to a line with the absent byte", "a\r\nb\r\nc\r\nd: x\r\n", crLf, "b\r\nc\r\n", 2, LineEnd::kCrLf, "d: x"},
        {"up to a line ending LF", "a\r\nb\r\nc\nd\r\n", crLf, "b\r\n", 1, LineEnd::kCrLf, "c"},
        {"up to a line ending CR", "a\r\nb\r\nc\rd\r\n", crLf, "b\r\n", 1, LineEnd::kCrLf, "c"},
        {"any end, the last line without end stays", "a\nb\rc\r\nd\nend", anyEnd, "b\rc\r\nd\n", 3, LineEnd::kLf,
         "end"},
        {"up to an empty line", "a\r\nb\r\n\r\nc\r\n", crLf, "b\r\n", 1, LineEnd::kCrLf, ""},
        {"up to an empty line after CR", "a\rb\r\rc\r", anyEnd, "b\r", 1, LineEnd::kCr, ""},
        {"up to a line beginning with an excluded byte", "a\r\nb\r\n\x1a\r\n", crLf, "b\r\n", 1, LineEnd::kCrLf,
         "\x1a"},
        {"up to a delimiter", "a\r\nb\r\n--b\r\n", crLf, "b\r\n", 1, LineEnd::kCrLf, "--b"},
        {"up to the prefix", "a\r\nb\r\nContent-Typed\r\n", crLf, "b\r\n", 1, LineEnd::kCrLf, "Content-Typed"},
        {"the prefix in another case passes", "a\r\nb\r\ncontent-typed\r\nc:\r\n", crLf, "b\r\ncontent-typed\r\n",
         2, LineEnd::kCrLf, "c:"},
        {"the prefix in any case", "a\r\nb\r\ncontent-typed\r\n", anyCase, "b\r\n", 1, LineEnd::kCrLf,
         "content-typed"},
        {"none when the next line does not follow", "a\r\nb: x\r\n", crLf, "", 0, LineEnd::kCrLf, "b: x"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(dir.File("m"), c.bytes);
        LineReader reader(dir.File("m"));
        std::string_view line;
        ASSERT_TRUE(reader.Next(line));
        const LineRun run = reader.TakeRun(c.rule);
        EXPECT_EQ(run.bytes, c.run);
        EXPECT_EQ(run.lines, c.lines);
        if (c.lines > 0) {
            EXPECT_EQ(run.lastEnd, c.lastEnd);
            EXPECT_EQ(reader.LastLineEnd(), c.lastEnd);
            std::string others = c.run;  // the ends that are not CR LF
            for (std::size_t at; (at = others.find("\r\n")) != std::string::npos;)
                others.erase(at, 2);
            EXPECT_EQ(run.allCrLf, others.find_first_of("\r\n") == std::string::npos);
        }
        ASSERT_TRUE(reader.Next(line));
        EXPECT_EQ(line, c.next);
    }
}

TEST(LineReader, RunsAndSingleLinesTogetherGiveTheLinesNextGives)
{
    const std::string_view vocabulary[] = {"plain", "Received: x", "", "\x1a", "--b", "Content-Type: t", "x"};
    const std::string_view ends[] = {"\r\n", "\r\n", "\r\n", "\n", "\r"};
    std::mt19937 random(7);
    std::string bytes;
    while (bytes.size() < 40000) {
        const std::string_view word = vocabulary[random() % std::size(vocabulary)];
        bytes.append(word);
        if (random() % 4 == 0)
            bytes.append(random() % 300, 'q');  // lines of any length cross block ends
        bytes += ends[random() % std::size(ends)];
    }
    TempDir dir;
    WriteFile(dir.File("m"), bytes);
    struct Line {
        std::string text;
        std::uint64_t offset;
        LineEnd end;
    };
    const LineReaderOptions small{4096};
    std::vector<Line> expected;
    {
        LineReader reader(dir.File("m"), small);
        std::string_view line;
        while (reader.Next(line))
            expected.push_back({std::string(line), reader.LineOffset(), reader.LastLineEnd()});
    }
    PlainLineRule rules[3];
    rules[0].absent = ':';
    rules[0].notFirst = "\x1a-";
    rules[0].notPrefix = "Content-Type";
    rules[1] = rules[0];
    rules[1].crLfOnly = false;
    rules[2].crLfOnly = false;
    for (const auto& rule : rules) {
        LineReader reader(dir.File("m"), small);
        std::string_view line;
        std::size_t at = 0;
        std::size_t runs = 0;
        while (reader.Next(line)) {
            ASSERT_LT(at, expected.size());
            EXPECT_EQ(line, expected[at].text);
            ++at;
            const LineRun run = reader.TakeRun(rule);
            if (run.lines == 0)
                continue;
            ++runs;
            const std::uint64_t begin = expected[at].offset;
            at += run.lines;
            const std::uint64_t end = at < expected.size() ? expected[at].offset : bytes.size();
            ASSERT_EQ(run.bytes, std::string_view(bytes).substr(begin, end - begin));
            EXPECT_EQ(reader.LineOffset(), expected[at - 1].offset);
            EXPECT_EQ(reader.LastLineEnd(), expected[at - 1].end);
            for (std::size_t i = at - run.lines; i < at; ++i) {
                const std::string& text = expected[i].text;
                EXPECT_FALSE(text.empty() || rule.notFirst.find(text.front()) != std::string_view::npos ||
                             (rule.absent && text.find(':') != text.npos));
                EXPECT_TRUE(!rule.crLfOnly || expected[i].end == LineEnd::kCrLf);
            }
        }
        EXPECT_EQ(at, expected.size());
        EXPECT_GT(runs, 50u);
    }
}

TEST(LineSink, SplitsARunIntoItsLines)
{
    class Collect final : public LineSink {
    public:
        void PutLine(std::string_view line) override { PutLineWithEnd(line, LineEnd::kCrLf); }
        void PutLineWithEnd(std::string_view line, LineEnd end) override
        {
            text += std::string(line) + "|" + std::string(LineEndBytes(end));
        }
        std::string text;
    } sink;
    sink.PutLines({"a\r\nb\rc\nd\r", 4, LineEnd::kCr, false});
    EXPECT_EQ(sink.text, "a|\r\nb|\rc|\nd|\r");
}

TEST(LineReader, MissingFileNamesIt)
{
    try {
        LineReader reader("/nonexistent/x.eml");
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "ﾌｧｲﾙ /nonexistent/x.eml は開けません");
    }
}

TEST(LineReader, Byte26EndsTheDataWhenAskedAtAnyBlockSize)
{
    const std::string longLine(5000, 'x');
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> upToMark;  // with endAtByte26
        std::vector<std::string> plain;
    } cases[] = {
        {"within a line", "a\r\nb\x1A" "c\r\nd", {"a", "b"}, {"a", "b\x1A" "c", "d"}},
        {"after a CR", "a\r\x1A\nb", {"a"}, {"a", "\x1A", "b"}},
        {"first", "\x1A" "a\n", {}, {"\x1A" "a"}},
        {"beyond the first block", longLine + "\n" + longLine + "\x1A\n", {longLine, longLine},
         {longLine, longLine + "\x1A"}},
        {"a CR ends the first block", std::string(4095, 'y') + "\r\nz\x1A", {std::string(4095, 'y'), "z"},
         {std::string(4095, 'y'), "z\x1A"}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(dir.File("m"), c.bytes);
        for (const std::size_t block : {std::size_t{4096}, std::size_t{1} << 20}) {
            SCOPED_TRACE(block);
            for (const bool endAtMark : {true, false}) {
                LineReader reader(dir.File("m"), {block, endAtMark, ReadErrorText::CannotOpen});
                std::vector<std::string> lines;
                std::string_view line;
                while (reader.Next(line))
                    lines.emplace_back(line);
                EXPECT_EQ(lines, endAtMark ? c.upToMark : c.plain) << endAtMark;
            }
        }
    }
}

TEST(LineReader, ErrorsAsTheOptionsChoose)
{
    TempDir dir;
    std::filesystem::create_directory(dir.File("folder"));
    struct Case {
        const char* name;
        std::string path;
        ReadErrorText errors;
        std::string message;
    } cases[] = {
        {"missing, open error", dir.File("none"), ReadErrorText::CannotOpen,
         "ﾌｧｲﾙ " + dir.File("none") + " は開けません"},
        {"missing, cause", dir.File("none"), ReadErrorText::Cause, "ﾌｧｲﾙが見つかりません"},
        {"folder, open error", dir.File("folder"), ReadErrorText::CannotOpen,
         "ﾌｧｲﾙ " + dir.File("folder") + " は開けません"},
        {"folder, cause", dir.File("folder"), ReadErrorText::Cause, "I/O ｴﾗｰ (21)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const std::size_t block : {std::size_t{4096}, std::size_t{1} << 20}) {
            SCOPED_TRACE(block);
            try {
                LineReader reader(c.path, {block, false, c.errors});
                std::string_view line;
                reader.Next(line);
                FAIL() << "no error";
            } catch (const Error& e) {
                EXPECT_EQ(std::string(e.what()), c.message);
            }
        }
}
}

TEST(LineReader, ReadsAnOpenDescriptorFromItsStartAndLeavesItOpen)
{
    TempDir dir;
    WriteFile(dir.File("m"), "ab\rcd\r\nef\n");
    const int fd = ::open(dir.File("m").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::lseek(fd, 5, SEEK_SET), 5);
    std::vector<std::string> lines;
    {
        LineReader reader(fd, "m");
        std::string_view line;
        while (reader.Next(line))
            lines.emplace_back(line);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"ab", "cd", "ef"}));
    char byte = 0;
    EXPECT_EQ(::pread(fd, &byte, 1, 0), 1) << "the descriptor is still open";
    ::close(fd);
}

TEST(LineReader, RefusesAFifoAtOnce)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    const std::string result = InChild([&] {
        LineReader reader(dir.File("fifo"));
        return std::string("opened");
    }, 2);
    EXPECT_EQ(result, "error: ﾌｧｲﾙ " + dir.File("fifo") + " は通常のﾌｧｲﾙではありません");
}

TEST(ReadWholeFile, RefusesAFifoAndAFolderAtOnce)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.File("folder"));
    for (const char* name : {"fifo", "folder"}) {
        SCOPED_TRACE(name);
        const std::string path = dir.File(name);
        const std::string result = InChild([&] { return ReadWholeFile(path); }, 2);
        EXPECT_EQ(result, "error: ﾌｧｲﾙ " + path + " は開けません");
    }
    WriteFile(dir.File("m"), "a\r\nb");
    EXPECT_EQ(ReadWholeFile(dir.File("m")), "a\r\nb");
}

TEST(IsTemporaryName, KnowsOnlyItsOwnForms)
{
    struct Case {
        const char* name;
        bool temporary;
    } cases[] = {
        {".a.eml.nvtmp-Ab3xZ9", true},
        {".nvtmp-Ab3xZ9", true},
        {"..nvtmp-Ab3xZ9", true},
        {"a.eml.nvtmp-Ab3xZ9", false},  // not hidden
        {".a.eml.nvtmpAb3xZ9", false},  // the old form
        {".a.eml.nvtmp-Ab3xZ", false},  // five characters
        {".a.eml.nvtmp-Ab3xZ9.eml", false},
        {".a.eml", false},
        {"", false},
        {".", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsTemporaryName(c.name), c.temporary);
    }
}

TEST(CreateTemporaryFile, HiddenExclusiveAndPrivate)
{
    TempDir dir;
    const std::string longName = std::string(250, 'n') + ".eml";
    struct Case {
        std::string name;
        std::string prefix;  // of the temporary file's name
    } cases[] = {
        {"a.eml", ".a.eml.nvtmp-"},
        {std::string(241, 'm'), "." + std::string(241, 'm') + ".nvtmp-"},  // just fits
        {std::string(242, 'm'), ".nvtmp-"},
        {longName, ".nvtmp-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.size());
        std::string path;
        const int fd = CreateTemporaryFile(AT_FDCWD, dir.File(""), c.name, path);
        ASSERT_GE(fd, 0);
        ::close(fd);
        const std::string name = std::filesystem::path(path).filename().string();
        EXPECT_EQ(name.substr(0, c.prefix.size()), c.prefix);
        EXPECT_EQ(name.size(), c.prefix.size() + 6);
        EXPECT_TRUE(IsTemporaryName(name));
        struct stat st {};
        ASSERT_EQ(::lstat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0600u);
        ::unlink(path.c_str());
    }
}

TEST(CopyRange, KernelAndBufferCopiesAgree)
{
    SeamGuard guard;
    TempDir dir;
    std::string bytes;
    for (int i = 0; bytes.size() < (3u << 20); ++i)
        bytes += "line " + std::to_string(i) + (i % 3 ? "\r\n" : "\r");
    WriteFile(dir.File("from"), bytes);
    for (const bool plain : {false, true}) {
        SCOPED_TRACE(plain ? "buffer" : "kernel");
        TestSeam().plainCopy = plain;
        const int from = ::open(dir.File("from").c_str(), O_RDONLY);
        const int to = ::open(dir.File("to").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_EQ(::write(to, "<", 1), 1);
        EXPECT_TRUE(CopyRange(from, 7, to, bytes.size() - 9));
        EXPECT_EQ(::lseek(from, 0, SEEK_CUR), 0) << "the source's position stays";
        EXPECT_FALSE(CopyRange(from, bytes.size() - 1, to, 2)) << "the source ends early";
        ::close(from);
        ::close(to);
        EXPECT_TRUE(ReadFile(dir.File("to")) == "<" + bytes.substr(7, bytes.size() - 9) + bytes.back());
    }
}

TEST(AtomicFileWriter, ReplacesKeepsModeAndFollowsLinks)
{
    TempDir dir;
    const auto target = dir.File("real.eml");
    WriteFile(target, "old");
    ::chmod(target.c_str(), 0640);
    std::filesystem::create_symlink(target, dir.File("link.eml"));
    WriteWholeFile(dir.File("link.eml"), "new");
    EXPECT_EQ(ReadFile(target), "new");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.eml")));
    struct stat st {};
    ::stat(target.c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(ListFolder(dir.Path()), "link.eml real.eml ");
}

TEST(AtomicFileWriter, FailureLeavesOriginalAndNoTemporary)
{
    SeamGuard guard;
    TempDir dir;
    const auto target = dir.File("a.eml");
    WriteFile(target, "original");
    TestSeam().failBeforeRename = [](const std::string&) { return true; };
    try {
        WriteWholeFile(target, "changed", "a.eml");
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "ﾌｧｲﾙ a.eml を作成できません");
    }
    EXPECT_EQ(ReadFile(target), "original");
    EXPECT_EQ(ListFolder(dir.Path()), "a.eml ");
}

TEST(AtomicFileWriter, RefusesFileUserMayNotWrite)
{
    SeamGuard guard;
    TempDir dir;
    const auto target = dir.File("ro.eml");
    WriteFile(target, "keep");
    TestSeam().mayWrite = [](const std::string&) { return false; };
    EXPECT_THROW(WriteWholeFile(target, "x"), Error);
    EXPECT_EQ(ReadFile(target), "keep");
    EXPECT_EQ(ListFolder(dir.Path()), "ro.eml ");
}

TEST(AtomicFileWriter, ReplacesAFileWhoseNameIsAsLongAsAllowed)
{
    // 83 three-byte characters: a long Japanese subject used as a file name.
    TempDir dir;
    std::string name;
    for (int i = 0; i < 83; ++i)
        name += "\xe4\xbb\xb6";
    name += ".eml";
    const auto target = dir.File(name);
    WriteFile(target, "old");
    WriteWholeFile(target, "new");
    EXPECT_EQ(ReadFile(target), "new");
    EXPECT_EQ(ListFolder(dir.Path()), name + " ");
}

TEST(AtomicFileWriter, WritesAHiddenTemporaryFileBesideTheTarget)
{
    TempDir dir;
    const auto target = dir.File("a.eml");
    WriteFile(target, "old");
    AtomicFileWriter writer(target);
    writer.Write("new");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string());
    ASSERT_EQ(names.size(), 2u);
    const std::string temp = names[0] == "a.eml" ? names[1] : names[0];
    EXPECT_EQ(temp.substr(0, 13), ".a.eml.nvtmp-");
    EXPECT_TRUE(IsTemporaryName(temp));
    writer.Commit();
    EXPECT_EQ(ReadFile(target), "new");
    EXPECT_EQ(ListFolder(dir.Path()), "a.eml ");
}

TEST(AtomicFileWriter, KeepsOwnerAndGroupWhereItMay)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give files away";
    TempDir dir;
    const auto target = dir.File("n.ini");
    WriteFile(target, "old");
    ASSERT_EQ(::chown(target.c_str(), kNobody, kNobody), 0);
    ::chmod(target.c_str(), 0640);
    WriteWholeFile(target, "new");
    struct stat st {};
    ::stat(target.c_str(), &st);
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_gid, kNobody);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadFile(target), "new");
}

TEST(AtomicFileWriter, MissingFolderIsCreateError)
{
    EXPECT_THROW(WriteWholeFile("/nonexistent-dir/x.ini", "x"), Error);
}

TEST(PublishTemporaryFile, TakesTheNameOrTheNextFreeOneNeverReplacingAFile)
{
    SeamGuard guard;
    struct Case {
        const char* name;
        std::vector<std::string> taken;  // made since the name was chosen
        std::vector<std::string> next;   // the names next gives, then none
        int attempts;
        bool failBeforeRename;
        std::string placed;  // the name taken; empty: the error naming failing
        std::string failing;
    } cases[] = {
        {"a free name", {}, {}, 3, false, "a.txt", ""},
        {"taken: the next name", {"a.txt"}, {"a-2.txt"}, 3, false, "a-2.txt", ""},
        {"the next taken too", {"a.txt", "a-2.txt"}, {"a-2.txt", "a-3.txt"}, 3, false, "a-3.txt", ""},
        {"no other name", {"a.txt"}, {}, 3, false, "", "a.txt"},
        {"the attempts used up", {"a.txt", "a-2.txt"}, {"a-2.txt", "a-3.txt"}, 2, false, "", "a-3.txt"},
        {"the write fails before the rename", {}, {}, 3, true, "", "a.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        TestSeam().failBeforeRename = [&](const std::string&) { return c.failBeforeRename; };
        const int dirFd = ::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ASSERT_GE(dirFd, 0);
        std::string temp;
        const int fd = CreateTemporaryFile(dirFd, {}, "a.txt", temp);
        ASSERT_GE(fd, 0);
        ASSERT_TRUE(WriteAll(fd, "content"));
        for (const auto& name : c.taken)
            WriteFile(dir.File(name), "other");
        std::size_t asked = 0;
        const auto next = [&]() -> std::optional<std::string> {
            if (asked == c.next.size())
                return std::nullopt;
            return c.next[asked++];
        };
        std::string placed;
        const std::string error =
            ErrorText([&] { placed = PublishTemporaryFile(fd, dirFd, temp, "a.txt", "shown/", c.attempts, next); });
        ::close(dirFd);
        if (c.placed.empty()) {
            EXPECT_EQ(error, FormatMessage(kMsgCannotCreate, "shown/" + c.failing));
        } else {
            EXPECT_EQ(error, "(no error)");
            EXPECT_EQ(placed, c.placed);
            EXPECT_EQ(ReadFile(dir.File(c.placed)), "content");
        }
        for (const auto& name : c.taken)
            EXPECT_EQ(ReadFile(dir.File(name)), "other");
        std::vector<std::string> names = c.taken;
        if (!c.placed.empty())
            names.push_back(c.placed);
        std::sort(names.begin(), names.end());
        std::string listed;
        for (const auto& name : names)
            listed += name + " ";
        EXPECT_EQ(ListFolder(dir.Path()), listed) << "no temporary file is left";
    }
}

TEST(ReplaceExtension, HostAndShiftJisBackslashRules)
{
    struct Case {
        const char* path;
        TextRules rules;
        const char* expected;
    } cases[] = {
        {"/m/a.eml", TextRules{false, "/"}, "/m/a.bak"},
        {"/m/mail", TextRules{false, "/"}, "/m/mail.bak"},
        {"/m.d/mail", TextRules{false, "/"}, "/m.d/mail.bak"},
        {"/m/a.b.c", TextRules{false, "/"}, "/m/a.b.bak"},
        {"/m/x.bak", TextRules{false, "/"}, "/m/x.bak"},
        {"C:\\Apps\\Tool.EXE", kShiftJisBackslashRules, "C:\\Apps\\Tool.bak"},
        {"C:\\a.b\\mail", kShiftJisBackslashRules, "C:\\a.b\\mail.bak"},
        {"C:mail", kShiftJisBackslashRules, "C:mail.bak"},
        // 0x95 0x5C is one double-byte character: its trail byte is no separator.
        {"C:\\d.x\\\x95\x5Cmail", kShiftJisBackslashRules, "C:\\d.x\\\x95\x5Cmail.bak"},
        // A trail byte equal to '.' is no extension dot either.
        {"C:\\\x82\x2Ex", kShiftJisBackslashRules, "C:\\\x82\x2Ex.bak"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ReplaceExtension(c.path, ".bak", c.rules), c.expected);
    }
}

TEST(SplitPath, FolderKeepsItsSeparator)
{
    EXPECT_EQ(SplitPath("/a/b/c.eml", TextRules{false, "/"}), (std::pair<std::string, std::string>{"/a/b/", "c.eml"}));
    EXPECT_EQ(SplitPath("c.eml", TextRules{false, "/"}), (std::pair<std::string, std::string>{"", "c.eml"}));
    EXPECT_EQ(SplitPath("C:x\\y", kShiftJisBackslashRules), (std::pair<std::string, std::string>{"C:x\\", "y"}));
    EXPECT_EQ(SplitPath("a\\b:c", TextRules{false, "/"}), (std::pair<std::string, std::string>{"", "a\\b:c"}));
}

}  // namespace norvane::test
