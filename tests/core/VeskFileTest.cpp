#include "engine/Attachments.h"
#include "engine/Error.h"
#include "engine/FileIo.h"
#include "engine/StripHeaders.h"
#include "engine/VeskFile.h"
#include "MailLines.h"
#include "ShownBytes.h"
#include "TestFiles.h"

#include <filesystem>
#include <random>
#include <fcntl.h>
#include <sys/stat.h>

namespace norvane::test {

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

// A scratch folder in memory when the machine has one: every run here
// rewrites files, and flushing each to disk would dominate the time.
class Scratch {
public:
    Scratch()
    {
        const fs::path shm = "/dev/shm";
        std::error_code error;
        const fs::path base = fs::is_directory(shm, error) && ::access("/dev/shm", W_OK) == 0
                                  ? shm
                                  : fs::temp_directory_path();
        path_ = base / ("norvane-vesk-" + std::to_string(::getpid()));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~Scratch() { fs::remove_all(path_); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    // A fresh empty folder.
    fs::path Folder(const std::string& name) const
    {
        const fs::path folder = path_ / name;
        fs::remove_all(folder);
        fs::create_directories(folder);
        return folder;
    }

private:
    fs::path path_;
};

struct Outcome {
    std::string files;  // every file of the folder: name, then its bytes
    VeskCounts counts;
    KeyList keys;
    bool rewritten = false;
    std::string error;
};

std::string Snapshot(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string text;
    for (const auto& name : names)
        text += "[" + name + "]\n" + ReadFile((folder / name).string()) + "\n";
    return text;
}

ino_t Inode(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_ino;
}

const KeyList kKeys = {"Received", "X-Mailer", ";Subject", "dkim-signature", ";X-Known"};

template <typename Run>
Outcome RunOn(const fs::path& folder, std::string_view bytes, const Run& run)
{
    const std::string mail = (folder / "m.eml").string();
    WriteFile(mail, bytes);
    const ino_t before = Inode(mail);
    Outcome outcome;
    outcome.keys = kKeys;
    try {
        outcome.counts = run(mail, outcome.keys);
    } catch (const Error& e) {
        outcome.error = e.what();
    }
    outcome.rewritten = Inode(mail) != before;
    outcome.files = Snapshot(folder);
    return outcome;
}

// The two operations one after the other; the backup, when on, is then an
// exact copy of the file as it was, taken only when the file changed.
Outcome TwoSteps(const fs::path& folder, std::string_view bytes, const VeskOptions& o)
{
    return RunOn(folder, bytes, [&](const std::string& mail, KeyList& keys) {
        VeskCounts counts;
        RemovalOptions removal;
        removal.removeTraces = o.removeAttachments && o.removeTraces;
        removal.anyCase = o.anyCase;
        removal.protectSigned = o.protectSigned;
        removal.keepLineEnds = o.keepLineEnds;
        const RemovalResult removed = RemoveAttachments(mail, false, o.removeAttachments, removal);
        counts.attachmentLines = removed.removed;
        StripOptions stripping;
        stripping.scope = o.Scope();
        stripping.anyCase = o.anyCase;
        stripping.protectSigned = o.protectSigned;
        stripping.autoRegister = o.autoRegister;
        stripping.keepLineEnds = o.keepLineEnds;
        StripResult stripped = StripHeaders(mail, keys, stripping);
        counts.headerLines = stripped.removed;
        counts.registeredKeys = std::move(stripped.registeredKeys);
        counts.protectedEntity = removed.protectedEntity || stripped.protectedEntity;
        if (o.backup && ReadFile(mail) != bytes)
            WriteFile((folder / "m.bak").string(), bytes);
        return counts;
    });
}

Outcome OnePass(const fs::path& folder, std::string_view bytes, const VeskOptions& o)
{
    return RunOn(folder, bytes, [&](const std::string& mail, KeyList& keys) {
        VeskRun run({mail});
        return VeskFile(mail, keys, o, run);
    });
}

std::string Describe(const VeskOptions& o)
{
    const char* scopes[] = {"", "messages ", "all "};
    return std::string(o.backup ? "backup " : "") + (o.removeAttachments ? "bodies " : "") +
           (o.removeTraces ? "traces " : "") + (o.allText ? "allText " : "") + (o.autoRegister ? "register " : "") +
           scopes[static_cast<int>(o.scope)] + (o.anyCase ? "anyCase " : "") + (o.protectSigned ? "protect " : "") +
           (o.keepLineEnds ? "keepEnds" : "");
}

void ExpectSameOutcome(const Scratch& scratch, std::string_view bytes, const VeskOptions& options)
{
    SCOPED_TRACE(Describe(options));
    const Outcome expected = TwoSteps(scratch.Folder("two"), bytes, options);
    const Outcome actual = OnePass(scratch.Folder("one"), bytes, options);
    if (expected.files.size() > 100000)
        EXPECT_TRUE(actual.files == expected.files) << "the files differ";
    else
        EXPECT_EQ(actual.files, expected.files);
    EXPECT_EQ(actual.counts.attachmentLines, expected.counts.attachmentLines);
    EXPECT_EQ(actual.counts.headerLines, expected.counts.headerLines);
    EXPECT_EQ(actual.counts.registeredKeys, expected.counts.registeredKeys);
    EXPECT_EQ(actual.counts.protectedEntity, expected.counts.protectedEntity);
    EXPECT_EQ(actual.keys, expected.keys);
    EXPECT_EQ(actual.rewritten, expected.rewritten);
    EXPECT_EQ(actual.counts.outcome == VeskOutcome::kProcessed, actual.rewritten);
    EXPECT_EQ(actual.error, expected.error);
}

std::vector<VeskOptions> AllOptions()
{
    std::vector<VeskOptions> all;
    for (int bits = 0; bits < 32; ++bits)
        all.push_back({(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0, (bits & 8) != 0, (bits & 16) != 0});
    return all;
}

constexpr const char* kHeaders =
    "Received: from a.example.org\n"
    "\tby b.example.org; Mon, 1 Jan 2024 10:00:00 +0900\n"
    "Received: from c.example.org\n"
    "DKIM-Signature: v=1; a=rsa-sha256;\n"
    "\tb=QUJD\n"
    "Subject: hello\n"
    "X-Mailer: tool 1.0\n"
    "X-New: fresh\n"
    "Content-Type: text/plain;\n"
    "\tcharset=\"iso-2022-jp\"\n";

constexpr const char* kMultipart =
    "From: a@example.org\n"
    "Received: from a.example.org\n"
    "Content-Type: multipart/mixed;\n"
    "\tboundary=\"=_b1\"\n"
    "\n"
    "--=_b1\n"
    "Content-Type: text/plain;\n"
    "\tcharset=\"us-ascii\"\n"
    "\n"
    "text\n"
    "\n"
    "\n"
    "--=_b1\n"
    "Content-Type: application/pdf; name=\"x.pdf\"\n"
    "Content-Disposition: attachment; filename=\"x.pdf\"\n"
    "\n"
    "JVBERi0x\n"
    "Received: inside the body\n"
    "--=_b1--\n";

}  // namespace

TEST(VeskFile, EqualsRemovalThenStripping)
{
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"headers CR LF", FileBytes(Lines(kHeaders + "\nbody\n\n\n\nend\n\n"s), "\r\n")},
        {"headers LF", FileBytes(Lines(kHeaders + "\nbody\n\n\nend"s), "\n")},
        {"headers CR", FileBytes(Lines(kHeaders + "\nbody\n\n\nend"s), "\r")},
        {"no last line end", "Received: x\r\nSubject: s\r\n\r\nbody"},
        {"mixed line ends", "Received: x\n\rSubject: s\r\nX-Mailer: m\r\r\nbody\n\n\r\n"},
        {"NULs", "Received: a\0b\nX-\0: c\nSubject: \0\n\nbo\0dy\n\0\n"s},
        {"multipart", FileBytes(Lines(kMultipart), "\r\n")},
        {"several messages", FileBytes(Lines(kMultipart + "From x\n"s + kHeaders + "\nbody\n" + kMultipart), "\n")},
        {"attachment at the end of the file",
         FileBytes(Lines(kMultipart + "From x\n"s + "Content-Type: multipart/mixed; boundary=\"q\"\n\n--q\n"
                         "Content-Disposition: attachment\n\nQUFB\nFrom y\nReceived: later\nX-Mailer: m\n"
                         "Subject: s\n\nbody\n\n\n"),
                   "\n")},
        {"forwarded multipart",
         FileBytes(Lines("Content-Type: multipart/mixed; boundary=\"out\"\nReceived: r\n\n--out\n"
                         "Content-Disposition: attachment\n\nReceived: fwd\nContent-Type: multipart/mixed; "
                         "boundary=\"in\"\n\n--in\nContent-Type: text/plain;\n\tcharset=x\n\nbody\n--in--\n"
                         "X-Mailer: m\n--out--\n"),
                   "\r\n")},
        {"closing delimiter before a disposition",
         FileBytes(Lines("Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Type: text/plain\n\nhi\n"
                         "--b--\nContent-Disposition: attachment\n\nkeep\n"),
                   "\n")},
        {"empty", ""},
        {"one line", "Received: x\r\n"},
        {"two lines", "Received: x\nb"},
        {"only empty lines", "\n\n\n"},
        {"end-of-file marks", "Subject: s\r\n\r\nbody\r\n\x1A\r\n\r\n\x1A"},
        {"first line empty", "\nReceived: x\nX-New: y\n"},
    };
    Scratch scratch;
    const auto options = AllOptions();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& o : options)
            ExpectSameOutcome(scratch, c.bytes, o);
    }
}

