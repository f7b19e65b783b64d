#include "engine/Error.h"
#include "engine/FileIo.h"
#include "engine/StripHeaders.h"
#include "MailLines.h"
#include "ShownBytes.h"
#include "TestFiles.h"

#include <filesystem>
#include <map>

namespace norvane::test {

using namespace std::string_literals;

namespace {

std::string Join(const std::vector<std::string>& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i ? "\n" : "") + lines[i];
    return text;
}

struct Collect : LineSink {
    void PutLine(std::string_view line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

struct Stripped {
    std::string text;
    int removed;
    std::vector<std::string> registered;
};

Stripped Strip(std::string_view text, KeyList& keys, bool allText, bool autoRegister = false)
{
    Collect out;
    HeaderStripper stripper(keys, allText, autoRegister, out);
    for (const std::string& line : Lines(text))
        stripper.PutLine(line);
    stripper.Finish();
    return {Join(out.lines), stripper.RemovedCount(), stripper.RegisteredKeys()};
}

struct Case {
    const char* name;
    const char* input;
    const char* offResult;  // allText off
    int offRemoved;
    const char* onResult;   // allText on
    int onRemoved;
};

void RunCases(const KeyList& keys, const std::vector<Case>& cases)
{
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        KeyList list = keys;
        const Stripped off = Strip(c.input, list, false);
        EXPECT_EQ(off.text, c.offResult) << "allText off";
        EXPECT_EQ(off.removed, c.offRemoved) << "allText off";
        const Stripped on = Strip(c.input, list, true);
        EXPECT_EQ(on.text, c.onResult) << "allText on";
        EXPECT_EQ(on.removed, c.onRemoved) << "allText on";
        EXPECT_EQ(list, keys);
    }
}

}  // namespace

TEST(HeaderStripper, RemovesTickedHeadersAndTheirContinuations)
{
    const KeyList keys = {"Received", ";Subject", "X-Spam", ";From"};
    RunCases(keys, {
        {"ticked key in the first block", "Received: a\nSubject: s\n\nbody",
         "Subject: s\n\nbody", 1, "Subject: s\n\nbody", 1},
        {"continuations go with it", "Received: a\n\tby b\n  id c\nSubject: s\n\nbody",
         "Subject: s\n\nbody", 3, "Subject: s\n\nbody", 3},
        {"other letter case", "RECEIVED: a\nreceived: b\n\tcont\nSubject: s\n\nbody",
         "received: b\n\tcont\nSubject: s\n\nbody", 1, "received: b\n\tcont\nSubject: s\n\nbody", 1},
        {"continuation under a kept header stays", "Received: a\nSubject: s\n\tmore\n\nbody",
         "Subject: s\n\tmore\n\nbody", 1, "Subject: s\n\tmore\n\nbody", 1},
        {"unticked and unregistered keys stay", "Subject: s\n\tx\nFrom: f\nX-New: n\n y\n\nbody",
         "Subject: s\n\tx\nFrom: f\nX-New: n\n y\n\nbody", 0,
         "Subject: s\n\tx\nFrom: f\nX-New: n\n y\n\nbody", 0},
        {"a line without key ends the removal", "X-Spam: 1\nJunk line\n\tindented",
         "Junk line\n\tindented", 1, "Junk line\n\tindented", 1},
        {"later block only with all text",
         "Subject: s\nReceived: a\n\nbody\n\nReceived: b\n\tcont\nSubject: t\n\nbody2",
         "Subject: s\n\nbody\n\nReceived: b\n\tcont\nSubject: t\n\nbody2", 1,
         "Subject: s\n\nbody\n\nSubject: t\n\nbody2", 3},
        {"strict separator in all text", "Subject: s\n\nX-Spam:no blank\nX-Spam: yes\n\tcont\nbody",
         "Subject: s\n\nX-Spam:no blank\nX-Spam: yes\n\tcont\nbody", 0,
         "Subject: s\n\nX-Spam:no blank\nbody", 2},
        {"first line empty: no header block", "\nReceived: a\n\n\nbody\n",
         "\nReceived: a\n\nbody", 0, "\nbody", 1},
        {"an empty line ends the removal in all text", "Received: a\n\n\tindented body",
         "\n\tindented body", 1, "\n\tindented body", 1},
        {"removed lines leave no double empty line", "Subject: s\n\na\n\nX-Spam: 1\n\nb",
         "Subject: s\n\na\n\nX-Spam: 1\n\nb", 0, "Subject: s\n\na\n\nb", 1},
        {"everything removed", "Received: a\nX-Spam: b", "", 2, "", 2},
    });
}

TEST(HeaderStripper, JoinsFoldedCharsetOntoContentType)
{
    RunCases({";Content-Type", "Received"}, {
        {"folded charset", "Content-Type: text/plain;\n\tcharset=iso-2022-jp\nSubject: s\n\nbody",
         "Content-Type: text/plain; charset=iso-2022-jp\nSubject: s\n\nbody", 0,
         "Content-Type: text/plain; charset=iso-2022-jp\nSubject: s\n\nbody", 0},
        {"text before charset is dropped", "Content-Type: text/plain;\n format=flowed; charset=\"utf-8\"",
         "Content-Type: text/plain; charset=\"utf-8\"", 0, "Content-Type: text/plain; charset=\"utf-8\"", 0},
        {"a line that is no header line is joined too", "Content-Type: text/plain;\ncharset=sjis",
         "Content-Type: text/plain; charset=sjis", 0, "Content-Type: text/plain; charset=sjis", 0},
        {"a header line of its own is never joined", "Content-Type: text/plain;\nX-Orig: text/plain; charset=sjis",
         "Content-Type: text/plain;\nX-Orig: text/plain; charset=sjis", 0,
         "Content-Type: text/plain;\nX-Orig: text/plain; charset=sjis", 0},
        {"letter case as written", "Content-Type: a;\n\tCharset=x\ncontent-type: b;\n\tcharset=y",
         "Content-Type: a;\n\tCharset=x\ncontent-type: b;\n\tcharset=y", 0,
         "Content-Type: a;\n\tCharset=x\ncontent-type: b;\n\tcharset=y", 0},
        {"two charset lines join in turn", "Content-Type: a;\n\tcharset=x\n\tcharset=y",
         "Content-Type: a; charset=x charset=y", 0, "Content-Type: a; charset=x charset=y", 0},
        {"across a removed header", "Content-Type: a;\nReceived: r\n\tcharset=c\ncharset=d",
         "Content-Type: a; charset=d", 2, "Content-Type: a; charset=d", 2},
        {"only below the line before", "Content-Type: a;\nSubject: s\n\tcharset=c",
         "Content-Type: a;\nSubject: s\n\tcharset=c", 0, "Content-Type: a;\nSubject: s\n\tcharset=c", 0},
        {"first line has nothing above", "\tcharset=c\nContent-Type: a",
         "\tcharset=c\nContent-Type: a", 0, "\tcharset=c\nContent-Type: a", 0},
        {"later block only with all text", "Subject: s\n\nContent-Type: a;\n\tcharset=b",
         "Subject: s\n\nContent-Type: a;\n\tcharset=b", 0, "Subject: s\n\nContent-Type: a; charset=b", 0},
    });
    RunCases({"Content-Type"}, {
        {"ticked Content-Type takes its charset line", "Content-Type: text/plain;\n\tcharset=iso-2022-jp\nSubject: s",
         "Subject: s", 2, "Subject: s", 2},
    });
}

TEST(HeaderStripper, TidiesEmptyAndTrailingLines)
{
    RunCases({"Received"}, {
        {"runs of empty lines become one", "Subject: s\n\npara 1\n\n\n\npara 2", "Subject: s\n\npara 1\n\npara 2", 0,
         "Subject: s\n\npara 1\n\npara 2", 0},
        {"trailing empty and end marks", "Subject: s\n\nbody\n\n\x1a\n\n\x1a" "after mark\n",
         "Subject: s\n\nbody", 0, "Subject: s\n\nbody", 0},
        {"an end mark inside stays", "Subject: s\n\n\x1a\nbody", "Subject: s\n\n\x1a\nbody", 0,
         "Subject: s\n\n\x1a\nbody", 0},
        {"an end mark separates empty lines", "a\n\n\x1a\n\nb", "a\n\n\x1a\n\nb", 0, "a\n\n\x1a\n\nb", 0},
        {"only trailing lines", "\n\n\x1a\n", "", 0, "", 0},
        {"leading empty lines become one", "\n\n\nSubject: s", "\nSubject: s", 0, "\nSubject: s", 0},
    });
}

TEST(HeaderStripper, PassesLinesOnAsSoonAsTheyAreFinal)
{
    KeyList keys = {"Received"};
    Collect out;
    HeaderStripper stripper(keys, false, false, out);
    stripper.PutLine("Subject: s");
    EXPECT_EQ(Join(out.lines), "Subject: s");
    stripper.PutLine("Content-Type: text/plain;");
    stripper.PutLine("\tcharset=x");
    EXPECT_EQ(out.lines.size(), 1u);
    stripper.PutLine("From: f");
    EXPECT_EQ(Join(out.lines), "Subject: s\nContent-Type: text/plain; charset=x\nFrom: f");
    stripper.PutLine("Content-Type: text/html");
    stripper.PutLine("");
    EXPECT_EQ(out.lines.size(), 4u);
    stripper.PutLine("body");
    EXPECT_EQ(Join(out.lines), "Subject: s\nContent-Type: text/plain; charset=x\nFrom: f\nContent-Type: text/html\n\nbody");
    stripper.PutLine("Content-Type: not held below the first block");
    EXPECT_EQ(out.lines.size(), 7u);
    stripper.PutLine("");
    stripper.PutLine("\x1a");
    EXPECT_EQ(out.lines.size(), 7u);
    stripper.Finish();
    EXPECT_EQ(out.lines.size(), 7u);
}

TEST(HeaderStripper, RegistersNewKeysOnceAndOnlyOnCommit)
{
    KeyList keys = {"Received", ";x-extra", ";Subject"};
    const KeyList before = keys;
    const char* text = "X-New: 1\nx-new: lower\nReceived: r\nX-NEW: 2\nX-Extra: e\nSubject: s\nFrom: f\n\nLater: k";
    const Stripped r = Strip(text, keys, false, true);
    EXPECT_EQ(r.registered, (std::vector<std::string>{"X-New", "From"}));
    EXPECT_EQ(keys, before);

    const Stripped all = Strip(text, keys, true, true);
    EXPECT_EQ(all.registered, (std::vector<std::string>{"X-New", "From", "Later"}));

    const Stripped off = Strip(text, keys, true, false);
    EXPECT_TRUE(off.registered.empty());

    Collect out;
    HeaderStripper stripper(keys, false, true, out);
    for (const auto& line : Lines(text))
        stripper.PutLine(line);
    stripper.Finish();
    EXPECT_TRUE(stripper.CommitRegisteredKeys());
    EXPECT_FALSE(stripper.CommitRegisteredKeys());
    EXPECT_EQ(keys, (KeyList{"Received", ";x-extra", ";Subject", ";X-New", ";From"}));

    // Once registered, the keys are known to the next file.
    EXPECT_TRUE(Strip(text, keys, false, true).registered.empty());
}

// ---- the whole file ----

namespace {

constexpr const char* kMail =
    "Received: from a\n\tby b\nContent-Type: text/plain;\n\tcharset=iso-2022-jp\nSubject: hi\nX-New: 1\n"
    "\nbody 1\n\n\n\nReceived: stays\n\n";
constexpr const char* kStripped =
    "Content-Type: text/plain; charset=iso-2022-jp\r\nSubject: hi\r\nX-New: 1\r\n"
    "\r\nbody 1\r\n\r\nReceived: stays\r\n";

std::string CannotOpen(const std::string& path) { return "ﾌｧｲﾙ " + path + " は開けません"; }
std::string CannotCreate(const std::string& path) { return "ﾌｧｲﾙ " + path + " を作成できません"; }

}  // namespace

TEST(StripHeaders, RewritesEveryLineEndFormWithCrLf)
{
    struct Variant {
        const char* name;
        std::string input;
    } variants[] = {
        {"lf", kMail},
        {"cr", WithEnds(kMail, "\r")},
        {"crlf", WithEnds(kMail, "\r\n")},
        {"no last line end", std::string(kMail).substr(0, std::string(kMail).size() - 2)},
        {"end mark without line end", std::string(kMail).substr(0, std::string(kMail).size() - 1) + "\x1a"},
    };
    TempDir dir;
    const std::string mail = dir.File("m.eml");
    for (const auto& v : variants) {
        SCOPED_TRACE(v.name);
        KeyList keys = {"Received"};
        WriteFile(mail, v.input);
        EXPECT_EQ(StripHeaders(mail, keys, false, false).removed, 2);
        EXPECT_EQ(ReadFile(mail), kStripped);
    }
    EXPECT_EQ(ListFolder(dir.Path()), "m.eml ");
}

TEST(StripHeaders, KeepsEachLineEnd)
{
    const std::string lf = kMail;
    const std::string lfStripped =
        "Content-Type: text/plain; charset=iso-2022-jp\nSubject: hi\nX-New: 1\n\nbody 1\n\nReceived: stays\n";
    const std::string noEnd = lf.substr(0, lf.size() - 2);
    const std::string noEndStripped = lfStripped.substr(0, lfStripped.size() - 1);
    struct Case {
        std::string name;
        std::string input;
        std::string result;
        int removed;
    } cases[] = {
        {"LF", lf, lfStripped, 2},
        {"CR", WithEnds(lf, "\r"), WithEnds(lfStripped, "\r"), 2},
        {"CR LF", WithEnds(lf, "\r\n"), WithEnds(lfStripped, "\r\n"), 2},
        {"LF, no last line end", noEnd, noEndStripped, 2},
        {"CR, no last line end", WithEnds(noEnd, "\r"), WithEnds(noEndStripped, "\r"), 2},
        {"CR LF, no last line end", WithEnds(noEnd, "\r\n"), WithEnds(noEndStripped, "\r\n"), 2},
        {"mixed", "Received: r\r\n\tc\nSubject: s\r\n\nbody\r\r\n\n\rend\n\r\n",
         "Subject: s\r\n\nbody\r\r\nend\n", 2},
        {"a joined charset line takes its Content-Type line's end",
         "Content-Type: t;\n\tcharset=x\r\n\r\nb", "Content-Type: t; charset=x\n\r\nb", 0},
        {"a joined last line without end", "Subject: s\r\nContent-Type: t;\r\n\tcharset=x",
         "Subject: s\r\nContent-Type: t; charset=x\r\n", 0},
        {"an empty line after a lone CR stays a line of its own",
         "Content-Type: t;\r\tcharset=x\n\nb", "Content-Type: t; charset=x\r\r\nb", 0},
        {"a removed line between a lone CR and an empty line", "Subject: s\rReceived: r\n\nbody",
         "Subject: s\r\r\nbody", 1},
    };
    TempDir dir;
    const std::string mail = dir.File("m.eml");
    StripOptions options;
    options.keepLineEnds = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        KeyList keys = {"Received"};
        WriteFile(mail, c.input);
        EXPECT_EQ(StripHeaders(mail, keys, options).removed, c.removed);
        EXPECT_EQ(Shown(ReadFile(mail)), Shown(c.result));
        // Read again, the result is what was written: a second run changes
        // nothing.
        EXPECT_EQ(StripHeaders(mail, keys, options).removed, 0);
        EXPECT_EQ(Shown(ReadFile(mail)), Shown(c.result));
    }
}

