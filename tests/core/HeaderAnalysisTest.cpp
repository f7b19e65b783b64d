#include "engine/Error.h"
#include "engine/HeaderAnalysis.h"
#include "engine/TextRules.h"
#include "engine/VeskFile.h"
#include "MailLines.h"
#include "TestFiles.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace norvane::test {

using namespace std::string_literals;

namespace {

std::string MessageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

}  // namespace

TEST(CountHeaderKeys, CountsTheHeaderLines)
{
    struct Case {
        const char* name;
        std::string text;
        bool allText;
        KeyCountList tally;
        int count;
    } cases[] = {
        {"repeated key", "Received: a\nReceived: b\nReceived: c\nSubject: s\n\nBody: x", false,
         {"Received=3", "Subject=1"}, 4},
        {"continuations and lower case are no header lines",
         "Received: a\n\tby b\n more\nreceived: c\nSubject: s\n\n", false, {"Received=1", "Subject=1"}, 2},
        {"other lines of the block", "From nobody Mon Jan 1\nX_Bad: 1\n1X: 2\nSubject\nDate: 1:2\n\n", false,
         {"Date=1"}, 1},
        {"ordinary separator in the first block", "X-Mailer:tool\nNote: x\n\n", false, {"X-Mailer=1", "Note=1"}, 2},
        {"first header block only", "From: a\nSubject: 1\n\nbody\nFrom: b\nX-A: 1", false, {"From=1", "Subject=1"}, 2},
        {"every header block with all text", "From: a\nSubject: 1\n\nbody\nFrom: b\nX-A: 1", true,
         {"From=2", "Subject=1", "X-A=1"}, 4},
        {"strict separator with all text", "Subject: s\n\nNote: see below\nNote:see below\nX-Mailer:tool", true,
         {"Subject=1", "Note=1"}, 2},
        {"the letter case of the last occurrence", "X-Spam: 1\nX-SPAM: 2\nx-spam: 3\n", false, {"X-SPAM=2"}, 2},
        {"an empty first line ends at once", "\nSubject: s\n", false, {}, 0},
        {"an empty first line with all text", "\nSubject: s\n", true, {"Subject=1"}, 1},
        {"empty file", "", false, {}, 0},
        {"byte 26 ends the data", "Subject: a\n\x1A" "From: b\nTo: c\n", true, {"Subject=1"}, 1},
        {"byte 26 within a line", "Subject: a\nFrom: b\x1A\nTo: c\n", false, {"Subject=1", "From=1"}, 2},
        {"byte 26 first", "\x1A" "Subject: a\n", true, {}, 0},
        {"NUL is ordinary", "X-A: 1\0\nX-B: 2\n"s, false, {"X-A=1", "X-B=1"}, 2},
    };
    TempDir dir;
    const std::string path = dir.File("m.eml");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& end : kLineEnds) {
            SCOPED_TRACE(end.name);
            WriteFile(path, FileBytes(Lines(c.text), end.eol));
            KeyCountList tally;
            EXPECT_EQ(CountHeaderKeys(path, tally, c.allText), c.count);
            EXPECT_EQ(tally, c.tally);
        }
    }
}

TEST(CountHeaderKeys, SplitsLinesAtEveryLineEnd)
{
    struct Case {
        const char* name;
        std::string bytes;
        int count;
    } cases[] = {
        {"lone LF", "A: 1\nB: 2\n\nC: 3", 2},
        {"LF CR is two line ends", "A: 1\n\rB: 2", 1},
        {"long line", "A: 1\r\n" + std::string(50000, 'x') + "\r\nB: 2\r\n\r\nC: 3", 2},
        {"CR LF split over reads", "A: 1\r\n" + std::string(16384 - 7, 'x') + "\r\nB: 2\r\n\r\nC: 3", 2},
        {"no last line end", "A: 1\r\nB: 2", 2},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(dir.File("m"), c.bytes);
        KeyCountList tally;
        EXPECT_EQ(CountHeaderKeys(dir.File("m"), tally, false), c.count);
    }
}