TEST(VeskFile, EqualsRemovalThenStrippingOnRandomFiles)
{
    const std::vector<std::string> vocabulary = {
        "Content-Type: multipart/mixed; boundary=\"b1\"",
        "Content-Type: multipart/mixed;",
        "\tboundary=\"b1\"",
        "Content-Type: text/plain;",
        "\tcharset=\"x\"",
        "--b1",
        "--b1--",
        "Content-Disposition: attachment",
        "",
        "",
        "QUFB",
        "Received: r",
        "\tby host",
        "X-Mailer: m",
        "X-New: n",
        "Subject: s",
        "received: lower",
        "\x1A",
        "From x",
    };
    const VeskOptions options[] = {
        {false, true, false, false, false},
        {true, true, true, false, true},
        {false, true, true, true, false},
        {true, true, false, true, true},
    };
    std::mt19937 random(7);
    Scratch scratch;
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string bytes = RandomLines(random, vocabulary, random() % 24);
        for (const auto& o : options)
            ExpectSameOutcome(scratch, bytes, o);
        if (HasFailure())
            return;
    }
}

namespace {

// The original option sets with each of the later rules.
std::vector<VeskOptions> EveryRule()
{
    std::vector<VeskOptions> all;
    int n = 0;
    for (const HeaderScope scope : {HeaderScope::kFirst, HeaderScope::kMessages, HeaderScope::kAll})
        for (const bool anyCase : {false, true})
            for (const bool protect : {false, true})
                for (const bool keep : {false, true})
                    for (const int removal : {0, 1, 2}) {
                        VeskOptions o;
                        o.backup = n % 2 == 0;
                        o.autoRegister = n % 3 == 0;
                        ++n;
                        o.removeAttachments = removal > 0;
                        o.removeTraces = removal > 1;
                        o.scope = scope;
                        o.anyCase = anyCase;
                        o.protectSigned = protect;
                        o.keepLineEnds = keep;
                        all.push_back(o);
                    }
    return all;
}

constexpr const char* kSignedPart =
    "--out\nContent-Type: multipart/signed; boundary=\"sig\"; protocol=\"application/pkcs7-signature\"\n\n"
    "--sig\nContent-Type: multipart/mixed; boundary=\"in\"\n\n--in\nContent-Type: text/plain;\n\tcharset=x\n\n"
    "Received: signed\n\n\n\n--in\nContent-Disposition: attachment; filename=\"a.pdf\"\n\nJVBERi0x\n--in--\n--sig\n"
    "Content-Type: application/pkcs7-signature\nContent-Disposition: attachment\n\nMIIB\n--sig--\n";

}  // namespace

