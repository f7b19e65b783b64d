#include "engine/AttachmentSaver.h"
#include "engine/Error.h"
#include "engine/FileIo.h"
#include "engine/KeyList.h"
#include "engine/RemovalNote.h"
#include "engine/Sha256.h"
#include "engine/VeskFile.h"
#include "engine/VeskRun.h"
#include "MailLines.h"
#include "TestFiles.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace norvane::test {

namespace fs = std::filesystem;
using namespace std::literals;

namespace {

// Neither base64 nor quoted-printable output ever holds "=_", so no encoded
// line can pass for a delimiter.
constexpr std::string_view kBoundary = "=_norvane_test";

// Quoted-printable lines of a text without CR: each LF a hard break, lines
// of the encoding at most 76 bytes with soft breaks, "=" as "=3D", 8-bit
// and control bytes (TAB aside) as "=XX", blanks at a hard break encoded.
std::vector<std::string> QuotedPrintableLines(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::vector<std::string> lines;
    for (const std::string& line : Lines(text)) {
        std::string out;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const auto b = static_cast<unsigned char>(line[i]);
            const bool last = i + 1 == line.size();
            std::string piece;
            if ((b >= 33 && b <= 126 && b != '=') || ((b == ' ' || b == '\t') && !last))
                piece = std::string(1, static_cast<char>(b));
            else
                piece = {'=', kHex[b >> 4], kHex[b & 15]};
            if (out.size() + piece.size() > 75) {
                lines.push_back(out + "=");
                out.clear();
            }
            out += piece;
        }
        lines.push_back(out);
    }
    return lines;
}

struct Attachment {
    std::string name;      // the filename parameter; empty: none
    std::string encoding;  // Content-Transfer-Encoding; empty: none
    std::vector<std::string> body;
    std::string extraHeader{};  // one more header line, if any
};

std::vector<std::string> PartLines(const Attachment& a)
{
    std::vector<std::string> lines{"--" + std::string(kBoundary), "Content-Type: application/octet-stream"};
    lines.push_back(a.name.empty() ? "Content-Disposition: attachment"
                                   : "Content-Disposition: attachment; filename=\"" + a.name + "\"");
    if (!a.encoding.empty())
        lines.push_back("Content-Transfer-Encoding: " + a.encoding);
    if (!a.extraHeader.empty())
        lines.push_back(a.extraHeader);
    lines.emplace_back();
    lines.insert(lines.end(), a.body.begin(), a.body.end());
    return lines;
}

std::vector<std::string> MessageLines(const std::vector<Attachment>& attachments, bool closed = true)
{
    std::vector<std::string> lines{"From: a@example.org", "Subject: files", "MIME-Version: 1.0",
                                   "Content-Type: multipart/mixed; boundary=\"" + std::string(kBoundary) + "\"",
                                   "", "--" + std::string(kBoundary), "Content-Type: text/plain", "", "See the files."};
    for (const auto& a : attachments) {
        const auto part = PartLines(a);
        lines.insert(lines.end(), part.begin(), part.end());
    }
    if (closed)
        lines.push_back("--" + std::string(kBoundary) + "--");
    return lines;
}

