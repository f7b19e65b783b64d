#include "engine/Error.h"
#include "engine/HeaderAnalysis.h"
#include "engine/PassControl.h"
#include "engine/VeskFile.h"
#include "TestFiles.h"

#include <atomic>
#include <filesystem>
#include <sys/stat.h>

namespace norvane::test {

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;

// A mail of several read blocks: a header block to strip, a body of many
// lines and, with an attachment, a part the removal looks back over.
std::string LargeMail(std::string_view eol, bool attachment)
{
    std::string mail;
    const auto line = [&](std::string_view text) {
        mail += text;
        mail += eol;
    };
    line("Received: from a");
    line("\tby b");
    line("X-New-Key: first met here");
    line("Subject: large");
    line(attachment ? "Content-Type: multipart/mixed; boundary=\"b\"" : "Content-Type: text/plain");
    line("");
    if (attachment) {
        line("--b");
        line("Content-Type: text/plain");
        line("");
    }
    const std::string text(70, 'x');
    for (int i = 0; i < 45000; ++i)
        line(text);
    if (attachment) {
        line("--b");
        line("Content-Type: application/octet-stream; name=\"a.bin\"");
        line("Content-Disposition: attachment; filename=\"a.bin\"");
        line("Content-Transfer-Encoding: base64");
        line("");
        const std::string encoded(76, 'Q');
        for (int i = 0; i < 20000; ++i)
            line(encoded);
        line("--b--");
    }
    return mail;
}

struct FileState {
    std::string bytes;
    ino_t inode = 0;
    std::string folder;
};

FileState StateOf(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return {ReadFile(path), st.st_ino, ListFolder(fs::path(path).parent_path())};
}

}  // namespace

TEST(VeskFile, ACancelAtAnyPointLeavesTheFileWholeAndNothingBeside)
{
    struct Case {
        const char* name;
        std::uint64_t stopAfter;  // bytes read when the flag is set, or one of the two below
    };
    constexpr std::uint64_t kBeforeCommit = ~std::uint64_t{0};
    constexpr std::uint64_t kAtEnd = kBeforeCommit - 1;  // the whole file
    const Case cases[] = {
        {"before any read", 0},
        {"after the first block", 1},
        {"mid-way", 2 * kMiB + 12345},
        {"after the last block", kAtEnd},
        {"after the pass, before the backup and rename", kBeforeCommit},
    };
    const struct {
        const char* name;
        std::string_view eol;
    } ends[] = {{"CR LF", "\r\n"}, {"LF", "\n"}, {"CR", "\r"}};
    TempDir dir(true);
    for (const auto& end : ends) {
        for (const bool attachment : {false, true}) {
            const std::string mail = LargeMail(end.eol, attachment);
            ASSERT_GT(mail.size(), 3 * kMiB);
            for (const auto& c : cases) {
                SCOPED_TRACE(std::string(end.name) + (attachment ? ", attachment, " : ", ") + c.name);
                const fs::path folder = dir.Path() / "run";
                fs::remove_all(folder);
                fs::create_directories(folder);
                const std::string path = (folder / "m.eml").string();
                WriteFile(path, mail);
                const FileState before = StateOf(path);

                const std::uint64_t stopAfter = c.stopAfter == kAtEnd ? mail.size() : c.stopAfter;
                std::atomic<bool> cancel{stopAfter == 0};
                PassControl control;
                control.cancel = &cancel;
                std::uint64_t lastDone = 0;
                control.progress = [&](std::uint64_t done, std::uint64_t size) {
                    EXPECT_EQ(size, mail.size());
                    lastDone = done;
                    if (done >= stopAfter)
                        cancel = true;
                };
                KeyList keys{"Received"};
                VeskOptions options;
                options.backup = true;
                options.autoRegister = true;
                options.removeAttachments = attachment;
                VeskRun run({path});
                bool cancelled = false;
                try {
                    PreparedVesk prepared = PrepareVeskFile(path, keys, options, run, {}, &control);
                    if (c.stopAfter == kBeforeCommit) {
                        EXPECT_EQ(lastDone, mail.size());
                        EXPECT_TRUE(prepared.Changes());
                        cancel = true;
                    }
                    CommitPrepared(prepared, keys, run);
                } catch (const Error& error) {
                    cancelled = error.Cancelled();
                    EXPECT_EQ(std::string(error.what()), "処理を中止しました");
                }
                EXPECT_TRUE(cancelled);
                const FileState after = StateOf(path);
                EXPECT_TRUE(after.bytes == before.bytes);
                EXPECT_EQ(after.inode, before.inode);
                EXPECT_EQ(after.folder, "m.eml ");  // no temporary file, no backup
                EXPECT_EQ(keys, (KeyList{"Received"}));
            }
        }
    }
}

TEST(VeskFile, AControlThatIsNeverSetChangesNothingAndSeesTheWholeFile)
{
    TempDir dir(true);
    const std::string mail = LargeMail("\r\n", true);
    const std::string plain = dir.File("plain.eml");
    const std::string followed = dir.File("followed.eml");
    WriteFile(plain, mail);
    WriteFile(followed, mail);
    std::atomic<bool> cancel{false};
    PassControl control;
    control.cancel = &cancel;
    std::vector<std::uint64_t> reported;
    control.progress = [&](std::uint64_t done, std::uint64_t) { reported.push_back(done); };
    VeskOptions options;
    options.removeAttachments = true;
    KeyList keys{"Received"};
    KeyList sameKeys = keys;
    VeskRun run({plain, followed});
    const VeskCounts a = VeskFile(plain, keys, options, run);
    const VeskCounts b = VeskFile(followed, sameKeys, options, run, {}, &control);
    EXPECT_EQ(ReadFile(followed), ReadFile(plain));
    EXPECT_EQ(b.headerLines, a.headerLines);
    EXPECT_EQ(b.attachmentLines, a.attachmentLines);
    ASSERT_GE(reported.size(), 4u);  // one per block, not one per file
    EXPECT_EQ(*std::max_element(reported.begin(), reported.end()), mail.size());
}

TEST(CountHeaderKeys, ACancelLeavesTheTallyAsItWas)
{
    TempDir dir;
    const std::string path = dir.File("m.eml");
    WriteFile(path, LargeMail("\n", false));
    AnalyzeOptions options;
    options.scope = HeaderScope::kAll;
    KeyCountList tally{"Subject=4"};
    std::atomic<bool> cancel{false};
    PassControl control;
    control.cancel = &cancel;
    control.progress = [&](std::uint64_t done, std::uint64_t) {
        if (done >= kMiB)
            cancel = true;
    };
    const std::string error = ErrorText([&] { CountHeaderKeys(path, tally, options, &control); });
    EXPECT_EQ(error, "処理を中止しました");
    EXPECT_EQ(tally, (KeyCountList{"Subject=4"}));
    cancel = false;
    control.progress = nullptr;
    KeyCountList unfollowed = tally;
    EXPECT_EQ(CountHeaderKeys(path, tally, options, &control), CountHeaderKeys(path, unfollowed, options));
    EXPECT_EQ(tally, unfollowed);
}

}  // namespace norvane::test