TEST(VeskFile, EqualsRemovalThenStrippingUnderEveryRule)
{
    const std::string mixed = "Received: r\nContent-Type: multipart/mixed; boundary=\"out\"\n\n--out\n"
                              "Content-Type: text/plain\n\nhello\n"s + kSignedPart +
                              "--out\nContent-Disposition: attachment\n\nQkJC\n--out--\n\n";
    const std::string mbox =
        "From a\nReceived: r\nthread-index: t\nContent-Type: application/pkcs7-mime\n\nQUFB\n\n\n\nFrom b\n"
        "x-relay-score: 1\nReceived: r2\nContent-Type: Multipart/Mixed;\n\tcharset=x;\n\tBoundary=q\n\n--q\n"
        "content-disposition: attachment\nreceived: p\n\nQUFB\n--q--\n\nFrom c\nX-Mailer: m\n\nReceived: body\n"
        "From me\n\n\n";
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"a signed part among attachments, CR LF", FileBytes(Lines(mixed), "\r\n")},
        {"a signed part among attachments, CR", FileBytes(Lines(mixed), "\r")},
        {"an mbox of signed, lower-case and plain messages, LF", FileBytes(Lines(mbox), "\n")},
        {"an mbox, CR LF", FileBytes(Lines(mbox), "\r\n")},
        {"a lone CR before removed lines",
         "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\nhello\r--b\n"
         "Content-Disposition: attachment\n\nQUFB\n--b--\n\rReceived: r\n\nbody\r\rX-Mailer: m\n\n"},
        {"a stripped line that ended in a lone CR before removed lines",
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Type: text/plain\n\nhello\nReceived: x\r"
         "--b\nContent-Disposition: attachment\n\nQUFB\n--b--\n"},
        {"one message with From paragraphs", "received: r\nSubject: s\n\nhello\n\nFrom me\nreceived: x\nReceived: y\n"},
        {"mixed line ends", "Received: x\n\rSubject: s\r\nX-Mailer: m\r\r\nbody\n\n\r\n"},
        {"no last line end", "From a\nReceived: x\r\n\r\nFrom b\nContent-Type: t;\r\tcharset=x"},
        {"multipart", FileBytes(Lines(kMultipart), "\n")},
        {"several messages", FileBytes(Lines(kMultipart + "From x\n"s + kHeaders + "\nbody\n" + kMultipart), "\r")},
        {"empty", ""},
        {"one line", "Received: x"},
        {"only empty lines", "\n\r\n\r"},
    };
    Scratch scratch;
    const auto options = EveryRule();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& o : options)
            ExpectSameOutcome(scratch, c.bytes, o);
        if (HasFailure())
            return;
    }
}