TEST(CountHeaderKeys, CountsManyDistinctKeys)
{
    // Few keys and many are kept alike: order of first occurrence, the case
    // of the last, every occurrence counted.
    const std::size_t counts[] = {1, 3, 47, 48, 49, 200};
    TempDir dir;
    const std::string path = dir.File("m.eml");
    for (const std::size_t count : counts) {
        SCOPED_TRACE(count);
        std::string text;
        KeyCountList expected;
        for (std::size_t i = 0; i < count; ++i)
            text += "X-key" + std::to_string(i) + ": a\n";
        for (std::size_t i = count; i-- > 0;) {
            text += "X-KEY" + std::to_string(i) + ": b\nX-kEY" + std::to_string(i) + ": c\n";
            text += "X-Key" + std::to_string(i) + ": d\n";
        }
        for (std::size_t i = 0; i < count; ++i)
            expected.push_back("X-Key" + std::to_string(i) + "=4");
        for (const auto& end : kLineEnds) {
            SCOPED_TRACE(end.name);
            WriteFile(path, FileBytes(Lines(text + "\nX-Body: 1\n"), end.eol));
            KeyCountList tally;
            EXPECT_EQ(CountHeaderKeys(path, tally, false), static_cast<int>(4 * count));
            EXPECT_EQ(tally, expected);
        }
    }
}

TEST(CountHeaderKeys, AddsToTheCallersTally)
{
    TempDir dir;
    WriteFile(dir.File("1.eml"), "MIME-Version: 1.0\r\nSubject: a\r\nX-New: 1\r\n");
    WriteFile(dir.File("2.eml"), "Mime-Version: 1.0\nReceived: x\nReceived: y\nX-NEW: 2\n");
    KeyCountList tally = {"received=10"};
    EXPECT_EQ(CountHeaderKeys(dir.File("1.eml"), tally, false), 3);
    EXPECT_EQ(CountHeaderKeys(dir.File("2.eml"), tally, false), 4);
    EXPECT_EQ(tally, (KeyCountList{"Received=12", "Mime-Version=2", "Subject=1", "X-NEW=2"}));
}

TEST(CountFileHeaderKeys, GivesTheFilesOwnPairsInOrderMet)
{
    TempDir dir;
    WriteFile(dir.File("1.eml"), "received: x\r\nSubject: a\r\nReceived: y\r\nX-New: 1\r\n\r\nBody: b\r\n");
    WriteFile(dir.File("2.eml"), "Subject: b\n");
    struct Case {
        const char* name;
        AnalyzeOptions options;
        int lines;
        std::vector<std::pair<std::string, long long>> pairs;
    } cases[] = {
        {"upper case only", {HeaderScope::kFirst, false}, 3, {{"Subject", 1}, {"Received", 1}, {"X-New", 1}}},
        {"any case, the last occurrence's case", {HeaderScope::kFirst, true}, 4,
         {{"Received", 2}, {"Subject", 1}, {"X-New", 1}}},
        {"all text", {HeaderScope::kAll, false}, 4, {{"Subject", 1}, {"Received", 1}, {"X-New", 1}, {"Body", 1}}},
    };
    std::vector<KeyCount> counts = {{"Old", 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CountFileHeaderKeys(dir.File("1.eml"), counts, c.options), c.lines);
        std::vector<std::pair<std::string, long long>> pairs;
        for (const auto& [key, count] : counts)
            pairs.emplace_back(key, count);
        EXPECT_EQ(pairs, c.pairs);
    }
    EXPECT_THROW(CountFileHeaderKeys(dir.File("none.eml"), counts, {}), Error);
    EXPECT_EQ(counts.size(), 4u);
    EXPECT_EQ(CountFileHeaderKeys(dir.File("2.eml"), counts, {}), 1);
    ASSERT_EQ(counts.size(), 1u);
    EXPECT_EQ(counts[0].key, "Subject");
}