TEST(StripHeaders, NulIsAnOrdinaryByte)
{
    TempDir dir;
    const std::string mail = dir.File("m.eml");
    WriteFile(mail, "Received: x\0y\n\tz\nSubject: a\0b\n\nbody\0tail\nlast"s);
    KeyList keys = {"Received"};
    EXPECT_EQ(StripHeaders(mail, keys, false, false).removed, 2);
    EXPECT_EQ(ReadFile(mail), "Subject: a\0b\r\n\r\nbody\0tail\r\nlast\r\n"s);
}

TEST(StripHeaders, LeavesFilesOfFewerThanTwoLinesUntouched)
{
    TempDir dir;
    const std::string mail = dir.File("m.eml");
    for (const std::string input : {"", "Received: x", "Received: x\n", "\n"}) {
        SCOPED_TRACE(input);
        WriteFile(mail, input);
        KeyList keys = {"Received"};
        EXPECT_EQ(StripHeaders(mail, keys, false, true).removed, 0);
        EXPECT_EQ(ReadFile(mail), input);
        EXPECT_EQ(keys, KeyList{"Received"});
    }
    EXPECT_EQ(ListFolder(dir.Path()), "m.eml ");
}

TEST(StripHeaders, RewritesAFileWithNothingToRemove)
{
    TempDir dir;
    const std::string mail = dir.File("m.eml");
    WriteFile(mail, "Subject: s\n\nbody");
    KeyList keys;
    EXPECT_EQ(StripHeaders(mail, keys, true, false).removed, 0);
    EXPECT_EQ(ReadFile(mail), "Subject: s\r\n\r\nbody\r\n");
}