TEST(VeskFile, EqualsRemovalThenStrippingOnRandomFilesUnderEveryRule)
{
    const std::vector<std::string> vocabulary = {
        "Content-Type: multipart/mixed; boundary=\"b1\"",
        "content-type: Multipart/Mixed;",
        "\tBoundary=b1",
        "Content-Type: multipart/signed; boundary=\"b2\"",
        "Content-Type: application/pkcs7-mime",
        "Content-Type: text/plain;",
        "\tcharset=\"x\"",
        "--b1",
        "--b1--",
        "--b2",
        "--b2--",
        "Content-Disposition: attachment",
        "content-disposition: inline",
        "",
        "",
        "",
        "QUFB",
        "Received: r",
        "received: lower",
        "\tby host",
        "x-relay-score: 1",
        "Subject: s",
        "\x1A",
        "From x",
    };
    const auto all = EveryRule();
    std::mt19937 random(12);
    Scratch scratch;
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string bytes = RandomLines(random, vocabulary, random() % 28);
        for (int k = 0; k < 4; ++k)
            ExpectSameOutcome(scratch, bytes, all[random() % all.size()]);
        if (HasFailure())
            return;
    }
}

TEST(VeskFile, EqualsRemovalThenStrippingWhenLinesPassInRunsAcrossReadBlocks)
{
    // Long stretches of lines that pass unchanged, broken by every kind of
    // line that must come alone, in a file larger than a read block; then
    // the same file as a first pass left it, which does not change again.
    const std::string_view breaks[] = {"",        "Received: r", "\tby host", "Content-Type: text/plain;",
                                       "\tcharset=x", "\x1A",    "--b1",     "From x",
                                       "content-type: Multipart/Signed; boundary=b1", "Subject: s"};
    const std::string_view ends[] = {"\r\n", "\r\n", "\r\n", "\r\n", "\n", "\r"};
    std::mt19937 random(11);
    std::string bytes = "From a\r\nReceived: r\r\nX-Mailer: m\r\n\r\n";
    while (bytes.size() < (std::size_t{3} << 19)) {
        if (random() % 3 == 0)
            bytes += breaks[random() % std::size(breaks)];
        else
            bytes += "QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVo" + std::to_string(random() % 1000);
        bytes += ends[random() % (random() % 20 == 0 ? std::size(ends) : 4)];
    }
    Scratch scratch;
    int n = 0;
    for (const auto& o : EveryRule()) {
        if (o.removeAttachments || n++ % 2 != 0)
            continue;
        ExpectSameOutcome(scratch, bytes, o);
        KeyList keys = kKeys;
        const std::string once = (scratch.Folder("once") / "m.eml").string();
        WriteFile(once, bytes);
        VeskRun run({once});
        VeskFile(once, keys, o, run);
        ExpectSameOutcome(scratch, ReadFile(once), o);
        if (HasFailure())
            return;
    }
}