std::string RandomBytes(std::mt19937& random, std::size_t size)
{
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

// Text without CR: printable and 8-bit bytes, TABs, "=", trailing blanks and
// empty lines, lines of every length up to well past one encoded line.
std::string RandomText(std::mt19937& random, int lines, bool finalLf)
{
    std::string text;
    for (int n = 0; n < lines; ++n) {
        const std::size_t length = random() % 200;
        for (std::size_t i = 0; i < length; ++i) {
            const unsigned pick = random() % 10;
            if (pick == 0)
                text += '\t';
            else if (pick == 1)
                text += '=';
            else if (pick == 2)
                text += static_cast<char>(128 + random() % 128);
            else
                text += static_cast<char>(32 + random() % 95);
        }
        if (random() % 4 == 0)
            text += random() % 2 ? " " : "\t ";
        if (n + 1 < lines || finalLf)
            text += '\n';
    }
    return text;
}

KeyList NoKeys()
{
    return KeyList();
}

VeskOptions SaveOptionsOn(bool note = true)
{
    VeskOptions options;
    options.removeAttachments = true;
    options.saveAttachments = true;
    options.removalNote = note;
    options.fileNameCharset = "UTF-8";
    return options;
}

VeskCounts VeskOne(const std::string& file, const VeskOptions& options)
{
    VeskRun run({file});
    KeyList keys = NoKeys();
    return VeskFile(file, keys, options, run);
}

std::string Note(std::string_view content, std::optional<std::string_view> saved)
{
    return RemovalNoteLine(content.size(), Sha256Hex(content), saved, {});
}

// Runs Vesk over the files in order under one run, as a job would.
std::vector<VeskCounts> RunAll(const std::vector<std::string>& files, const VeskOptions& options)
{
    VeskRun run(files);
    KeyList keys = NoKeys();
    std::vector<VeskCounts> counts;
    for (const auto& file : files)
        counts.push_back(VeskFile(file, keys, options, run));
    return counts;
}

// Restores the current folder.
class CurrentFolder {
public:
    explicit CurrentFolder(const fs::path& folder) : old_(fs::current_path()) { fs::current_path(folder); }
    ~CurrentFolder() { fs::current_path(old_); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    fs::path old_;
};

}  // namespace

TEST(SaveAttachments, RoundTripsRandomContentInMailsAndMailboxes)
{
    TempDir dir(true);
    std::mt19937 random(20261207);
    std::vector<Attachment> attachments;
    std::vector<std::string> contents;
    for (const std::size_t size : {1, 57, 4096, 100 * 1000}) {
        for (const std::size_t width : {60, 72, 76}) {
            contents.push_back(RandomBytes(random, size));
            attachments.push_back({"bin-" + std::to_string(size) + "-" + std::to_string(width) + ".dat", "base64",
                                   Lines(Base64Encode(contents.back(), width, "\n"))});
        }
    }
    // An empty content: one empty body line.
    contents.emplace_back();
    attachments.push_back({"empty.dat", "base64", {""}});
    for (const int lines : {1, 2, 7, 60}) {
        for (const bool finalLf : {false, true}) {
            contents.push_back(RandomText(random, lines, finalLf));
            attachments.push_back({"text-" + std::to_string(lines) + (finalLf ? "-lf" : "") + ".txt",
                                   "quoted-printable", QuotedPrintableLines(contents.back())});
        }
    }
    for (const bool mbox : {false, true}) {
        for (const std::string_view eol : {"\r\n"sv, "\n"sv}) {
            SCOPED_TRACE(std::string(mbox ? "mbox" : "mail") + (eol.size() == 2 ? " CR LF" : " LF"));
            const std::string name = std::string(mbox ? "box" : "m") + (eol.size() == 2 ? "-crlf" : "-lf");
            const std::string mail = dir.File(name);
            std::vector<std::string> lines;
            std::vector<std::string> expectedSaved;
            const int messages = mbox ? 2 : 1;
            for (int m = 0; m < messages; ++m) {
                if (mbox)
                    lines.push_back("From a@example.org Mon Dec  7 12:00:00 2026");
                const auto message = MessageLines(attachments);
                lines.insert(lines.end(), message.begin(), message.end());
                if (mbox)
                    lines.emplace_back();
                for (const auto& a : attachments)
                    expectedSaved.push_back(m == 0 ? a.name : NumberedName(a.name, 2, "UTF-8"));
            }
            WriteFile(mail, FileBytes(lines, eol));

            const VeskCounts counts = VeskOne(mail, SaveOptionsOn());
            ASSERT_EQ(counts.saved.size(), expectedSaved.size());
            const std::string result = ReadFile(mail);
            for (std::size_t i = 0; i < expectedSaved.size(); ++i) {
                SCOPED_TRACE(expectedSaved[i]);
                const std::string& content = contents[i % contents.size()];
                EXPECT_EQ(counts.saved[i], mail + ".attachments/" + expectedSaved[i]);
                EXPECT_TRUE(ReadFile(counts.saved[i]) == content) << "saved content differs";
                // The note ends the part headers, the body is gone.
                const std::string note = Note(content, name + ".attachments/" + expectedSaved[i]);
                EXPECT_NE(result.find("\r\n" + note + "\r\n\r\n--" + std::string(kBoundary)), std::string::npos);
            }
            EXPECT_EQ(result.find(Lines(Base64Encode(contents[9], 60, "\n")).front()), std::string::npos);
        }
    }
}

TEST(SaveAttachments, NoteLineByOptions)
{
    TempDir dir;
    const std::vector<Attachment> one{{"abc.txt", "base64", {"YWJj"}}};
    const std::string knownDigest = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    struct Case {
        const char* name;
        bool save;
        bool note;
        bool removeTraces;
        bool keepLineEnds;
        std::string_view eol;
        std::string expectedPart;  // the part as the result holds it, LF for its line ends
    } cases[] = {
        {"saved and noted", true, true, false, false, "\n",
         "Content-Transfer-Encoding: base64\nX-Norvane-Removed: 3 bytes; sha256=" + knownDigest +
             "; saved=\"m.attachments/abc.txt\"\n\n--"},
        {"noted only", false, true, false, false, "\r\n",
         "Content-Transfer-Encoding: base64\nX-Norvane-Removed: 3 bytes; sha256=" + knownDigest + "\n\n--"},
        {"saved without note", true, false, false, false, "\n", "Content-Transfer-Encoding: base64\n\n--"},
        {"traces removed: no note", true, true, true, false, "\n", "See the files.\n\n--=_norvane_test--"},
        {"line ends kept, LF", true, true, false, true, "\n",
         "Content-Transfer-Encoding: base64\nX-Norvane-Removed: 3 bytes; sha256=" + knownDigest +
             "; saved=\"m.attachments/abc.txt\"\n\n--"},
        {"line ends kept, CR LF", false, true, false, true, "\r\n",
         "Content-Transfer-Encoding: base64\nX-Norvane-Removed: 3 bytes; sha256=" + knownDigest + "\n\n--"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir.Path() / "m.attachments");
        const std::string mail = dir.File("m");
        WriteFile(mail, FileBytes(MessageLines(one), c.eol));
        VeskOptions options = SaveOptionsOn(c.note);
        options.saveAttachments = c.save;
        options.removeTraces = c.removeTraces;
        options.keepLineEnds = c.keepLineEnds;
        const VeskCounts counts = VeskOne(mail, options);
        const std::string outEol = c.keepLineEnds ? std::string(c.eol) : "\r\n";
        std::string expected = c.expectedPart;
        std::string withEnds;
        for (const char ch : expected)
            withEnds += ch == '\n' ? outEol : std::string(1, ch);
        EXPECT_NE(ReadFile(mail).find(withEnds), std::string::npos) << ReadFile(mail);
        EXPECT_EQ(counts.saved.size(), c.save ? 1u : 0u);
        if (c.save) {
            EXPECT_EQ(ReadFile(dir.File("m.attachments/abc.txt")), "abc");
        }
        EXPECT_EQ(fs::exists(dir.Path() / "m.attachments"), c.save);
        // The note is not counted among the removed lines.
        EXPECT_EQ(counts.attachmentLines, c.removeTraces ? 5 : 1);
    }
}

TEST(SaveAttachments, DecodesByTransferEncodingAndNamesTheFiles)
{
    TempDir dir;
    struct Case {
        const char* name;
        Attachment attachment;
        const char* savedName;
        std::string content;
    } cases[] = {
        {"7bit lines joined by LF", {"a.txt", "7bit", {"one", "two", ""}}, "a.txt", "one\ntwo\n"},
        {"no encoding header", {"b.txt", "", {"x"}}, "b.txt", "x"},
        {"quoted-printable soft break and =3D", {"c.txt", "quoted-printable", {"a=3Db=", "c=E9"}}, "c.txt",
         "a=bc\xE9"},
        {"unknown encoding kept as it stands", {"d.bin", "x-uuencode", {"begin 644 d", "end"}}, "d.bin.encoded",
         "begin 644 d\nend"},
        {"no name: numbered by its place", {"", "base64", {"AA=="}}, "attachment-5", "\0"s},
        {"path elements dropped", {"../../etc/passwd", "base64", {"YQ=="}}, "passwd", "a"},
        {"hidden and option names made plain", {".-rf", "base64", {"Yg=="}}, "rf", "b"},
        {"encoded word decoded", {"=?UTF-8?B?w6l0w6kucGRm?=", "base64", {"Yw=="}}, "\xC3\xA9t\xC3\xA9.pdf", "c"},
    };
    std::vector<Attachment> attachments;
    for (const auto& c : cases)
        attachments.push_back(c.attachment);
    const std::string mail = dir.File("m.eml");
    WriteFile(mail, FileBytes(MessageLines(attachments), "\r\n"));
    const VeskCounts counts = VeskOne(mail, SaveOptionsOn());
    ASSERT_EQ(counts.saved.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_EQ(counts.saved[i], mail + ".attachments/" + cases[i].savedName);
        EXPECT_EQ(ReadFile(counts.saved[i]), cases[i].content);
    }
    // Nothing is left behind but the saved files.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path() / "m.eml.attachments"), fs::directory_iterator()),
              static_cast<long>(std::size(cases)));
}