TEST(StripHeaders, WritesAnEmptyFileWhenEveryLineIsTrailing)
{
    TempDir dir;
    const std::string mail = dir.File("m.eml");
    WriteFile(mail, "\r\n\r\n\x1a");
    KeyList keys;
    EXPECT_EQ(StripHeaders(mail, keys, false, false).removed, 0);
    EXPECT_TRUE(std::filesystem::exists(mail));
    EXPECT_EQ(ReadFile(mail), "");
}

TEST(StripHeaders, ReturnsTheKeysItRegisteredAndSavesNothing)
{
    SeamGuard guard;
    TempDir dir;
    const std::string mail = dir.File("m.eml");
    int commits = 0;
    TestSeam().failBeforeRename = [&](const std::string&) {
        ++commits;
        return false;
    };

    WriteFile(mail, "X-Extra: 1\nX-Extra: 2\nX-Other: 3\nSubject: s\n\nbody\n");
    KeyList keys = {";Subject"};
    const StripResult first = StripHeaders(mail, keys, false, true);
    EXPECT_EQ(first.removed, 0);
    EXPECT_EQ(first.registeredKeys, (std::vector<std::string>{"X-Extra", "X-Other"}));
    EXPECT_EQ(keys, (KeyList{";Subject", ";X-Extra", ";X-Other"}));
    EXPECT_EQ(commits, 1);
    EXPECT_EQ(ListFolder(dir.Path()), "m.eml ");

    // Nothing new the second time, and the stripped file does not change
    // again: it is not rewritten.
    EXPECT_TRUE(StripHeaders(mail, keys, false, true).registeredKeys.empty());
    EXPECT_EQ(commits, 1);

    // Without auto-register nothing is registered.
    WriteFile(mail, "X-Third: 1\nSubject: s\n");
    EXPECT_TRUE(StripHeaders(mail, keys, false, false).registeredKeys.empty());
    EXPECT_EQ(keys.Count(), 3u);
}