TEST(VeskFile, KeepsASignedPartWholeAndReportsIt)
{
    const std::string text = "Received: outer\nX-Mailer: m\nContent-Type: multipart/mixed; boundary=\"out\"\n\n"
                             "--out\nContent-Type: text/plain\nReceived: part\n\nhello\n\n\n"s + kSignedPart +
                             "--out\nContent-Disposition: attachment\n\nQkJC\n--out--\n";
    const std::string stripped = "Content-Type: multipart/mixed; boundary=\"out\"\n\n--out\nContent-Type: text/plain\n"
                                 "\nhello\n\n"s + kSignedPart + "\n--out--";
    TempDir dir(true);
    const std::string mail = dir.File("m.eml");
    for (const auto& end : kLineEnds) {
        for (const bool keepLineEnds : {false, true}) {
            SCOPED_TRACE(std::string(end.name) + (keepLineEnds ? " kept" : " CR LF"));
            WriteFile(mail, FileBytes(Lines(text), end.eol));
            KeyList keys = kKeys;
            VeskRun run({mail});
            VeskOptions options{false, true, true, true, false};
            options.protectSigned = true;
            options.anyCase = true;
            options.keepLineEnds = keepLineEnds;
            const VeskCounts counts = VeskFile(mail, keys, options, run);
            EXPECT_TRUE(counts.protectedEntity);
            EXPECT_EQ(counts.headerLines, 3);
            EXPECT_EQ(counts.attachmentLines, 3);
            EXPECT_EQ(Shown(ReadFile(mail)), Shown(FileBytes(Lines(stripped), keepLineEnds ? end.eol : "\r\n")));

            WriteFile(mail, FileBytes(Lines(text), end.eol));
            options.protectSigned = false;
            EXPECT_FALSE(VeskFile(mail, keys, options, run).protectedEntity);
            EXPECT_EQ(ReadFile(mail).find("JVBERi0x"), std::string::npos) << "unprotected, the signed part changes";
        }
    }
}