TEST(SaveAttachments, NumbersTakenNamesInArgumentOrderAcrossMails)
{
    TempDir dir;
    const std::string out = dir.File("out");
    fs::create_directories(out);
    WriteFile(out + "/report.pdf", "there before");
    std::vector<std::string> mails;
    for (const char* m : {"m1", "m2", "m3"}) {
        mails.push_back(dir.File(m));
        // Each mail holds two attachments of one name; the contents tell the
        // mail and the place.
        WriteFile(mails.back(), FileBytes(MessageLines({{"report.pdf", "7bit", {std::string(m) + "a"}},
                                                        {"report.pdf", "7bit", {std::string(m) + "b"}}}),
                                          "\n"));
    }
    VeskOptions options = SaveOptionsOn();
    options.attachmentFolder = out;
    const auto counts = RunAll(mails, options);
    const std::vector<std::pair<std::string, std::string>> expected{
        {"report-2.pdf", "m1a"}, {"report-3.pdf", "m1b"}, {"report-4.pdf", "m2a"},
        {"report-5.pdf", "m2b"}, {"report-6.pdf", "m3a"}, {"report-7.pdf", "m3b"},
    };
    std::size_t at = 0;
    for (const auto& c : counts) {
        ASSERT_EQ(c.saved.size(), 2u);
        for (const auto& saved : c.saved) {
            EXPECT_EQ(saved, out + "/" + expected[at].first);
            EXPECT_EQ(ReadFile(saved), expected[at].second);
            ++at;
        }
    }
    EXPECT_EQ(ReadFile(out + "/report.pdf"), "there before");
    // A folder given absolute is named absolute in the note.
    EXPECT_NE(ReadFile(mails[0]).find("; saved=\"" + out + "/report-2.pdf\"\r\n"), std::string::npos);
}