TEST(StripHeaders, UnreadableFileRaisesTheOpenError)
{
    TempDir dir;
    std::filesystem::create_directory(dir.File("folder.eml"));
    for (const std::string name : {"none.eml", "folder.eml"}) {
        SCOPED_TRACE(name);
        const std::string mail = dir.File(name);
        KeyList keys = {"Received"};
        try {
            StripHeaders(mail, keys, false, true);
            FAIL() << "no error";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), CannotOpen(mail));
        }
        EXPECT_EQ(keys, KeyList{"Received"});
    }
    EXPECT_EQ(ListFolder(dir.Path()), "folder.eml ");
}

TEST(StripHeaders, WriteFailuresKeepTheOriginal)
{
    struct Failure {
        const char* name;
        bool readOnly;
    } failures[] = {{"full disk", false}, {"read-only file", true}};
    for (const auto& f : failures) {
        SCOPED_TRACE(f.name);
        SeamGuard guard;
        TempDir dir;
        const std::string mail = dir.File("m.eml");
        const std::string original = "X-New: 1\nReceived: r\nSubject: s\n\nbody\n";
        WriteFile(mail, original);
        if (f.readOnly)
            TestSeam().mayWrite = [&](const std::string& path) { return path.find("m.eml") == std::string::npos; };
        else
            TestSeam().failBeforeRename = [&](const std::string& path) { return path.find("m.eml") != std::string::npos; };
        KeyList keys = {"Received"};
        try {
            StripHeaders(mail, keys, false, true);
            FAIL() << "no error";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), CannotCreate(mail));
        }
        EXPECT_EQ(ReadFile(mail), original);
        EXPECT_EQ(ListFolder(dir.Path()), "m.eml ");
        // The file was read through: its new keys stay in memory, unsaved.
        EXPECT_EQ(keys, (KeyList{"Received", ";X-New", ";Subject"}));
    }
}