TEST(CountHeaderKeys, ReadErrorsLeaveTheTallyAlone)
{
    TempDir dir;
    WriteFile(dir.File("file"), "A: 1\n");
    std::filesystem::create_directory(dir.Path() / "folder");
    const KeyCountList before = {"A=1", "B=2"};
    struct Case {
        const char* name;
        std::string path;
        std::string message;
    } cases[] = {
        {"missing", dir.File("none.eml"), "ﾌｧｲﾙが見つかりません"},
        {"under a file", dir.File("file/x.eml"), "ﾌｧｲﾙが見つかりません"},
        {"a folder", dir.File("folder"), "I/O ｴﾗｰ (21)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        KeyCountList tally = before;
        EXPECT_EQ(MessageOf([&] { CountHeaderKeys(c.path, tally, true); }), c.message);
        EXPECT_EQ(tally, before);
    }
    if (::geteuid() != 0) {
        WriteFile(dir.File("locked"), "A: 1\n");
        ::chmod(dir.File("locked").c_str(), 0);
        KeyCountList tally = before;
        EXPECT_EQ(MessageOf([&] { CountHeaderKeys(dir.File("locked"), tally, false); }),
                  "ﾌｧｲﾙへのｱｸｾｽが拒否されました");
        EXPECT_EQ(tally, before);
    }
}

TEST(CountHeaderKeys, NamesEachReadErrorCause)
{
    struct Case {
        int error;
        const char* message;
    } cases[] = {
        {ENOENT, "ﾌｧｲﾙが見つかりません"},       {ENOTDIR, "ﾌｧｲﾙが見つかりません"},
        {EACCES, "ﾌｧｲﾙへのｱｸｾｽが拒否されました"}, {EPERM, "ﾌｧｲﾙへのｱｸｾｽが拒否されました"},
        {EIO, "I/O ｴﾗｰ (5)"},                   {EMFILE, "I/O ｴﾗｰ (24)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        EXPECT_EQ(ReadErrorMessage(c.error), c.message);
    }
}

TEST(AnalyzeResult, SortsWholeEntriesAndMarksEachKey)
{
    const KeyCountList tally = {"X-A=5", "subject=2", "X-A-B=1", "Received=12", "X-A2=3", "b=1", "Z=4", "a=7"};
    const KeyList keys = {"received", ";Subject", "X-Other", ";X-A2", "A"};
    struct Row {
        std::string key, count, mark;
        bool operator==(const Row&) const = default;
    };
    std::vector<Row> rows;
    for (const auto& tallied : AnalyzeResult(tally, keys))
        rows.push_back({tallied.key, tallied.count, std::string(tallied.mark)});
    const std::vector<Row> expected = {
        {"a", "7", "Del"},  {"b", "1", "New"},    {"Received", "12", "Del"}, {"subject", "2", ""},
        {"X-A-B", "1", "New"}, {"X-A2", "3", ""}, {"X-A", "5", "New"},       {"Z", "4", "New"},
    };
    EXPECT_EQ(rows, expected);
    EXPECT_TRUE(AnalyzeResult({}, keys).empty());
}

TEST(AnalyzeFiles, TalliesEveryFileOrFails)
{
    TempDir dir;
    WriteFile(dir.File("1.eml"), "Subject: a\nX-Mailer: m\n\nX-Mailer: body\n");
    WriteFile(dir.File("2.eml"), "SUBJECT: b\nReceived: r\n");
    const KeyList keys = {"Received", ";X-Mailer"};
    const auto result = AnalyzeFiles({dir.File("1.eml"), dir.File("2.eml")}, keys, false);
    ASSERT_EQ(result.size(), 3u);
    EXPECT_EQ(result[0].key + "=" + result[0].count + std::string(result[0].mark), "Received=1Del");
    EXPECT_EQ(result[1].key + "=" + result[1].count + std::string(result[1].mark), "SUBJECT=2New");
    EXPECT_EQ(result[2].key + "=" + result[2].count + std::string(result[2].mark), "X-Mailer=1");
    EXPECT_EQ(AnalyzeFiles({dir.File("1.eml"), dir.File("2.eml")}, keys, true)[2].count, "2");
    EXPECT_EQ(MessageOf([&] { AnalyzeFiles({dir.File("1.eml"), dir.File("none"), dir.File("2.eml")}, keys, false); }),
              "ﾌｧｲﾙが見つかりません");
}

TEST(KeyCountTally, MergedTalliesGiveTheTallyOfTheWholeList)
{
    const std::vector<std::vector<KeyCount>> files = {
        {{"Received", 2}, {"Subject", 1}, {"X-Spam", 1}},
        {{"X-SPAM", 1}, {"Date", 1}},
        {{"received", 1}, {"X-New", 1}},
        {{"Date", 2}, {"x-spam", 1}},
        {{"Subject", 1}, {"X-Late", 1}},
    };
    // First met in order; each key in the case of its last occurrence.
    const KeyCountList whole = {"received=3", "Subject=2", "x-spam=3", "Date=3", "X-New=1", "X-Late=1"};
    // Which tally counts each file.
    const char* splits[] = {"00000", "01010", "10101", "00011", "11100", "11111", "01201", "22110", "20000"};
    for (const std::string split : splits) {
        SCOPED_TRACE(split);
        const std::size_t count = static_cast<std::size_t>(*std::max_element(split.begin(), split.end()) - '0') + 1;
        for (const bool backwards : {false, true}) {
            SCOPED_TRACE(backwards ? "merged into the last" : "merged into the first");
            std::vector<KeyCountTally> tallies(count);
            for (std::size_t file = 0; file < files.size(); ++file)
                tallies[static_cast<std::size_t>(split[file] - '0')].Add(files[file], file);
            KeyCountTally& into = backwards ? tallies.back() : tallies.front();
            for (auto& tally : tallies)
                if (&tally != &into)
                    into.Merge(tally);
            EXPECT_EQ(into.Entries(), whole);
            // A merged tally goes on counting later files as one tally does.
            into.Add({{"X-LATE", 2}, {"Zeta", 1}}, files.size());
            KeyCountList more = whole;
            more[5] = "X-LATE=3";
            more.push_back("Zeta=1");
            EXPECT_EQ(into.Entries(), more);
        }
    }
}

}  // namespace norvane::test

namespace norvane::test {

TEST(CountHeaderKeys, CountsLowerCaseKeysAndEveryMessage)
{
    struct Case {
        const char* name;
        std::string text;
        HeaderScope scope;
        bool anyCase;
        KeyCountList tally;
        int count;
    } cases[] = {
        {"lower case in the first block", "x-relay-a: 1\nthread-index: t\nSubject: s\n\nreceived: body",
         HeaderScope::kFirst, true, {"x-relay-a=1", "thread-index=1", "Subject=1"}, 3},
        {"lower case off", "x-relay-a: 1\nSubject: s\n", HeaderScope::kFirst, false, {"Subject=1"}, 1},
        {"lower case in part headers only",
         "Content-Type: multipart/mixed; boundary=b\n\n--b\nthread-index: p\n\nreceived: body\nNote: n\n--b--",
         HeaderScope::kAll, true, {"Content-Type=1", "thread-index=1", "Note=1"}, 3},
        {"every message", "From a\nReceived: 1\nSubject: s\n\nReceived: body\n\nFrom b\nReceived: 2\nx-a: 3\n\nbody",
         HeaderScope::kMessages, false, {"Received=2", "Subject=1"}, 3},
        {"every message in any case",
         "From a\nReceived: 1\nSubject: s\n\nReceived: body\n\nFrom b\nReceived: 2\nx-a: 3\n\nbody",
         HeaderScope::kMessages, true, {"Received=2", "Subject=1", "x-a=1"}, 4},
        {"a file that does not begin with From is one message", "Received: 1\n\nhello\n\nFrom me\nReceived: 2",
         HeaderScope::kMessages, true, {"Received=1"}, 1},
    };
    TempDir dir;
    const std::string path = dir.File("m.eml");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& end : kLineEnds) {
            SCOPED_TRACE(end.name);
            WriteFile(path, FileBytes(Lines(c.text), end.eol));
            KeyCountList tally;
            EXPECT_EQ(CountHeaderKeys(path, tally, AnalyzeOptions{c.scope, c.anyCase}), c.count);
            EXPECT_EQ(tally, c.tally);
        }
    }
    WriteFile(path, "From a\nx-a: 1\n\nFrom b\nX-B: 2\n");
    const auto result = AnalyzeFiles({path}, KeyList{"X-B"}, AnalyzeOptions{HeaderScope::kMessages, true});
    ASSERT_EQ(result.size(), 2u);
    EXPECT_EQ(result[1].key + "=" + result[1].count + std::string(result[1].mark), "X-B=1Del");
}

