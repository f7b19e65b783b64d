#include "bench/Reference.h"

#include <gtest/gtest.h>

#include <string>

namespace norvane::test {

using bench::JoinLines;
using bench::Lines;
using bench::ReferenceKeyTally;
using bench::ReferenceRemoveAttachments;
using bench::ReferenceStripHeaders;
using bench::SplitLines;

namespace {

std::string Removed(const std::string& text, bool traces, int& count)
{
    Lines lines = SplitLines(text);
    count = ReferenceRemoveAttachments(lines, traces);
    return JoinLines(lines);
}

std::string Stripped(const std::string& text, bool allText, int& count)
{
    Lines lines = SplitLines(text);
    count = ReferenceStripHeaders(lines, {"Received", ";Subject", "Content-Type-X"}, allText);
    return JoinLines(lines);
}

const std::string kExample =
    "Content-Type: multipart/mixed; boundary=\"XYZ\"\n"
    "\n"
    "--XYZ\n"
    "Content-Type: text/plain\n"
    "\n"
    "body\n"
    "--XYZ\n"
    "Content-Type: application/pdf\n"
    "Content-Disposition: attachment\n"
    "\n"
    "data1\n"
    "data2\n"
    "--XYZ--\n";

}  // namespace

TEST(BenchReferenceSplitLines, EveryLineEndForm)
{
    struct Case {
        const char* name;
        std::string text;
        std::string joined;
    } cases[] = {
        {"lf", "a\nb\n", "a\r\nb\r\n"},
        {"cr", "a\rb", "a\r\nb\r\n"},
        {"lf cr is two ends", "a\n\rb", "a\r\n\r\nb\r\n"},
        {"crlf", "a\r\n\r\n", "a\r\n\r\n"},
        {"empty", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(JoinLines(SplitLines(c.text)), c.joined);
    }
}

TEST(BenchReferenceRemoveAttachments, WorkedExampleAndMends)
{
    const std::string truncated =
        "Content-Type: multipart/mixed;\n\tboundary=\"BND-1\"\n\n--BND-1\n"
        "Content-Disposition: attachment\n\nAAAA\nBBBB\n";
    // With a one-byte boundary any line holding it among its first three
    // bytes is a delimiter line.
    const std::string shortBoundary =
        "Content-Type: multipart/mixed;\n\tboundary=\"B\"\n\n--B\n"
        "Content-Disposition: attachment\n\nAAAA\nBBBB\n";
    const std::string closedThenHeaders =
        "Content-Type: multipart/mixed; boundary=\"B\"\n\n--B\nContent-Type: text/plain\n\ntext\n"
        "--B--\nContent-Disposition: attachment\n\nrest\nmore\n";
    struct Case {
        const char* name;
        std::string text;
        bool traces;
        int count;
        std::string result;
    } cases[] = {
        {"bodies", kExample, false, 2,
         "Content-Type: multipart/mixed; boundary=\"XYZ\"\r\n\r\n--XYZ\r\nContent-Type: text/plain\r\n\r\n"
         "body\r\n--XYZ\r\nContent-Type: application/pdf\r\nContent-Disposition: attachment\r\n\r\n"
         "--XYZ--\r\n"},
        {"traces", kExample, true, 5,
         "Content-Type: multipart/mixed; boundary=\"XYZ\"\r\n\r\n--XYZ\r\nContent-Type: text/plain\r\n\r\n"
         "body\r\n\r\n--XYZ--\r\n"},
        {"body running to the end stays", truncated, true, 0, JoinLines(SplitLines(truncated))},
        {"short boundary", shortBoundary, true, 3,
         "Content-Type: multipart/mixed;\r\n\tboundary=\"B\"\r\n\r\n\r\nBBBB\r\n"},
        {"closing delimiter outside an attachment", closedThenHeaders, true, 0,
         JoinLines(SplitLines(closedThenHeaders))},
        {"boundary two lines below is none",
         "Content-Type: multipart/mixed;\n\tname=x\n\tboundary=\"B\"\n--B\nContent-Disposition: a\n\nX\n--B--\n",
         true, 0,
         "Content-Type: multipart/mixed;\r\n\tname=x\r\n\tboundary=\"B\"\r\n--B\r\nContent-Disposition: "
         "a\r\n\r\nX\r\n--B--\r\n"},
        {"other multipart type",
         "Content-Type: multipart/alternative; boundary=\"B\"\n--B\nContent-Disposition: a\n\nX\n--B--\n",
         true, 0,
         "Content-Type: multipart/alternative; boundary=\"B\"\r\n--B\r\nContent-Disposition: "
         "a\r\n\r\nX\r\n--B--\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int count = -1;
        EXPECT_EQ(Removed(c.text, c.traces, count), c.result);
        EXPECT_EQ(count, c.count);
    }
}

TEST(BenchReferenceStripHeaders, StripsJoinsAndTidies)
{
    struct Case {
        const char* name;
        std::string text;
        bool allText;
        int count;
        std::string result;
    } cases[] = {
        {"ticked header and continuations", "Received: a\n\tb\n c\nSubject: s\n\nbody\n", false, 3,
         "Subject: s\r\n\r\nbody\r\n"},
        {"continuation under a kept header stays", "Received: a\nX-A: b\n\tc\n\nbody\n", false, 1,
         "X-A: b\r\n\tc\r\n\r\nbody\r\n"},
        {"charset joined", "Content-Type: text/plain;\n\tcharset=\"utf-8\"\n\nbody\n", false, 0,
         "Content-Type: text/plain; charset=\"utf-8\"\r\n\r\nbody\r\n"},
        {"a header line with charset is not joined",
         "Content-Type: text/plain;\nX-Orig: text/plain; charset=sjis\n\tcharset=x\n\nbody\n", false, 0,
         "Content-Type: text/plain;\r\nX-Orig: text/plain; charset=sjis\r\n\tcharset=x\r\n\r\nbody\r\n"},
        {"two folded parameters both joined",
         "Content-Type: text/plain;\n\tcharset=a\n\tcharset=b\n\nbody\n", false, 0,
         "Content-Type: text/plain; charset=a charset=b\r\n\r\nbody\r\n"},
        {"lower-case key is no header", "received: a\n\tb\n\nbody\n", false, 0,
         "received: a\r\n\tb\r\n\r\nbody\r\n"},
        {"second message only with all text", "Subject: 1\n\nReceived: x\nReceived:y\n", false, 0,
         "Subject: 1\r\n\r\nReceived: x\r\nReceived:y\r\n"},
        {"all text uses the strict separator", "Subject: 1\n\nReceived: x\nReceived:y\n", true, 1,
         "Subject: 1\r\n\r\nReceived:y\r\n"},
        {"empty runs and trailing lines", "A: 1\n\nx\n\n\n\ny\n\n\x1a\n\n", false, 0,
         "A: 1\r\n\r\nx\r\n\r\ny\r\n"},
        {"one line is left alone", "Received: a", false, 0, "Received: a\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int count = -1;
        EXPECT_EQ(Stripped(c.text, c.allText, count), c.result);
        EXPECT_EQ(count, c.count);
    }
}

TEST(BenchReferenceKeyTally, FirstHeaderBlocksCaseFoldedLastCaseWins)
{
    const auto tally = ReferenceKeyTally({"Received: a\nMIME-Version: 1\nReceived: b\n\nNote: x\n",
                                          "Mime-Version: 1\r\nsubject: lower\r\n\tcont\r\n",
                                          "\nReceived: after an empty first line\n"});
    EXPECT_EQ(tally, (std::vector<std::string>{"Mime-Version=2", "Received=2"}));
}

}  // namespace norvane::test