TEST(StripHeaders, FollowsASymbolicLink)
{
    TempDir dir;
    const std::string target = dir.File("target.eml");
    const std::string link = dir.File("link.eml");
    WriteFile(target, "Received: r\nSubject: s\n");
    std::filesystem::create_symlink(target, link);
    KeyList keys = {"Received"};
    EXPECT_EQ(StripHeaders(link, keys, false, false).removed, 1);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFile(target), "Subject: s\r\n");
    EXPECT_EQ(ListFolder(dir.Path()), "link.eml target.eml ");
}

}  // namespace norvane::test

namespace norvane::test {

namespace {

std::string SamplePath(std::string_view name)
{
    return (std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "samples" / name).string();
}

int CountOf(std::string_view text, std::string_view what)
{
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

}  // namespace

TEST(StripHeaders, SampleMails)
{
    struct Case {
        const char* sample;
        bool allText;
        int removed;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    } cases[] = {
        {"japanese.eml", false, 7,
         {"Content-Type: text/plain; charset=ISO-2022-JP\r\nContent-Transfer-Encoding: 7bit\r\n",
          "Subject: =?iso-2022-jp?b?", "\r\n\r\n\x1b$B;qNA"},
         {"Received:", "X-Mailer:", "\tcharset", "\x1a", "\r\n\r\n\r\n"}},
        {"newsletter.eml", false, 20,
         {"Delivered-To: reader@example.com\r\nX-Received:", "ARC-Seal:", "\r\nNote:keep",
          "Precedence: bulk\r\nX-Campaign-ID:", "\r\nThe Example Garden Club\r\n"},
         {"\nReceived:", "DKIM-Signature", "\tb=", "X-Mailer", "\r\n\r\n\r\n"}},
        {"attachment.eml", false, 4,
         {"\r\nContent-Type: text/plain; name=\"list.txt\"\r\n", "\r\n--=_part_0417_b--\r\n"},
         {"Received:", "\tby relay", "X-Mailer", "\r\n\r\n\r\n"}},
        {"mailbox.txt", false, 2,
         {"\r\nReceived: from host2", "\r\nX-Mailer: Another Client 1.0\r\n", "\tcharset=utf-8\r\n",
          "\r\nDave\r\n"},
         {"Received: from host1", "X-Mailer: Sample Mailer 3.2\r\nContent-Type", "\n\n"}},
        {"mailbox.txt", true, 8,
         {"Content-Type: text/plain; charset=utf-8\r\n", "\r\nDave\r\n"},
         {"Received:", "X-Mailer:", "\n\n"}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.sample) + (c.allText ? " all text" : ""));
        const std::string mail = dir.File(c.sample);
        std::filesystem::copy_file(SamplePath(c.sample), mail, std::filesystem::copy_options::overwrite_existing);
        KeyList keys = {"Received", "X-Mailer", "DKIM-Signature", ";Subject"};
        EXPECT_EQ(StripHeaders(mail, keys, c.allText, false).removed, c.removed);
        const std::string out = ReadFile(mail);
        for (const auto& p : c.present)
            EXPECT_EQ(CountOf(out, p), 1) << p;
        for (const auto& a : c.absent)
            EXPECT_EQ(CountOf(out, a), 0) << a;
        EXPECT_EQ(CountOf(out, "\r\n"), CountOf(out, "\n"));
        EXPECT_EQ(CountOf(out, "\r\n"), CountOf(out, "\r"));
    }
}

}  // namespace norvane::test

