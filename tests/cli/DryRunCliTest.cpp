#include "ChildProcess.h"
#include "MailLines.h"
#include "ShownBytes.h"
#include "TestFiles.h"


#include <cstdlib>
#include <filesystem>
#include <map>

namespace norvane::test {

namespace {

namespace fs = std::filesystem;

const std::string kStrip = "Received: from a\n\tby b\nX-New: n\nSubject: s\nContent-Type: text/plain;\n"
                           "\tcharset=iso-2022-jp\n\nbody\n\n\n";
const std::string kAttachment =
    "Subject: a\nContent-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Type: text/plain\n\ntext\n"
    "--b\nContent-Type: application/octet-stream; name=\"x.bin\"\nContent-Transfer-Encoding: base64\n\n"
    "QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVo=\nQUJD\n--b--\n";
const std::string kClean = "Subject: s\n\nbody\n";

class DryRunCli : public ::testing::Test {
protected:
    TempDir dir;
    fs::path mail = dir.Path() / "mail";
    fs::path copy = dir.Path() / "copy";
    std::string settings = (dir.Path() / "settings.ini").string();

    DryRunCli()
    {
        fs::create_directories(mail);
        WriteFile(settings, "[Dat]\nDat1=Received\n");
    }

    RunResult Vesk(const fs::path& folder, std::vector<std::string> args) const
    {
        args.insert(args.begin(), {"vesk", "--settings=" + settings});
        return RunProgram(NORVANE_CLI_PATH, args, folder, dir.Path(), nullptr);
    }