TEST(VeskFile, KeepsLineEndsSoAFileWithNothingToDoIsNotRewritten)
{
    TempDir dir(true);
    const std::string mail = dir.File("m.mbox");
    struct Case {
        const char* name;
        std::string bytes;
        bool changes;
    } cases[] = {
        {"LF mbox", "From a\nSubject: 1\n\nbody\n\nFrom b\nSubject: 2\n\nbody\n", false},
        {"CR without a last line end", "Subject: 1\r\rbody", false},
        {"mixed", "Subject: 1\r\n\nbody\rmore\n", false},
        {"LF mbox with a ticked key in a later message", "From a\nSubject: 1\n\nFrom b\nReceived: r\n\nbody\n",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(mail, c.bytes);
        const ino_t inode = Inode(mail);
        KeyList keys = kKeys;
        VeskRun run({mail});
        VeskOptions options;
        options.scope = HeaderScope::kMessages;
        options.keepLineEnds = true;
        const VeskCounts counts = VeskFile(mail, keys, options, run);
        EXPECT_EQ(counts.outcome, c.changes ? VeskOutcome::kProcessed : VeskOutcome::kUnchanged);
        EXPECT_EQ(Inode(mail) != inode, c.changes);
        EXPECT_EQ(counts.bytesBefore, c.bytes.size());
        EXPECT_EQ(counts.bytesAfter, ReadFile(mail).size());
    }
    EXPECT_EQ(ReadFile(mail), "From a\nSubject: 1\n\nFrom b\n\nbody\n");
}

TEST(VeskFile, StreamsALargeMailbox)
{
    // Attachments larger than the read block, one of them cut off at the end.
    std::string text;
    for (int m = 0; m < 3; ++m) {
        text += kHeaders;
        text += "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Disposition: attachment\n\n";
        for (int i = 0; i < 30000; ++i)
            text += "QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVo" + std::to_string(i) + "\n";
        if (m < 2)
            text += "--b--\n\nFrom next\n";
    }
    Scratch scratch;
    ExpectSameOutcome(scratch, text, {true, true, true, true, true});
    ExpectSameOutcome(scratch, text, {false, true, false, false, false});
}

TEST(VeskFile, GivesEachFileOfARunItsOwnBackup)
{
    TempDir dir;
    WriteFile(dir.File("a.eml"), "Received: 1\nSubject: a\n");
    WriteFile(dir.File("a.txt"), "Received: 2\nSubject: b\n");
    WriteFile(dir.File("a.bak"), "left by an earlier run");
    VeskRun run({dir.File("a.eml"), dir.File("a.txt"), dir.File("./a.eml")});
    ASSERT_EQ(run.Files().size(), 2u);
    KeyList keys = kKeys;
    VeskOptions options;
    options.backup = true;
    for (const auto& file : run.Files())
        EXPECT_EQ(VeskFile(file, keys, options, run).headerLines, 1);
    EXPECT_EQ(ReadFile(dir.File("a.bak")), "left by an earlier run");
    EXPECT_EQ(ReadFile(dir.File("a.eml.bak")), "Received: 1\nSubject: a\n");
    EXPECT_EQ(ReadFile(dir.File("a.txt.bak")), "Received: 2\nSubject: b\n");
    EXPECT_EQ(ReadFile(dir.File("a.eml")), "Subject: a\r\n");
    EXPECT_EQ(ReadFile(dir.File("a.txt")), "Subject: b\r\n");
    EXPECT_EQ(ListFolder(dir.Path()), "a.bak a.eml a.eml.bak a.txt a.txt.bak ");
}

TEST(VeskFile, LeavesAFileThatDoesNotChangeUntouched)
{
    TempDir dir;
    const std::string mail = dir.File("m.eml");
    std::string big = "Subject: s\r\nX-New: n\r\n\r\n";
    for (int i = 0; big.size() < (3u << 20); ++i)
        big += "body line " + std::to_string(i) + "\r\n";
    const std::string attachment = "Subject: s\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\n"
                                   "Content-Disposition: attachment\r\n\r\nQUFB\r\n--b--\r\n";
    struct Case {
        const char* name;
        std::string bytes;
        bool changes;
        bool removal = false;
        mode_t mode = 0644;
    } cases[] = {
        {"CR LF, nothing to strip", "Subject: s\r\nX-New: n\r\n\r\nbody\r\n", false},
        {"CR LF, a ticked key", "Received: r\r\nSubject: s\r\n\r\nbody\r\n", true},
        {"LF", "Subject: s\n\nbody\n", true},
        {"CR", "Subject: s\r\rbody\r", true},
        {"CR LF without a final line end", "Subject: s\r\n\r\nbody", true},
        {"CR LF, a run of empty lines", "Subject: s\r\n\r\n\r\nbody\r\n", true},
        {"CR LF, a trailing empty line", "Subject: s\r\n\r\nbody\r\n\r\n", true},
        {"CR LF, a folded charset", "Content-Type: text/plain;\r\n\tcharset=x\r\n\r\nb\r\n", true},
        {"CR LF attachment, removal off", attachment, false},
        {"CR LF attachment, removal on", attachment, true, true},
        {"one LF line", "Received: x\n", false},
        {"empty", "", false},
        {"big CR LF", big, false},
        {"big CR LF, a trailing empty line", big + "\r\n", true},
        {"no write bit, does not change", "Subject: s\r\n\r\nbody\r\n", false, false, 0444},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir.Path());
        fs::create_directories(dir.Path());
        WriteFile(mail, c.bytes);
        ::chmod(mail.c_str(), c.mode);
        const timespec old[2] = {{1000, 0}, {2000, 0}};
        ::utimensat(AT_FDCWD, mail.c_str(), old, 0);
        const ino_t inode = Inode(mail);
        KeyList keys = kKeys;
        VeskRun run({mail});
        VeskOptions options;
        options.backup = true;
        options.removeAttachments = c.removal;
        const VeskCounts counts = VeskFile(mail, keys, options, run);
        EXPECT_EQ(counts.outcome, c.changes ? VeskOutcome::kProcessed : VeskOutcome::kUnchanged);
        EXPECT_EQ(Inode(mail) != inode, c.changes);
        if (c.changes) {
            EXPECT_TRUE(ReadFile(dir.File("m.bak")) == c.bytes) << "the backup is the file as it was";
            EXPECT_EQ(ListFolder(dir.Path()), "m.bak m.eml ");
        } else {
            struct stat st {};
            ::stat(mail.c_str(), &st);
            EXPECT_EQ(st.st_mtim.tv_sec, 2000);
            EXPECT_EQ(st.st_mode & 07777, c.mode);
            EXPECT_TRUE(ReadFile(mail) == c.bytes);
            EXPECT_EQ(ListFolder(dir.Path()), "m.eml ") << "no backup, no temporary file";
        }
    }
}