namespace norvane::test {

namespace {

struct Collected : LineSink {
    void PutLine(std::string_view line) override { PutLineWithEnd(line, norvane::LineEnd::kCrLf); }
    void PutLineWithEnd(std::string_view line, norvane::LineEnd end) override
    {
        text += line;
        text += end == norvane::LineEnd::kCrLf ? "\n" : "<" + std::to_string(static_cast<int>(end)) + ">";
    }
    std::string text;
};

struct Outcome {
    std::string text;
    int removed;
    bool keptProtected;
};

Outcome StripWith(std::string_view text, const KeyList& keys, const StripOptions& options)
{
    KeyList list = keys;
    Collected out;
    HeaderStripper stripper(list, options, out);
    for (const std::string& line : Lines(text))
        stripper.PutLine(line);
    stripper.Finish();
    std::string result = out.text;
    if (!result.empty())
        result.pop_back();  // as Join gives it: no line end after the last line
    return {result, stripper.RemovedCount(), stripper.KeptProtected()};
}

StripOptions Rules(HeaderScope scope, bool anyCase, bool protectSigned = false)
{
    StripOptions options;
    options.scope = scope;
    options.anyCase = anyCase;
    options.protectSigned = protectSigned;
    return options;
}

struct ScopeCase {
    const char* name;
    const char* input;
    const char* first;
    int firstRemoved;
    const char* messages;
    int messagesRemoved;
    const char* all;
    int allRemoved;
};

void RunScopes(const KeyList& keys, bool anyCase, const std::vector<ScopeCase>& cases)
{
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const struct {
            HeaderScope scope;
            const char* name;
            const char* result;
            int removed;
        } scopes[] = {{HeaderScope::kFirst, "first", c.first, c.firstRemoved},
                      {HeaderScope::kMessages, "messages", c.messages, c.messagesRemoved},
                      {HeaderScope::kAll, "all", c.all, c.allRemoved}};
        for (const auto& s : scopes) {
            SCOPED_TRACE(s.name);
            const Outcome out = StripWith(c.input, keys, Rules(s.scope, anyCase));
            EXPECT_EQ(out.text, s.result);
            EXPECT_EQ(out.removed, s.removed);
        }
    }
}

const KeyList kLowerKeys = {"X-Relay-Score", "Received", "thread-index", ";Subject"};

}  // namespace