    // The mail files written, and a copy of them.
    void WriteMail(const std::map<std::string, std::string>& files)
    {
        for (const auto& [name, bytes] : files)
            WriteFile((mail / name).string(), bytes);
        fs::remove_all(copy);
        fs::copy(mail, copy);
    }
};

TEST_F(DryRunCli, RecordsOfTheRealRunWithSizesAndNothingWritten)
{
    const char* const ends[] = {"\r\n", "\n", "\r"};
    for (const char* end : ends) {
        SCOPED_TRACE(Shown(end));
        WriteFile(settings, "[Dat]\nDat1=Received\n");
        fs::remove(settings + ".lock");
        fs::remove_all(mail);
        fs::create_directories(mail);
        WriteMail({{"a.eml", WithEnds(kStrip, end)}, {"b.eml", WithEnds(kAttachment, end)},
                   {"c.eml", WithEnds(kClean, end)}});
        const std::vector<std::string> args = {"--backup", "--auto-register", "--remove-attachments",
                                               "a.eml", "b.eml", "c.eml"};
        const std::string mailBefore = FolderState(mail);
        const std::string settingsBefore = ReadFile(settings);
        std::vector<std::string> dryArgs = args;
        dryArgs.insert(dryArgs.begin(), "-n");
        const RunResult dry = Vesk(mail, dryArgs);
        EXPECT_EQ(dry.status, 0) << dry.err;
        EXPECT_EQ(FolderState(mail), mailBefore);
        EXPECT_EQ(ReadFile(settings), settingsBefore);
        EXPECT_FALSE(fs::exists(settings + ".lock"));

        const RunResult real = Vesk(mail, args);
        EXPECT_EQ(real.status, 0) << real.err;
        // Each dry record is the real one with the sizes before and after added.
        std::string expected;
        std::size_t at = 0;
        for (const char* name : {"a.eml", "b.eml", "c.eml"}) {
            const std::size_t lf = real.out.find('\n', at);
            ASSERT_NE(lf, std::string::npos);
            expected += real.out.substr(at, lf - at) + "\t" + std::to_string(ReadFile((copy / name).string()).size()) +
                        "\t" + std::to_string(ReadFile((mail / name).string()).size()) + "\n";
            at = lf + 1;
        }
        EXPECT_EQ(dry.out, expected);
        EXPECT_NE(ReadFile(settings), settingsBefore);  // the real run registered X-New
    }
}

TEST_F(DryRunCli, DiffAppliedWithPatchGivesTheRealResult)
{
    if (std::system("patch --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no patch program (scripts/setup.sh installs it)";
    struct Case {
        const char* name;
        std::string end;
        std::vector<std::string> options;
        bool onlyLineEnds;  // of c.eml
    };
    const Case cases[] = {
        {"CR LF", "\r\n", {"--remove-attachments"}, false},
        {"CR LF, traces too", "\r\n", {"--remove-attachments", "--remove-traces", "--scope=all"}, false},
        {"LF, line ends kept", "\n", {"--keep-line-ends", "--remove-attachments"}, false},
        {"LF made CR LF", "\n", {"--remove-attachments"}, true},
        {"lone CR made CR LF", "\r", {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(mail);
        fs::create_directories(mail);
        WriteMail({{"a.eml", WithEnds(kStrip, c.end)}, {"b.eml", WithEnds(kAttachment, c.end)},
                   {"c.eml", WithEnds(kClean, c.end)}});
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {"a.eml", "b.eml", "c.eml"});
        std::vector<std::string> diffArgs = args;
        diffArgs.insert(diffArgs.begin(), "--diff");
        const std::string before = FolderState(mail);
        const RunResult diff = Vesk(mail, diffArgs);
        EXPECT_EQ(diff.status, 0) << diff.err;
        EXPECT_EQ(FolderState(mail), before);
        EXPECT_EQ(diff.out.find("# c.eml: only line ends change\n--- c.eml\n") != std::string::npos,
                  c.onlyLineEnds)
            << Shown(diff.out);
        EXPECT_EQ(diff.out.find("# a.eml"), std::string::npos);
        WriteFile((dir.Path() / "d.diff").string(), diff.out);
        const std::string patch = "cd '" + copy.string() + "' && patch -s -p0 < ../d.diff >/dev/null 2>&1";
        EXPECT_EQ(std::system(patch.c_str()), 0);

        const RunResult real = Vesk(mail, args);
        EXPECT_EQ(real.status, 0) << real.err;
        for (const char* name : {"a.eml", "b.eml", "c.eml"}) {
            SCOPED_TRACE(name);
            EXPECT_EQ(Shown(ReadFile((copy / name).string())), Shown(ReadFile((mail / name).string())));
        }
    }
}

TEST_F(DryRunCli, NamesWithQuotesAndControlBytesAreQuotedForPatch)
{
    if (std::system("patch --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no patch program (scripts/setup.sh installs it)";
    struct Case {
        const char* name;
        const char* header;
    };
    const Case cases[] = {
        {"plain.eml", "--- plain.eml\n+++ plain.eml\n"},
        {"with space.eml", "--- \"with space.eml\"\n+++ \"with space.eml\"\n"},
        {"a\"b\tc.eml", "--- \"a\\\"b\\tc.eml\"\n+++ \"a\\\"b\\tc.eml\"\n"},
        {"back\\slash\x01.eml", "--- \"back\\\\slash\\001.eml\"\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(mail);
        fs::create_directories(mail);
        WriteMail({{c.name, "Received: r\r\nSubject: s\r\n\r\nbody\r\n"}});
        const RunResult diff = Vesk(mail, {"--diff", c.name});
        EXPECT_EQ(diff.status, 0) << diff.err;
        EXPECT_EQ(diff.out.rfind(c.header, 0), 0u) << Shown(diff.out);
        WriteFile((dir.Path() / "d.diff").string(), diff.out);
        const std::string patch = "cd '" + copy.string() + "' && patch -s -p0 < ../d.diff >/dev/null 2>&1";
        EXPECT_EQ(std::system(patch.c_str()), 0);
        EXPECT_EQ(ReadFile((copy / c.name).string()), "Subject: s\r\n\r\nbody\r\n");
    }
}

TEST_F(DryRunCli, AFileThatWouldNotChangeHasNoDiffAndAnalyzeTakesNoDryRun)
{
    WriteMail({{"c.eml", WithEnds(kClean, "\r\n")}});
    const RunResult diff = Vesk(mail, {"--diff", "c.eml"});
    EXPECT_EQ(diff.status, 0);
    EXPECT_EQ(diff.out, "");
    const RunResult analyze = RunProgram(NORVANE_CLI_PATH, {"analyze", "-n", "c.eml"}, mail, dir.Path(), nullptr);
    EXPECT_EQ(analyze.status, 2);
    EXPECT_NE(analyze.err.find("--dry-run is for vesk only"), std::string::npos) << analyze.err;
}

}  // namespace

}  // namespace norvane::test