TEST(VeskFile, ReportsAndRegistersForAFileThatDoesNotChange)
{
    TempDir dir;
    const std::string mail = dir.File("m.eml");
    WriteFile(mail, "X-Fresh: f\r\nSubject: s\r\n\r\nbody\r\n");
    KeyList keys = kKeys;
    VeskRun run({mail});
    VeskOptions options;
    options.autoRegister = true;
    const VeskCounts counts = VeskFile(mail, keys, options, run);
    EXPECT_EQ(counts.outcome, VeskOutcome::kUnchanged);
    EXPECT_EQ(counts.headerLines, 0);
    EXPECT_EQ(counts.registeredKeys, std::vector<std::string>{"X-Fresh"});
    EXPECT_TRUE(keys.Contains("X-Fresh"));
    EXPECT_FALSE(keys.IsTicked("X-Fresh"));
}

TEST(VeskFile, RegistersKeysAndReturnsThem)
{
    TempDir dir;
    WriteFile(dir.File("m.eml"), "X-One: 1\nX-Two: 2\nX-One: 3\nX-Known: k\n\nX-Three: body\n");
    KeyList keys = kKeys;
    VeskRun run({dir.File("m.eml")});
    VeskOptions options;
    options.autoRegister = true;
    const VeskCounts counts = VeskFile(dir.File("m.eml"), keys, options, run);
    EXPECT_EQ(counts.registeredKeys, (std::vector<std::string>{"X-One", "X-Two"}));
    EXPECT_EQ(keys, (KeyList{"Received", "X-Mailer", ";Subject", "dkim-signature", ";X-Known", ";X-One", ";X-Two"}));
    // Saving is the caller's: nothing but the mail file is written.
    EXPECT_EQ(ListFolder(dir.Path()), "m.eml ");
    // Known now, so the next file registers nothing.
    EXPECT_TRUE(VeskFile(dir.File("m.eml"), keys, options, run).registeredKeys.empty());
}