TEST(HeaderStripper, TakesLowerCaseKeysInsideHeaderBlocksOnly)
{
    RunScopes(kLowerKeys, true, {
        {"lower-case keys in the first block", "x-relay-score: 1\nthread-index: t\nSubject: s\n\nbody",
         "Subject: s\n\nbody", 2, "Subject: s\n\nbody", 2, "Subject: s\n\nbody", 2},
        {"outside a header block a lower-case line is body text",
         "Subject: s\n\nreceived: body\nx-relay-score: 2\nReceived: upper",
         "Subject: s\n\nreceived: body\nx-relay-score: 2\nReceived: upper", 0,
         "Subject: s\n\nreceived: body\nx-relay-score: 2\nReceived: upper", 0,
         "Subject: s\n\nreceived: body\nx-relay-score: 2", 1},
        {"in the middle of folded headers", "Subject: s\n\tfolded\nthread-index: t\n\tmore\nSubject: k",
         "Subject: s\n\tfolded\nSubject: k", 2, "Subject: s\n\tfolded\nSubject: k", 2,
         "Subject: s\n\tfolded\nSubject: k", 2},
        {"after a stripped header's continuation", "Received: a\n\tby b\nx-relay-score: 1\n\tc\nsubject: k\n\tf",
         "subject: k\n\tf", 4, "subject: k\n\tf", 4, "subject: k\n\tf", 4},
        {"a lower-case line that is no header line", "thread-index t\n\tc\nthread_index: u\n\nb",
         "thread-index t\n\tc\nthread_index: u\n\nb", 0, "thread-index t\n\tc\nthread_index: u\n\nb", 0,
         "thread-index t\n\tc\nthread_index: u\n\nb", 0},
        {"part headers after a delimiter",
         "Content-Type: multipart/mixed; boundary=b\n\n--b\nthread-index: p\nReceived: r\n\nbody\n--b--",
         "Content-Type: multipart/mixed; boundary=b\n\n--b\nthread-index: p\nReceived: r\n\nbody\n--b--", 0,
         "Content-Type: multipart/mixed; boundary=b\n\n--b\nthread-index: p\nReceived: r\n\nbody\n--b--", 0,
         "Content-Type: multipart/mixed; boundary=b\n\n--b\n\nbody\n--b--", 2},
        {"a body paragraph that looks like headers",
         "Subject: s\n\nthread-index: body\nReceived: x\n\nx-relay-score: y",
         "Subject: s\n\nthread-index: body\nReceived: x\n\nx-relay-score: y", 0,
         "Subject: s\n\nthread-index: body\nReceived: x\n\nx-relay-score: y", 0,
         "Subject: s\n\nthread-index: body\n\nx-relay-score: y", 1},
        {"each message of an mbox",
         "From a\nthread-index: 1\nSubject: s\n\nbody\nreceived: in body\n\nFrom b\nReceived: r\nx-relay-score: 2"
         "\n\nbody 2",
         "From a\nSubject: s\n\nbody\nreceived: in body\n\nFrom b\nReceived: r\nx-relay-score: 2\n\nbody 2", 1,
         "From a\nSubject: s\n\nbody\nreceived: in body\n\nFrom b\n\nbody 2", 3,
         "From a\nSubject: s\n\nbody\nreceived: in body\n\nFrom b\n\nbody 2", 3},
        {"a From line that follows no empty line starts nothing", "From a\nSubject: s\n\nbody\nFrom b\nthread-index: t",
         "From a\nSubject: s\n\nbody\nFrom b\nthread-index: t", 0, "From a\nSubject: s\n\nbody\nFrom b\nthread-index: t",
         0, "From a\nSubject: s\n\nbody\nFrom b\nthread-index: t", 0},
    });
}