namespace {

// Files without continuation lines under their header lines, so that Vesk
// with every key ticked removes exactly the lines Analyze counts.
const char* const kAgreementFiles[] = {
    "From a@b Mon Jan 1 00:00:00 2024\nReceived: from x\nthread-index: AQ\nSubject: one\n"
    "Content-Type: multipart/mixed; boundary=\"m1\"\n\npreamble\n--m1\ncontent-type: text/plain\nx-part: 1\n\n"
    "Note: body line\nnote: lower body\n--m1\nContent-Type: multipart/alternative; boundary=\"a1\"\n\n--a1\n"
    "content-transfer-encoding: 7bit\n\ntext\n--a1--\n--m1--\n\nFrom c@d Mon Jan 1 00:00:00 2024\n"
    "x-relay-b: 2\nReceived: from y\n\nbody\nReceived: in body\nFrom e not a message\nthread-index: body\n",
    "Received: one\nx-lower: 1\nSubject: s\n\nhello\n\nFrom me to you\nreceived: maybe\nReceived: strict yes\n"
    "X-Nosep:value\n",
    "\nSubject: s\nx-a: 1\n",
    "X-Mailer:tool\nSubject: s\n\nNote: see below\nNote:see below\n",
};

std::set<std::string> LowerKeys(const std::vector<std::string>& keys)
{
    std::set<std::string> lower;
    for (const auto& key : keys)
        lower.insert(LowerAscii(key.substr(0, key.find('='))));
    return lower;
}

}  // namespace

