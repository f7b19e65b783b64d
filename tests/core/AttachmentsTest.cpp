#include "engine/Attachments.h"
#include "engine/Error.h"
#include "engine/FileIo.h"
#include "MailLines.h"
#include "TestFiles.h"

#include <random>

namespace norvane::test {

using namespace std::string_literals;

namespace {

struct Collect : LineSink {
    void PutLine(std::string_view line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

struct Removal {
    std::vector<std::string> lines;
    int removed = 0;
};

// Streams a file's lines through the remover, as the Vesk job does.
Removal StreamRemove(const std::string& path, bool removeTraces)
{
    Removal result;
    Collect out;
    LineReader reader(path);
    AttachmentRemover remover(removeTraces, out, reader);
    std::string_view line;
    while (reader.Next(line))
        remover.PutLine(line);
    remover.Finish();
    result.lines = std::move(out.lines);
    result.removed = remover.Removed();
    return result;
}

bool IsDelimiterOf(const std::string& line, const std::string& boundary)
{
    const auto at = line.find(boundary);
    return at != std::string::npos && at < 3;
}

// The scan over a whole list of lines by index, deleting in place: a second,
// independent way of doing the removal, to hold the streaming one against.
Removal IndexedRemove(std::vector<std::string> lines, bool removeTraces)
{
    int state = 0;
    std::string boundary;
    std::ptrdiff_t partStart = -1;
    int removed = 0;
    std::vector<std::string> body;  // deleted since the last entry into state 3
    std::size_t bodyAt = 0;
    std::size_t i = 0;
    while (i < lines.size()) {
        const std::string line = lines[i];
        if (state == 0 || state == 3) {
            if (i + 1 < lines.size())
                if (auto declared = FindBoundary(line, lines[i + 1]); !declared.empty())
                    boundary = declared;
            if (!boundary.empty() && IsDelimiterOf(line, boundary)) {
                const bool closing = line.rfind("--" + boundary + "--", 0) == 0;
                if (state == 0) {
                    if (closing)
                        boundary.clear();
                    else {
                        partStart = static_cast<std::ptrdiff_t>(i);
                        state = 1;
                    }
                    ++i;
                    continue;
                }
                if (closing)
                    boundary.clear();
                removed += static_cast<int>(body.size());
                body.clear();
                if (removeTraces && partStart >= 0) {
                    while (!lines[partStart].empty() && static_cast<std::size_t>(partStart) + 1 != lines.size()) {
                        lines.erase(lines.begin() + partStart);
                        ++removed;
                        --i;
                    }
                }
                partStart = -1;
                state = 0;
                continue;  // the same line once more, in state 0
            }
            if (state == 3) {
                if (body.empty())
                    bodyAt = i;
                body.push_back(line);
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
        } else if (state == 1) {
            if (line.empty()) {
                partStart = -1;
                state = 0;
            } else if (line.rfind("Content-Disposition: ", 0) == 0) {
                state = 2;
            }
        } else if (line.empty()) {
            state = 3;
        }
        ++i;
    }
    if (state == 3)
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(bodyAt), body.begin(), body.end());
    return {lines, removed};
}

// The message of the worked example: a text part and an attachment.
constexpr const char* kExample =
    "Content-Type: multipart/mixed; boundary=\"XYZ\"\n"
    "\n"
    "--XYZ\n"
    "Content-Type: text/plain\n"
    "\n"
    "Hello\n"
    "--XYZ\n"
    "Content-Type: application/octet-stream\n"
    "Content-Disposition: attachment; filename=\"a.bin\"\n"
    "\n"
    "QUFBQQ==\n"
    "QkJCQg==\n"
    "--XYZ--";

}  // namespace

TEST(FindBoundary, TakesTheDeclaredBoundary)
{
    struct Case {
        const char* name;
        const char* line;
        const char* next;
        const char* boundary;
    } cases[] = {
        {"on the line", "Content-Type: multipart/mixed; boundary=\"XYZ\"", "", "XYZ"},
        {"folded with a TAB", "Content-Type: multipart/mixed;", "\tboundary=\"abc-1\"", "abc-1"},
        {"folded with a blank", "Content-Type: multipart/mixed;", " boundary=\"q\"", "q"},
        {"at position 1 of the next line", "Content-Type: multipart/mixed;", "boundary=\"abc\"", ""},
        {"the line's own wins", "Content-Type: multipart/mixed; boundary=\"one\"", "\tboundary=\"two\"", "one"},
        {"alternative", "Content-Type: multipart/alternative; boundary=\"XYZ\"", "", ""},
        {"related", "Content-Type: multipart/related;", "\tboundary=\"XYZ\"", ""},
        {"lower case", "content-type: multipart/mixed; boundary=\"XYZ\"", "", ""},
        {"mixed case value", "Content-Type: Multipart/Mixed; boundary=\"XYZ\"", "", ""},
        {"no blank", "Content-Type:multipart/mixed; boundary=\"XYZ\"", "", ""},
        {"two blanks", "Content-Type:  multipart/mixed; boundary=\"XYZ\"", "", ""},
        {"not at position 1", " Content-Type: multipart/mixed; boundary=\"XYZ\"", "", ""},
        {"no semicolon", "Content-Type: multipart/mixed boundary=\"XYZ\"", "", ""},
        {"unquoted", "Content-Type: multipart/mixed; boundary=XYZ", "", ""},
        {"upper-case parameter", "Content-Type: multipart/mixed; BOUNDARY=\"XYZ\"", "", ""},
        {"text after the quote", "Content-Type: multipart/mixed; boundary=\"XYZ\"; x=1", "", "XYZ\"; x="},
        {"empty boundary", "Content-Type: multipart/mixed; boundary=\"\"", "", ""},
        {"quote at the end", "Content-Type: multipart/mixed; boundary=\"", "", ""},
        {"one character", "Content-Type: multipart/mixed; boundary=\"a\"", "", "a"},
        {"no parameter anywhere", "Content-Type: multipart/mixed;", "\tcharset=\"x\"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FindBoundary(c.line, c.next), c.boundary);
    }
}

TEST(RemoveAttachments, WorkedExampleGivesTwoAndFive)
{
    TempDir dir;
    const std::string path = dir.File("m.eml");
    for (const auto& end : kLineEnds) {
        SCOPED_TRACE(end.name);
        WriteFile(path, FileBytes(Lines(kExample), end.eol));
        EXPECT_EQ(RemoveAttachments(path, false, true, false), 2);
        EXPECT_EQ(ReadFile(path),
                  CrLf("Content-Type: multipart/mixed; boundary=\"XYZ\"\n\n--XYZ\nContent-Type: text/plain\n\n"
                       "Hello\n--XYZ\nContent-Type: application/octet-stream\n"
                       "Content-Disposition: attachment; filename=\"a.bin\"\n\n--XYZ--"));

        WriteFile(path, FileBytes(Lines(kExample), end.eol));
        EXPECT_EQ(RemoveAttachments(path, false, true, true), 5);
        EXPECT_EQ(ReadFile(path), CrLf("Content-Type: multipart/mixed; boundary=\"XYZ\"\n\n--XYZ\n"
                                       "Content-Type: text/plain\n\nHello\n\n--XYZ--"));
        EXPECT_EQ(ListFolder(dir.Path()), "m.eml ");
    }
}

TEST(RemoveAttachments, FollowsTheScanRules)
{
    struct Case {
        const char* name;
        std::string input;
        std::string bodiesResult;  // removeBodies only
        int bodiesRemoved;
        std::string tracesResult;  // removeTraces as well
        int tracesRemoved;
    } cases[] = {
        {"a part without Content-Disposition stays whole",
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Type: image/png; name=\"x.png\"\n\nUE5H\n--b--",
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Type: image/png; name=\"x.png\"\n\nUE5H\n--b--",
         0,
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Type: image/png; name=\"x.png\"\n\nUE5H\n--b--",
         0},
        {"an inline part is removed too",
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Disposition: inline\n\ntext\nmore\n--b--\nafter",
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Disposition: inline\n\n--b--\nafter", 2,
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n\n--b--\nafter", 4},
        {"disposition in other letter case is no disposition",
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\ncontent-disposition: attachment\n\nQUFB\n--b--",
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\ncontent-disposition: attachment\n\nQUFB\n--b--", 0,
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\ncontent-disposition: attachment\n\nQUFB\n--b--", 0},
        {"alternative declares nothing",
         "Content-Type: multipart/alternative; boundary=\"b\"\n\n--b\nContent-Disposition: attachment\n\nQUFB\n--b--",
         "Content-Type: multipart/alternative; boundary=\"b\"\n\n--b\nContent-Disposition: attachment\n\nQUFB\n--b--", 0,
         "Content-Type: multipart/alternative; boundary=\"b\"\n\n--b\nContent-Disposition: attachment\n\nQUFB\n--b--", 0},
        {"boundary two lines below is not found",
         "Content-Type: multipart/mixed;\n\tname=x\n\tboundary=\"b\"\n\n--b\nContent-Disposition: attachment\n\nQUFB\n--b--",
         "Content-Type: multipart/mixed;\n\tname=x\n\tboundary=\"b\"\n\n--b\nContent-Disposition: attachment\n\nQUFB\n--b--", 0,
         "Content-Type: multipart/mixed;\n\tname=x\n\tboundary=\"b\"\n\n--b\nContent-Disposition: attachment\n\nQUFB\n--b--", 0},
        {"boundary on the folded next line",
         "Content-Type: multipart/mixed;\n\tboundary=\"b\"\n\n--b\nContent-Disposition: attachment\n\nQUFB\n--b--",
         "Content-Type: multipart/mixed;\n\tboundary=\"b\"\n\n--b\nContent-Disposition: attachment\n\n--b--", 1,
         "Content-Type: multipart/mixed;\n\tboundary=\"b\"\n\n\n--b--", 3},
        {"text after the closing quote matches no delimiter",
         "Content-Type: multipart/mixed; boundary=\"b\"; x=1\n\n--b\nContent-Disposition: attachment\n\nQUFB\n--b--",
         "Content-Type: multipart/mixed; boundary=\"b\"; x=1\n\n--b\nContent-Disposition: attachment\n\nQUFB\n--b--", 0,
         "Content-Type: multipart/mixed; boundary=\"b\"; x=1\n\n--b\nContent-Disposition: attachment\n\nQUFB\n--b--", 0},
        {"boundary at position 4 is no delimiter",
         "Content-Type: multipart/mixed; boundary=\"bb\"\n\n--bb\nContent-Disposition: attachment\n\nQUFB\n---bb\nxyzbb\n--bb--",
         "Content-Type: multipart/mixed; boundary=\"bb\"\n\n--bb\nContent-Disposition: attachment\n\n--bb--", 3,
         "Content-Type: multipart/mixed; boundary=\"bb\"\n\n\n--bb--", 5},
        {"a boundary beginning with dashes sits at position 1",
         "Content-Type: multipart/mixed; boundary=\"--=_x\"\n\n--=_x\nContent-Disposition: attachment\n\nQUFB\n----=_x--",
         "Content-Type: multipart/mixed; boundary=\"--=_x\"\n\n--=_x\nContent-Disposition: attachment\n\n----=_x--", 1,
         "Content-Type: multipart/mixed; boundary=\"--=_x\"\n\n\n----=_x--", 3},
        {"a short boundary near the start of ordinary lines",
         "Content-Type: multipart/mixed; boundary=\"a\"\n\nxa\nContent-Disposition: attachment\n\nQUFB\nbad\nzz\n--a--",
         "Content-Type: multipart/mixed; boundary=\"a\"\n\nxa\nContent-Disposition: attachment\n\nbad\nzz\n--a--", 1,
         "Content-Type: multipart/mixed; boundary=\"a\"\n\n\nbad\nzz\n--a--", 3},
        {"headers that never end",
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Disposition: attachment\nX-A: 1\nQUFB",
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Disposition: attachment\nX-A: 1\nQUFB", 0,
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Disposition: attachment\nX-A: 1\nQUFB", 0},
        {"the boundary stays in force into the next message",
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Type: text/plain\n\nhi\n"
         "From next\nSubject: 2\n\n--b\nContent-Disposition: attachment\n\nQUFB\n--b--",
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Type: text/plain\n\nhi\n"
         "From next\nSubject: 2\n\n--b\nContent-Disposition: attachment\n\n--b--",
         1,
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Type: text/plain\n\nhi\n"
         "From next\nSubject: 2\n\n\n--b--",
         3},
        {"a later declaration replaces the boundary",
         "Content-Type: multipart/mixed; boundary=\"b\"\n\nFrom next\nContent-Type: multipart/mixed; boundary=\"c\"\n\n"
         "--b\nContent-Disposition: attachment\n\nx\n--c\nContent-Disposition: attachment\n\nQUFB\n--c--",
         "Content-Type: multipart/mixed; boundary=\"b\"\n\nFrom next\nContent-Type: multipart/mixed; boundary=\"c\"\n\n"
         "--b\nContent-Disposition: attachment\n\nx\n--c\nContent-Disposition: attachment\n\n--c--",
         1,
         "Content-Type: multipart/mixed; boundary=\"b\"\n\nFrom next\nContent-Type: multipart/mixed; boundary=\"c\"\n\n"
         "--b\nContent-Disposition: attachment\n\nx\n\n--c--",
         3},
        {"a forwarded multipart inside an attachment",
         "Content-Type: multipart/mixed; boundary=\"out\"\n\n--out\nContent-Disposition: attachment\n\n"
         "Subject: fwd\nContent-Type: multipart/mixed; boundary=\"in\"\n\n--in\nContent-Type: text/plain\n\nbody\n"
         "--in--\nrest\n--out--",
         "Content-Type: multipart/mixed; boundary=\"out\"\n\n--out\nContent-Disposition: attachment\n\n"
         "--in\nContent-Type: text/plain\n\nbody\n--in--\nrest\n--out--",
         3,
         "Content-Type: multipart/mixed; boundary=\"out\"\n\n\n"
         "--in\nContent-Type: text/plain\n\nbody\n--in--\nrest\n--out--",
         5},
        {"a body reaching the end of the file is kept",
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Disposition: attachment\n\nQUFB\nQkJC",
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Disposition: attachment\n\nQUFB\nQkJC", 0,
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Disposition: attachment\n\nQUFB\nQkJC", 0},
        {"only the unfinished body is kept",
         "Content-Type: multipart/mixed; boundary=\"XYZ\"\n\n--XYZ\nContent-Disposition: attachment\n\nQUFB\n"
         "--XYZ\nContent-Disposition: attachment\n\nQkJC\nFrom next\nSubject: s\n\nbody",
         "Content-Type: multipart/mixed; boundary=\"XYZ\"\n\n--XYZ\nContent-Disposition: attachment\n\n"
         "--XYZ\nContent-Disposition: attachment\n\nQkJC\nFrom next\nSubject: s\n\nbody",
         1,
         "Content-Type: multipart/mixed; boundary=\"XYZ\"\n\n\n"
         "--XYZ\nContent-Disposition: attachment\n\nQkJC\nFrom next\nSubject: s\n\nbody",
         3},
        {"a closing delimiter in state 0 opens no part",
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Type: text/plain\n\nhi\n--b--\n"
         "Content-Disposition: attachment\n\nkeep me\n--b\nmore",
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Type: text/plain\n\nhi\n--b--\n"
         "Content-Disposition: attachment\n\nkeep me\n--b\nmore",
         0,
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Type: text/plain\n\nhi\n--b--\n"
         "Content-Disposition: attachment\n\nkeep me\n--b\nmore",
         0},
        {"a declaration on the last line is not looked at",
         "x\nContent-Type: multipart/mixed; boundary=\"b\"", "x\nContent-Type: multipart/mixed; boundary=\"b\"", 0,
         "x\nContent-Type: multipart/mixed; boundary=\"b\"", 0},
        {"NUL bytes are ordinary",
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Disposition: attachment\n\nA\0B\n--b--\nC\0"s,
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Disposition: attachment\n\n--b--\nC\0"s, 1,
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n\n--b--\nC\0"s, 3},
    };
    TempDir dir;
    const std::string path = dir.File("m.eml");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& end : kLineEnds) {
            SCOPED_TRACE(end.name);
            WriteFile(path, FileBytes(Lines(c.input), end.eol));
            EXPECT_EQ(RemoveAttachments(path, false, true, false), c.bodiesRemoved);
            EXPECT_EQ(ReadFile(path), CrLf(c.bodiesResult));
            WriteFile(path, FileBytes(Lines(c.input), end.eol));
            EXPECT_EQ(RemoveAttachments(path, false, true, true), c.tracesRemoved);
            EXPECT_EQ(ReadFile(path), CrLf(c.tracesResult));
        }
    }
}

TEST(AttachmentRemover, StreamsAsTheIndexedScanRemoves)
{
    // Random files from lines that matter to the scan, every line end form
    // mixed, each compared with the scan over the whole list.
    const std::vector<std::string> vocabulary = {
        "Content-Type: multipart/mixed; boundary=\"b1\"",
        "Content-Type: multipart/mixed;",
        "\tboundary=\"b2\"",
        "--b1",
        "--b1--",
        "--b2",
        "--b2--",
        "x--b1",
        "---b1",
        "Content-Disposition: attachment",
        "Content-Disposition: inline",
        "Content-Type: text/plain",
        "",
        "",
        "",
        "QUFB",
        "From a",
        "Subject: x",
        "\tmore",
        "b1b2",
    };
    std::mt19937 random(20261207);
    // All rounds share one file, each after a separator line; the remover
    // reads a stretch again only as far as it deleted, so a round's replay
    // stays within the round.
    struct Round {
        std::uint64_t offset;
        std::vector<std::string> lines;
    };
    std::vector<Round> rounds(2000);
    std::string bytes;
    for (auto& round : rounds) {
        bytes += "SEP\n";
        round.offset = bytes.size();
        bytes += RandomLines(random, vocabulary, random() % 32, &round.lines);
    }
    TempDir dir;
    WriteFile(dir.File("m.eml"), bytes);
    LineReader reader(dir.File("m.eml"));
    for (std::size_t r = 0; r < rounds.size(); ++r) {
        // Held traces kept in memory, and read again from the input when
        // they pass the limit at once or after a few lines.
        const std::size_t limits[] = {AttachmentRemover::kHoldLimit, 0, 40};
        for (const bool traces : {false, true}) {
            const Removal expected = IndexedRemove(rounds[r].lines, traces);
            for (const std::size_t limit : limits) {
                SCOPED_TRACE("round " + std::to_string(r) + (traces ? " traces" : "") + " limit " +
                             std::to_string(limit));
                Collect out;
                AttachmentRemover remover(traces, out, reader, limit);
                reader.Seek(rounds[r].offset);
                std::string_view line;
                std::size_t n = 0;
                for (; n < rounds[r].lines.size() && reader.Next(line); ++n) {
                    ASSERT_EQ(line, rounds[r].lines[n]) << "the input is where it was";
                    remover.PutLine(line);
                }
                remover.Finish();
                ASSERT_EQ(out.lines, expected.lines);
                ASSERT_EQ(remover.Removed(), expected.removed);
            }
        }
    }
}

TEST(AttachmentRemover, KeepsALongUnfinishedBodyReadAgain)
{
    std::string bytes = "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Disposition: attachment\n\n";
    std::vector<std::string> expected = Lines("Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\n"
                                              "Content-Disposition: attachment\n");
    for (int i = 0; i < 40000; ++i) {
        std::string line = "QUFBQUFB" + std::to_string(i) + std::string(60, 'x');
        bytes += line + (i % 2 ? "\r\n" : "\n");
        expected.push_back(line);
    }
    bytes += "\rtail";
    expected.emplace_back("");
    expected.emplace_back("tail");
    TempDir dir;
    WriteFile(dir.File("m.eml"), bytes);
    for (const bool traces : {false, true}) {
        SCOPED_TRACE(traces ? "traces" : "bodies");
        const Removal streamed = StreamRemove(dir.File("m.eml"), traces);
        EXPECT_EQ(streamed.removed, 0);
        EXPECT_TRUE(streamed.lines == expected);
    }
}

TEST(RemoveAttachments, BackupIsAnExactCopyTakenOnlyWhenTheFileChanges)
{
    TempDir dir;
    const std::string path = dir.File("m.eml");
    const std::string original = FileBytes(Lines(kExample), "\n");
    WriteFile(path, original);
    EXPECT_EQ(RemoveAttachments(path, true, false, false), 0);
    EXPECT_EQ(ReadFile(path), original) << "removal off leaves the mail file alone";
    EXPECT_EQ(ListFolder(dir.Path()), "m.eml ") << "and takes no backup";

    EXPECT_EQ(RemoveAttachments(path, true, true, true), 5);
    EXPECT_EQ(ReadFile(dir.File("m.bak")), original) << "the backup is the file as it was";
    EXPECT_EQ(ListFolder(dir.Path()), "m.bak m.eml ");
}

TEST(RemoveAttachments, LeavesFilesOfFewerThanTwoLinesAlone)
{
    TempDir dir;
    for (const std::string bytes : {"", "one line", "one line\r\n", "\n"}) {
        SCOPED_TRACE(bytes);
        WriteFile(dir.File("m.eml"), bytes);
        EXPECT_EQ(RemoveAttachments(dir.File("m.eml"), true, true, true), 0);
        EXPECT_EQ(ReadFile(dir.File("m.eml")), bytes);
        EXPECT_EQ(ListFolder(dir.Path()), "m.eml ");
    }
}

TEST(RemoveAttachments, NamesTheBackupByTheExtensionRule)
{
    struct Case {
        const char* mail;
        const char* backup;
    } cases[] = {
        {"a.eml", "a.bak"},
        {"mail", "mail.bak"},
        {"x.y.txt", "x.y.bak"},
        {"x.bak", "x.bak.bak"},  // the ".bak" name would be the mail file itself
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mail);
        TempDir dir;
        WriteFile(dir.File(c.mail), "a\nb\n");
        RemoveAttachments(dir.File(c.mail), true, true, false);
        EXPECT_EQ(ReadFile(dir.File(c.backup)), "a\nb\n");
        EXPECT_EQ(ReadFile(dir.File(c.mail)), "a\r\nb\r\n");
    }
}

TEST(RemoveAttachments, FailuresNameTheFileAndKeepTheMail)
{
    SeamGuard guard;
    TempDir dir;
    const std::string path = dir.File("m.eml");
    const std::string original = FileBytes(Lines(kExample), "\n");

    try {
        RemoveAttachments(dir.File("none.eml"), true, true, true);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "ﾌｧｲﾙ " + dir.File("none.eml") + " は開けません");
    }
    EXPECT_EQ(ListFolder(dir.Path()), "");

    WriteFile(path, original);
    TestSeam().failBeforeRename = [](const std::string& target) { return target.ends_with("m.bak"); };
    try {
        RemoveAttachments(path, true, true, true);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "ﾌｧｲﾙ " + dir.File("m.bak") + " を作成できません");
    }
    EXPECT_EQ(ReadFile(path), original) << "a failed backup leaves the mail file alone";
    EXPECT_EQ(ListFolder(dir.Path()), "m.eml ");

    TestSeam() = FileSystemSeam{};
    TestSeam().mayWrite = [](const std::string& target) { return !target.ends_with("m.eml"); };
    try {
        RemoveAttachments(path, true, true, true);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "ﾌｧｲﾙ " + path + " を作成できません");
    }
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_EQ(ListFolder(dir.Path()), "m.eml ") << "a refused file gets no backup";
}

}  // namespace norvane::test

namespace norvane::test {

namespace {

struct OptionCase {
    const char* name;
    std::string input;
    std::string bodiesResult;  // removeBodies only
    int bodiesRemoved;
    std::string tracesResult;  // removeTraces as well
    int tracesRemoved;
    bool protectedEntity = false;
};

// Runs each case in every line end form, keeping the line ends, and returns
// the bodies-only results of the first form for comparisons.
std::vector<std::string> RunRemovals(const RemovalOptions& base, const std::vector<OptionCase>& cases)
{
    std::vector<std::string> results;
    TempDir dir(true);
    const std::string path = dir.File("m.eml");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& end : kLineEnds) {
            SCOPED_TRACE(end.name);
            RemovalOptions options = base;
            options.keepLineEnds = true;
            WriteFile(path, FileBytes(Lines(c.input), end.eol));
            options.removeTraces = false;
            RemovalResult result = RemoveAttachments(path, false, true, options);
            if (&end == &kLineEnds[0])
                results.push_back(ReadFile(path));
            EXPECT_EQ(result.removed, c.bodiesRemoved);
            EXPECT_EQ(result.protectedEntity, c.protectedEntity);
            EXPECT_EQ(ReadFile(path), FileBytes(Lines(c.bodiesResult), end.eol));
            WriteFile(path, FileBytes(Lines(c.input), end.eol));
            options.removeTraces = true;
            result = RemoveAttachments(path, false, true, options);
            EXPECT_EQ(result.removed, c.tracesRemoved);
            EXPECT_EQ(result.protectedEntity, c.protectedEntity);
            EXPECT_EQ(ReadFile(path), FileBytes(Lines(c.tracesResult), end.eol));
        }
    }
    return results;
}

}  // namespace

TEST(RemoveAttachments, ReadsMimeWordsInAnyLetterCase)
{
    const auto removed = [](const std::string& header, const std::string& disposition = "Content-Disposition: a") {
        return OptionCase{"", header + "\n\n--b\n" + disposition + "\n\nQUFB\n--b--",
                          header + "\n\n--b\n" + disposition + "\n\n--b--", 1, header + "\n\n\n--b--", 3};
    };
    const auto kept = [](const std::string& header) {
        const std::string text = header + "\n\n--b\nContent-Disposition: attachment\n\nQUFB\n--b--";
        return OptionCase{"", text, text, 0, text, 0};
    };
    std::vector<OptionCase> cases = {
        removed("Content-Type: multipart/mixed; boundary=\"b\"", "content-disposition: attachment"),
        removed("CONTENT-TYPE:\tMultipart/Mixed; Boundary=\"b\"", "Content-Disposition:\t \tinline"),
        removed("content-type:multipart/mixed;boundary=b", "CONTENT-DISPOSITION:attachment"),
        removed("Content-Type: multipart/mixed;\n\tcharset=x;\n\tBOUNDARY=\"b\""),
        removed("Content-Type: multipart/mixed; boundary=\"b\"; x=1"),
        removed("Content-Type: multipart/mixed\n  ; boundary=b"),
        kept("Content-Type: multipart/mixedx; boundary=\"b\""),
        kept("Content-Type: multipart/alternative; boundary=\"b\""),
        kept("Content-Type: multipart/mixed;\nSubject: s\n\tboundary=\"b\""),
        kept("Content-Type : multipart/mixed; boundary=\"b\""),
    };
    const char* names[] = {"lower-case disposition", "mixed case, TABs after the colons", "no blank after the colons",
                           "boundary on a later continuation line", "text after the closing quote",
                           "the parameter on a continuation line of its own", "another type that begins alike",
                           "alternative declares nothing", "a continuation line under another header",
                           "a blank before the colon"};
    for (std::size_t i = 0; i < cases.size(); ++i)
        cases[i].name = names[i];
    RemovalOptions options;
    options.anyCase = true;
    RunRemovals(options, cases);
}

TEST(RemoveAttachments, KeepsSignedAndEncryptedPartsWhole)
{
    const std::string signedPart =
        "--out\nContent-Type: multipart/signed; boundary=\"sig\"; protocol=\"application/pkcs7-signature\"\n\n"
        "--sig\nContent-Type: multipart/mixed; boundary=\"in\"\n\n--in\nContent-Type: text/plain\n\nsigned text\n"
        "--in\nContent-Type: application/pdf\nContent-Disposition: attachment; filename=\"a.pdf\"\n\nJVBERi0x\n"
        "--in--\n--sig\nContent-Type: application/pkcs7-signature\n"
        "Content-Disposition: attachment; filename=\"smime.p7s\"\n\nMIIB\n--sig--\n";
    const std::string mixed = "Content-Type: multipart/mixed; boundary=\"out\"\n\n--out\nContent-Type: text/plain\n\n"
                              "hello\n" + signedPart;
    const std::string pdf = "--out\nContent-Type: application/pdf\nContent-Disposition: attachment\n\nQkJC\n--out--";
    const std::string encrypted =
        "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Type: application/pkcs7-mime; "
        "smime-type=enveloped-data\nContent-Disposition: attachment; filename=\"smime.p7m\"\n\nMIIB\nQUFB\n--b--";
    const std::string signedMessage =
        "From a\nContent-Type: multipart/signed; boundary=\"s\"; protocol=\"application/pkcs7-signature\"\n\n--s\n"
        "Content-Type: multipart/mixed; boundary=\"m\"\n\n--m\nContent-Disposition: attachment; filename=\"a.txt\"\n"
        "\nQUFB\n--m--\n\n--s\nContent-Type: application/pkcs7-signature\n\nMIIB\n--s--\n\n";
    const std::string next = "From b\nContent-Type: multipart/mixed; boundary=\"b\"\n\n--b\n"
                             "Content-Disposition: attachment\n\n";
    const std::string inside =
        "Content-Type: multipart/mixed; boundary=\"out\"\n\n--out\nContent-Type: multipart/mixed; boundary=\"in\"\n"
        "Content-Disposition: attachment\n\n--in\nContent-Type: multipart/signed; boundary=\"s\"\n\n--s\nsigned\n"
        "--s--\n--in--\n--out--";
    const std::vector<OptionCase> cases = {
        {"a signed part among attachments", mixed + pdf,
         mixed + "--out\nContent-Type: application/pdf\nContent-Disposition: attachment\n\n--out--", 1,
         mixed + "\n--out--", 4, true},
        {"an encrypted part with a disposition", encrypted, encrypted, 0, encrypted, 0, true},
        {"a signed message, then one that is not", signedMessage + next + "QUFB\n--b--",
         signedMessage + next + "--b--", 1,
         signedMessage + "From b\nContent-Type: multipart/mixed; boundary=\"b\"\n\n\n--b--", 3, true},
    };
    RemovalOptions options;
    options.protectSigned = true;
    for (const bool anyCase : {false, true}) {
        SCOPED_TRACE(anyCase ? "any case" : "letter case as written");
        options.anyCase = anyCase;
        const auto results = RunRemovals(options, cases);
        // Without protection every one of them loses lines.
        RemovalOptions unprotected = options;
        unprotected.protectSigned = false;
        TempDir dir(true);
        for (std::size_t i = 0; i < cases.size(); ++i) {
            SCOPED_TRACE(cases[i].name);
            WriteFile(dir.File("m.eml"), FileBytes(Lines(cases[i].input), kLineEnds[0].eol));
            unprotected.keepLineEnds = true;
            EXPECT_FALSE(RemoveAttachments(dir.File("m.eml"), false, true, unprotected).protectedEntity);
            EXPECT_NE(ReadFile(dir.File("m.eml")), results.at(i));
        }
    }
    // A signed entity inside an attachment goes with it.
    RunRemovals(options, {{"inside a removed attachment", inside,
                           "Content-Type: multipart/mixed; boundary=\"out\"\n\n--out\nContent-Type: multipart/mixed; "
                           "boundary=\"in\"\nContent-Disposition: attachment\n\n--out--",
                           7, "Content-Type: multipart/mixed; boundary=\"out\"\n\n\n--out--", 10, false}});
}

}  // namespace norvane::test