TEST(SaveAttachments, FolderBesideTheMailInAMaildirOrAsGiven)
{
    TempDir dir;
    CurrentFolder here(dir.Path());
    for (const char* sub : {"box/cur", "box/new", "box/tmp", "mails"})
        fs::create_directories(sub);
    const auto bytes = FileBytes(MessageLines({{"x.txt", "7bit", {"x"}}}), "\n");
    struct Case {
        const char* name;
        const char* mail;
        const char* folder;     // as given; empty: the default
        const char* saved;      // as the result lists it
        const char* notePath;   // as the note gives it
    } cases[] = {
        {"beside the mail", "mails/a.eml", "", "mails/a.eml.attachments/x.txt", "a.eml.attachments/x.txt"},
        {"in the current folder", "b.eml", "", "b.eml.attachments/x.txt", "b.eml.attachments/x.txt"},
        {"Maildir cur", "box/cur/1:2,S", "", "box/norvane-attachments/x.txt", "../norvane-attachments/x.txt"},
        {"Maildir new", "box/new/2", "", "box/norvane-attachments/x-2.txt", "../norvane-attachments/x-2.txt"},
        {"given relative", "mails/c.eml", "out/files", "out/files/x.txt", "../out/files/x.txt"},
        {"given as the mail's folder", "mails/d.eml", "mails/", "mails/x.txt", "x.txt"},
    };
    fs::create_directories("out");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(c.mail, bytes);
        VeskOptions options = SaveOptionsOn();
        options.attachmentFolder = c.folder;
        const VeskCounts counts = VeskOne(c.mail, options);
        ASSERT_EQ(counts.saved.size(), 1u);
        EXPECT_EQ(counts.saved[0], c.saved);
        EXPECT_EQ(ReadFile(c.saved), "x");
        EXPECT_NE(ReadFile(c.mail).find(Note("x", c.notePath)), std::string::npos) << ReadFile(c.mail);
    }
    struct stat st {};
    ASSERT_EQ(::stat("mails/a.eml.attachments", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(SaveAttachments, ACutOffBodyLeavesNoFileAndStaysInTheMail)
{
    TempDir dir;
    for (const std::string_view eol : {"\r\n"sv, "\n"sv}) {
        SCOPED_TRACE(eol.size() == 2 ? "CR LF" : "LF");
        fs::remove_all(dir.Path() / "m.attachments");
        const std::string mail = dir.File("m");
        const std::string original =
            FileBytes(MessageLines({{"whole.txt", "7bit", {"w"}}, {"cut.txt", "7bit", {"c1", "c2"}}}, false), eol);
        WriteFile(mail, original);
        const VeskCounts counts = VeskOne(mail, SaveOptionsOn());
        ASSERT_EQ(counts.saved, std::vector<std::string>{mail + ".attachments/whole.txt"});
        EXPECT_EQ(ListFolder(dir.Path() / "m.attachments"), "whole.txt ");
        const std::string result = ReadFile(mail);
        EXPECT_NE(result.find("c1\r\nc2\r\n"), std::string::npos);
        // Only the whole part got a note.
        EXPECT_EQ(result.find("X-Norvane-Removed"), result.rfind("X-Norvane-Removed"));
    }
    // Only a cut-off body: no folder either.
    fs::remove_all(dir.Path() / "m.attachments");
    const std::string mail = dir.File("m");
    WriteFile(mail, FileBytes(MessageLines({{"cut.txt", "7bit", {"c1", "c2"}}}, false), "\n"));
    EXPECT_TRUE(VeskOne(mail, SaveOptionsOn()).saved.empty());
    EXPECT_FALSE(fs::exists(dir.Path() / "m.attachments"));
}

TEST(SaveAttachments, AFailedStepRemovesTheFilesAndLeavesTheMail)
{
    SeamGuard guard;
    TempDir dir;
    const std::string mail = dir.File("m.eml");
    const std::string original =
        FileBytes(MessageLines({{"one.txt", "7bit", {"1"}}, {"two.txt", "7bit", {"2"}}}), "\r\n");
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::string failing;  // the name the error gives
        bool folderLeft;
    } cases[] = {
        {"the mail may not be replaced",
         [] { TestSeam().mayWrite = [](const std::string& t) { return !t.ends_with("m.eml"); }; }, mail, false},
        {"the mail cannot be renamed",
         [] { TestSeam().failBeforeRename = [](const std::string& t) { return t.ends_with("m.eml"); }; }, mail,
         false},
        {"the second file cannot be written",
         [] { TestSeam().failBeforeRename = [](const std::string& t) { return t.ends_with("two.txt"); }; },
         mail + ".attachments/two.txt", false},
        {"the folder cannot be made", [&] { WriteFile(mail + ".attachments", "a file"); },
         mail + ".attachments", true},
        {"the default folder is a link",
         [&] {
             fs::create_directories(dir.Path() / "elsewhere");
             fs::create_directory_symlink(dir.Path() / "elsewhere", mail + ".attachments");
         },
         mail + ".attachments", true},
        {"the folder exists already",
         [&] {
             fs::create_directories(mail + ".attachments");
             TestSeam().mayWrite = [](const std::string& t) { return !t.ends_with("m.eml"); };
         },
         mail, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestSeam() = FileSystemSeam{};
        fs::remove_all(mail + ".attachments");
        fs::remove_all(dir.Path() / "elsewhere");
        WriteFile(mail, original);
        c.arrange();
        const std::string error = ErrorText([&] { VeskOne(mail, SaveOptionsOn()); });
        EXPECT_EQ(error, "ﾌｧｲﾙ " + c.failing + " を作成できません");
        EXPECT_EQ(ReadFile(mail), original);
        EXPECT_EQ(fs::exists(mail + ".attachments"), c.folderLeft);
        if (fs::is_directory(mail + ".attachments")) {
            EXPECT_EQ(ListFolder(mail + ".attachments"), "");
        }
        EXPECT_EQ(ListFolder(dir.Path()), fs::exists(dir.Path() / "elsewhere") ? "elsewhere m.eml m.eml.attachments "
                                          : c.folderLeft                         ? "m.eml m.eml.attachments "
                                                                                 : "m.eml ");
    }
}

TEST(SaveAttachments, ANameTakenWhileTheFileWasWrittenIsNumbered)
{
    SeamGuard guard;
    TempDir dir;
    const std::string mail = dir.File("m");
    const std::string folder = mail + ".attachments/";
    for (const std::string_view eol : {"\r\n"sv, "\n"sv}) {
        SCOPED_TRACE(eol.size() == 2 ? "CR LF" : "LF");
        fs::remove_all(folder);
        WriteFile(mail, FileBytes(MessageLines({{"one.txt", "7bit", {"1"}}}), eol));
        // Another program takes the name just before the file would.
        TestSeam().failBeforeRename = [&](const std::string& target) {
            if (target == folder + "one.txt")
                WriteFile(target, "other");
            return false;
        };
        const VeskCounts counts = VeskOne(mail, SaveOptionsOn());
        EXPECT_EQ(counts.saved, std::vector<std::string>{folder + "one-2.txt"});
        EXPECT_EQ(ReadFile(folder + "one.txt"), "other");
        EXPECT_EQ(ListFolder(folder), "one-2.txt one.txt ");
        EXPECT_NE(ReadFile(mail).find(Note(ReadFile(folder + "one-2.txt"), "m.attachments/one-2.txt")),
                  std::string::npos);
    }
}

TEST(SaveAttachments, ADryRunDroppedUnfinishedRemovesNothing)
{
    TempDir dir;
    const std::string mail = dir.File("m");
    const std::string folder = mail + ".attachments/";
    for (const std::string_view eol : {"\r\n"sv, "\n"sv}) {
        SCOPED_TRACE(eol.size() == 2 ? "CR LF" : "LF");
        fs::remove_all(folder);
        fs::create_directories(folder);
        const std::string original = FileBytes(MessageLines({{"one.txt", "7bit", {"1"}}}), eol);
        WriteFile(mail, original);
        VeskRun run({mail});
        VeskMode dryRun;
        dryRun.dryRun = true;
        {
            PreparedVesk prepared = PrepareVeskFile(mail, NoKeys(), SaveOptionsOn(), run, dryRun);
            ASSERT_EQ(prepared.Counts().saved, std::vector<std::string>{folder + "one.txt"});
            // Made under the planned name meanwhile: the dry run only planned it.
            WriteFile(folder + "one.txt", "someone else's");
        }
        EXPECT_EQ(ReadFile(folder + "one.txt"), "someone else's");
        EXPECT_EQ(ReadFile(mail), original);
    }
}

TEST(SaveAttachments, NothingFromASignedEntity)
{
    TempDir dir;
    const std::string mail = dir.File("m");
    const std::vector<std::string> lines{
        "Content-Type: multipart/mixed; boundary=\"" + std::string(kBoundary) + "\"",
        "",
        "--" + std::string(kBoundary),
        "Content-Type: multipart/signed; boundary=\"inner\"; protocol=\"application/pgp-signature\"",
        "",
        "--inner",
        "Content-Type: multipart/mixed; boundary=\"" + std::string(kBoundary) + "\"",
        "",
        "--" + std::string(kBoundary),
        "Content-Disposition: attachment; filename=\"signed.txt\"",
        "",
        "kept",
        "--" + std::string(kBoundary) + "--",
        "--inner",
        "Content-Type: application/pgp-signature",
        "",
        "sig",
        "--inner--",
        "--" + std::string(kBoundary) + "--",
    };
    const std::string original = FileBytes(lines, "\r\n");
    WriteFile(mail, original);
    VeskOptions options = SaveOptionsOn();
    options.protectSigned = true;
    const VeskCounts counts = VeskOne(mail, options);
    EXPECT_TRUE(counts.protectedEntity);
    EXPECT_TRUE(counts.saved.empty());
    EXPECT_EQ(ReadFile(mail), original);
    EXPECT_FALSE(fs::exists(mail + ".attachments"));
}

TEST(SaveAttachments, ASecondRunChangesNothing)
{
    TempDir dir;
    for (const bool note : {true, false}) {
        for (const std::string_view eol : {"\r\n"sv, "\n"sv}) {
            SCOPED_TRACE(std::string(note ? "with note" : "without note") + (eol.size() == 2 ? " CR LF" : " LF"));
            fs::remove_all(dir.Path() / "m.attachments");
            const std::string mail = dir.File("m");
            WriteFile(mail, FileBytes(MessageLines({{"a.txt", "7bit", {"a"}}, {"", "base64", {"Yg=="}}}), eol));
            const VeskCounts first = VeskOne(mail, SaveOptionsOn(note));
            EXPECT_EQ(first.saved.size(), 2u);
            const std::string after = ReadFile(mail);
            const VeskCounts second = VeskOne(mail, SaveOptionsOn(note));
            EXPECT_EQ(second.outcome, VeskOutcome::kUnchanged);
            EXPECT_TRUE(second.saved.empty());
            EXPECT_EQ(ReadFile(mail), after);
            EXPECT_EQ(ListFolder(dir.Path() / "m.attachments"), "a.txt attachment-2 ");
        }
    }
}

TEST(SaveAttachments, APartNotedBeforeIsNeitherSavedNorNotedAgain)
{
    TempDir dir;
    const std::string mail = dir.File("m");
    const std::string earlier = "X-Norvane-Removed: 1 bytes; sha256=" + Sha256Hex("a");
    WriteFile(mail, FileBytes(MessageLines({{"a.txt", "7bit", {"again"}, earlier}}), "\r\n"));
    const VeskCounts counts = VeskOne(mail, SaveOptionsOn());
    EXPECT_TRUE(counts.saved.empty());
    EXPECT_EQ(counts.attachmentLines, 1);
    const std::string result = ReadFile(mail);
    EXPECT_NE(result.find(earlier + "\r\n\r\n--"), std::string::npos);
    EXPECT_EQ(result.find("X-Norvane-Removed"), result.rfind("X-Norvane-Removed"));
    EXPECT_EQ(result.find("again"), std::string::npos);
}

TEST(SaveAttachments, ChoosesNamesWithoutWriting)
{
    PartHeader header;
    header.PutLine("Content-Type: application/pdf");
    header.PutLine("Content-Disposition: attachment; filename*=utf-8''r%C3%A9sum%C3%A9.pdf");
    const std::vector<std::string> taken{"r\xC3\xA9sum\xC3\xA9.pdf", "r\xC3\xA9sum\xC3\xA9-2.pdf"};
    const auto isTaken = [&](std::string_view name) {
        return std::find(taken.begin(), taken.end(), name) != taken.end();
    };
    EXPECT_EQ(ChooseSavedName(header, 1, "UTF-8", isTaken), "r\xC3\xA9sum\xC3\xA9-3.pdf");
    EXPECT_EQ(ChooseSavedName(header, 1, "ISO-8859-1", isTaken), "r\xE9sum\xE9.pdf");
    PartHeader unnamed;
    unnamed.PutLine("Content-Type: application/pdf");
    unnamed.PutLine("Content-Transfer-Encoding: x-gzip64");
    EXPECT_EQ(ChooseSavedName(unnamed, 4, "UTF-8", isTaken), "attachment-4.pdf.encoded");
    EXPECT_EQ(DefaultAttachmentFolder("dir/a.eml"), "a.eml.attachments/");
}

TEST(SaveAttachments, PythonSampleMailsKeepTheirNames)
{
    const fs::path data = "/usr/lib/python3.11/test/test_email/data";
    if (!fs::is_directory(data))
        GTEST_SKIP() << "the sample mails of libpython3.11-testsuite are not installed";
    TempDir dir;
    struct Case {
        const char* file;
        bool anyCase;
        std::vector<std::string> names;
        std::string_view magic;  // how each content begins
        std::string_view tail;   // and ends
    } cases[] = {
        {"msg_04.txt", false, {"msg.txt", "msg-2.txt"}, "a simple kind of mirror\n", "upon our own\n"},
        {"msg_22.txt", false, {"wibble.JPG", "wibble2.JPG"}, "\xFF\xD8\xFF", "\xFF\xD9"},
        // The disposition's filename goes before the type's name ("clock.bmp,69c").
        {"msg_26.txt", false, {"clock.bmp"}, "BM", ""},
        {"msg_07.txt", true, {"dingusfish.gif"}, "GIF8", ";"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string mail = dir.File(c.file);
        fs::copy_file(data / c.file, mail);
        VeskOptions options = SaveOptionsOn();
        options.anyCase = c.anyCase;
        const VeskCounts counts = VeskOne(mail, options);
        ASSERT_EQ(counts.saved.size(), c.names.size());
        const std::string result = ReadFile(mail);
        for (std::size_t i = 0; i < c.names.size(); ++i) {
            EXPECT_EQ(counts.saved[i], mail + ".attachments/" + c.names[i]);
            const std::string content = ReadFile(counts.saved[i]);
            EXPECT_TRUE(content.starts_with(c.magic));
            EXPECT_TRUE(content.ends_with(c.tail));
            EXPECT_NE(result.find(Note(content, std::string(c.file) + ".attachments/" + c.names[i])),
                      std::string::npos);
        }
    }
    // The signed sample keeps its signature file.
    const std::string signedMail = dir.File("msg_45.txt");
    fs::copy_file(data / "msg_45.txt", signedMail);
    VeskOptions options = SaveOptionsOn();
    options.protectSigned = true;
    EXPECT_TRUE(VeskOne(signedMail, options).saved.empty());
    EXPECT_FALSE(fs::exists(signedMail + ".attachments"));
}

}  // namespace norvane::test