TEST(CountHeaderKeys, AgreesWithVeskOnWhatIsAHeaderLine)
{
    TempDir dir(true);
    const std::string path = dir.File("m.eml");
    for (const HeaderScope scope : {HeaderScope::kFirst, HeaderScope::kMessages, HeaderScope::kAll}) {
        for (const bool anyCase : {false, true}) {
            SCOPED_TRACE("scope " + std::to_string(static_cast<int>(scope)) + (anyCase ? " any case" : ""));
            for (std::size_t f = 0; f < std::size(kAgreementFiles); ++f) {
                for (const auto& end : kLineEnds) {
                    SCOPED_TRACE("file " + std::to_string(f) + " " + end.name);
                    const std::string bytes = FileBytes(Lines(kAgreementFiles[f]), end.eol);
                    WriteFile(path, bytes);
                    KeyCountList tally;
                    const int counted = CountHeaderKeys(path, tally, AnalyzeOptions{scope, anyCase});

                    // Vesk registers the keys it meets as header lines...
                    VeskOptions options;
                    options.scope = scope;
                    options.anyCase = anyCase;
                    options.autoRegister = true;
                    KeyList none;
                    VeskRun run({path});
                    const VeskCounts registering = VeskFile(path, none, options, run);
                    EXPECT_EQ(LowerKeys(registering.registeredKeys), LowerKeys(tally));

                    // ... and with every key ticked removes those lines.
                    WriteFile(path, bytes);
                    KeyList every;
                    for (const auto& entry : tally)
                        every.AppendStored(entry.substr(0, entry.find('=')));
                    options.autoRegister = false;
                    EXPECT_EQ(VeskFile(path, every, options, run).headerLines, counted);
                }
            }
        }
    }
}

}  // namespace norvane::test
