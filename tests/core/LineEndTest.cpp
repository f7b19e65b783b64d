#include "engine/FileIo.h"
#include "engine/HeldLines.h"
#include "engine/LineSink.h"
#include "MailLines.h"
#include "ShownBytes.h"
#include "TestFiles.h"

#include <sys/mman.h>
#include <unistd.h>

namespace norvane::test {

namespace {

// MailLines.h has a LineEnd of its own.
using End = norvane::LineEnd;

// The lines with their ends, written back to back.
struct Rejoin : LineSink {
    void PutLine(std::string_view line) override { PutLineWithEnd(line, End::kCrLf); }
    void PutLineWithEnd(std::string_view line, End end) override
    {
        bytes += line;
        bytes += LineEndBytes(end);
        ++lines;
    }
    std::string bytes;
    int lines = 0;
};

std::string ReadBack(const std::string& path, const LineReaderOptions& options = {})
{
    LineReader reader(path, options);
    Rejoin out;
    std::string_view line;
    while (reader.Next(line))
        out.PutLineWithEnd(line, reader.LastLineEnd());
    return out.bytes;
}

}  // namespace

TEST(LineReader, TellsEachLineEndSoTheLinesGiveTheFileBack)
{
    // Every file of up to eight bytes made of 'a', CR and LF, in memory.
    const int fd = ::memfd_create("lines", 0);
    ASSERT_GE(fd, 0);
    const char alphabet[] = {'a', '\r', '\n'};
    for (int length = 0; length <= 8; ++length) {
        int combinations = 1;
        for (int i = 0; i < length; ++i)
            combinations *= 3;
        for (int n = 0; n < combinations; ++n) {
            std::string bytes;
            for (int i = 0, rest = n; i < length; ++i, rest /= 3)
                bytes += alphabet[rest % 3];
            ASSERT_EQ(::ftruncate(fd, 0), 0);
            ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
            LineReader reader(fd, "lines");
            Rejoin out;
            std::string_view line;
            while (reader.Next(line))
                out.PutLineWithEnd(line, reader.LastLineEnd());
            ASSERT_EQ(Shown(out.bytes), Shown(bytes));
        }
    }
    ::close(fd);
}

TEST(NextLine, SplitsTextAsTheReaderSplitsAFile)
{
    // Every text of up to seven bytes made of 'a', CR and LF.
    const int fd = ::memfd_create("lines", 0);
    ASSERT_GE(fd, 0);
    const char alphabet[] = {'a', '\r', '\n'};
    for (int length = 0; length <= 7; ++length) {
        int combinations = 1;
        for (int i = 0; i < length; ++i)
            combinations *= 3;
        for (int n = 0; n < combinations; ++n) {
            std::string bytes;
            for (int i = 0, rest = n; i < length; ++i, rest /= 3)
                bytes += alphabet[rest % 3];
            SCOPED_TRACE(Shown(bytes));
            ASSERT_EQ(::ftruncate(fd, 0), 0);
            ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
            LineReader reader(fd, "lines");
            std::string_view expected;
            std::string_view line;
            End end = End::kNone;
            std::size_t at = 0;
            while (reader.Next(expected)) {
                ASSERT_TRUE(NextLine(bytes, at, line, end));
                EXPECT_EQ(line, expected);
                EXPECT_EQ(end, reader.LastLineEnd());
            }
            EXPECT_FALSE(NextLine(bytes, at, line, end));
        }
    }
    ::close(fd);
}

TEST(LineReader, TellsLineEndsAcrossBlocks)
{
    TempDir dir;
    const std::string path = dir.File("m");
    const LineReaderOptions small{4096, false, ReadErrorText::CannotOpen};
    for (const std::string_view end : {"\r\n", "\r", "\n"}) {
        SCOPED_TRACE(Shown(end));
        for (std::size_t length : {4094u, 4095u, 4096u, 9000u}) {
            SCOPED_TRACE(length);
            const std::string bytes = std::string(length, 'x') + std::string(end) + "y" + std::string(end) + "z";
            WriteFile(path, bytes);
            EXPECT_TRUE(ReadBack(path, small) == bytes);
        }
    }
}

TEST(HeldLines, KeepsEachLineEndWhateverTheAllowance)
{
    const std::vector<std::pair<std::string, End>> lines = {
        {"", End::kLf}, {"\x1a", End::kCr}, {"", End::kCrLf}, {"\x1a" "ab", End::kNone}};
    for (const std::size_t allowance : {std::size_t{0}, std::size_t{4}, HeldLines::kDefaultAllowance}) {
        SCOPED_TRACE(allowance);
        HeldLines held(allowance);
        for (const auto& [text, end] : lines)
            held.Add(text, end);
        Rejoin out;
        held.PassOn(out);
        EXPECT_EQ(Shown(out.bytes), Shown("\n\x1a\r\r\n\x1a" "ab"));
        EXPECT_EQ(out.lines, 4);
    }
}

TEST(KeptLineEnd, KeepsALoneCrFromJoiningTheNextEmptyLine)
{
    struct Case {
        End previous;
        const char* line;
        End end;
        End written;
    } cases[] = {
        {End::kCr, "", End::kLf, End::kCrLf},
        {End::kCr, "x", End::kLf, End::kLf},
        {End::kCr, "", End::kCr, End::kCr},
        {End::kCrLf, "", End::kLf, End::kLf},
        {End::kLf, "", End::kLf, End::kLf},
        {End::kNone, "", End::kLf, End::kLf},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(LineEndBytes(c.previous).empty() ? "none" : Shown(LineEndBytes(c.previous))) +
                     " then [" + c.line + "]" + Shown(LineEndBytes(c.end)));
        EXPECT_EQ(KeptLineEnd(c.previous, c.line, c.end), c.written);
    }
    // The filter gives what a file written from its lines reads back as.
    Rejoin out;
    KeptEndsFilter filter(out);
    filter.PutLineWithEnd("a", End::kCr);
    filter.PutLineWithEnd("", End::kLf);
    filter.PutLineWithEnd("", End::kLf);
    filter.PutLine("b");
    EXPECT_EQ(Shown(out.bytes), Shown("a\r\r\n\nb\r\n"));
}

}  // namespace norvane::test