TEST(VeskFile, FailuresKeepTheMailFile)
{
    SeamGuard guard;
    Scratch scratch;
    const std::string original = FileBytes(Lines(kMultipart + "X-Other: o\n"s), "\n");
    struct Case {
        const char* name;
        std::function<void()> arrange;
        const char* failing;  // the file named by the error
        const char* files;    // what the folder holds afterwards
    } cases[] = {
        {"backup cannot be written",
         [] { TestSeam().failBeforeRename = [](const std::string& t) { return t.ends_with("m.bak"); }; }, "m.bak",
         "m.eml "},
        {"mail file may not be written: refused before any backup",
         [] { TestSeam().mayWrite = [](const std::string& t) { return !t.ends_with("m.eml"); }; }, "m.eml",
         "m.eml "},
        {"mail file cannot be renamed",
         [] { TestSeam().failBeforeRename = [](const std::string& t) { return t.ends_with("m.eml"); }; }, "m.eml",
         "m.bak m.eml "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool removal : {true, false}) {
            SCOPED_TRACE(removal ? "with removal" : "stripping only");
            const VeskOptions options{true, removal, true, true, true};
            TestSeam() = FileSystemSeam{};
            c.arrange();
            const fs::path one = scratch.Folder("one");
            const Outcome actual = OnePass(one, original, options);
            EXPECT_EQ(actual.error, "ﾌｧｲﾙ " + (one / c.failing).string() + " を作成できません");
            EXPECT_EQ(ReadFile((one / "m.eml").string()), original);
            EXPECT_FALSE(actual.rewritten);
            EXPECT_EQ(ListFolder(one), c.files);
            if (fs::exists(one / "m.bak")) {
                EXPECT_EQ(ReadFile((one / "m.bak").string()), original);
            }
            if (std::string_view(c.failing) != "m.eml")
                continue;
            // The two operations one after the other fail alike, keys included.
            const fs::path two = scratch.Folder("two");
            const Outcome expected = TwoSteps(two, original, options);
            EXPECT_EQ(expected.error, "ﾌｧｲﾙ " + (two / c.failing).string() + " を作成できません");
            EXPECT_EQ(ReadFile((two / "m.eml").string()), original);
            EXPECT_EQ(actual.keys, expected.keys);
        }
    }
}

}  // namespace norvane::test