TEST(HeaderStripper, StripsEveryMessageAndLeavesBodiesAlone)
{
    RunScopes({"Received", "X-Mailer", ";Subject"}, false, {
        {"several messages",
         "From a\nReceived: 1\n\tby x\nSubject: one\n\nReceived: in a body\nNote: x\n\nFrom b\nX-Mailer: m\n"
         "received: lower\n\nbody\n\tReceived\nFrom c\n\nFrom d\nReceived: 4",
         "From a\nSubject: one\n\nReceived: in a body\nNote: x\n\nFrom b\nX-Mailer: m\nreceived: lower\n\nbody\n"
         "\tReceived\nFrom c\n\nFrom d\nReceived: 4", 2,
         "From a\nSubject: one\n\nReceived: in a body\nNote: x\n\nFrom b\nreceived: lower\n\nbody\n\tReceived\n"
         "From c\n\nFrom d", 4,
         "From a\nSubject: one\n\nNote: x\n\nFrom b\nreceived: lower\n\nbody\n\tReceived\nFrom c\n\nFrom d", 5},
        {"one message with a From paragraph in its body",
         "Received: 1\nSubject: s\n\nhello\n\nFrom me to you\nReceived: kept\n",
         "Subject: s\n\nhello\n\nFrom me to you\nReceived: kept", 1,
         "Subject: s\n\nhello\n\nFrom me to you\nReceived: kept", 1, "Subject: s\n\nhello\n\nFrom me to you", 2},
        {"the charset join in every message's block",
         "From a\nContent-Type: text/plain;\n\tcharset=x\n\nContent-Type: t;\n\tcharset=y\n\nFrom b\n"
         "Content-Type: text/plain;\n\tcharset=z\n",
         "From a\nContent-Type: text/plain; charset=x\n\nContent-Type: t;\n\tcharset=y\n\nFrom b\n"
         "Content-Type: text/plain;\n\tcharset=z", 0,
         "From a\nContent-Type: text/plain; charset=x\n\nContent-Type: t;\n\tcharset=y\n\nFrom b\n"
         "Content-Type: text/plain; charset=z", 0,
         "From a\nContent-Type: text/plain; charset=x\n\nContent-Type: t; charset=y\n\nFrom b\n"
         "Content-Type: text/plain; charset=z", 0},
    });
}

TEST(HeaderStripper, JoinsCharsetInAnyLetterCase)
{
    const KeyList keys = {"Received"};
    struct Case {
        const char* name;
        const char* input;
        const char* anyCase;  // the result with anyCase; without it the input stays
    } cases[] = {
        {"both words in other case", "content-type: text/plain;\n\tCharSet=x\n\nb",
         "content-type: text/plain; CharSet=x\n\nb"},
        {"a lower-case key of its own is never joined", "CONTENT-TYPE: t;\nx-orig: a; charset=y",
         "CONTENT-TYPE: t;\nx-orig: a; charset=y"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StripWith(c.input, keys, Rules(HeaderScope::kFirst, true)).text, c.anyCase);
        EXPECT_EQ(StripWith(c.input, keys, Rules(HeaderScope::kFirst, false)).text, c.input);
    }
}

TEST(HeaderStripper, KeepsSignedAndEncryptedEntitiesWhole)
{
    const KeyList keys = {"Received", "Content-Type", "X-Spam"};
    constexpr const char* kSigned =
        "--s\nContent-Type: text/plain;\n\tcharset=x\nReceived: in signed\n\n\n\nX-Spam: body\n--s\n"
        "Content-Type: application/pkcs7-signature\n\nMIIB\n--s--\n\n\n\x1a";
    struct Case {
        const char* name;
        std::string input;
        HeaderScope scope;
        std::string result;
        int removed;
    } cases[] = {
        {"whole message, every line searched",
         "Received: r\ncontent-type: Multipart/Signed;\n boundary=s\n\n"s + kSigned, HeaderScope::kAll,
         "\n"s + kSigned, 3},
        {"whole message, first block", "Received: r\nContent-Type: multipart/signed; boundary=s\n\n"s + kSigned,
         HeaderScope::kFirst, "\n"s + kSigned, 2},
        {"an mbox message, then one that is not protected",
         "From a\nReceived: r\nContent-Type: application/pkcs7-mime\n\nQUFB\n\n\n\nFrom b\nReceived: 2\n\nX-Spam: x\n"
         "\n\n",
         HeaderScope::kMessages, "From a\n\nQUFB\n\n\n\nFrom b\n\nX-Spam: x", 3},
        {"a signed part of a mixed message",
         "Content-Type: multipart/mixed; boundary=m\n\n--m\nX-Spam: p\nContent-Type: multipart/signed; boundary=s"
         "\n\n"s + kSigned + "\n--m\nX-Spam: q\n\n\n\nX-Spam: body\n--m--\n\n",
         HeaderScope::kAll, "\n--m\n\n"s + kSigned + "\n--m\n\n--m--", 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome out = StripWith(c.input, keys, Rules(c.scope, true, true));
        EXPECT_EQ(Shown(out.text), Shown(c.result));
        EXPECT_EQ(out.removed, c.removed);
        EXPECT_TRUE(out.keptProtected);
        EXPECT_NE(StripWith(c.input, keys, Rules(c.scope, true, false)).text, out.text) << "unprotected";
    }
    EXPECT_FALSE(StripWith("Received: r\n\n\nbody\n\n", keys, Rules(HeaderScope::kAll, true, true)).keptProtected);
}

}  // namespace norvane::test
