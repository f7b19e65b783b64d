#include "TestFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace norvane::test {

namespace {

namespace fs = std::filesystem;

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

// A work folder for mail files and settings, and the tool run inside it.
class CliFixture : public ::testing::Test {
protected:
    TempDir dir;
    fs::path work = dir.Path() / "work";
    std::string settings = (dir.Path() / "settings.ini").string();
    std::string binary = NORVANE_CLI_PATH;

    CliFixture() { fs::create_directories(work); }

    std::string Work(std::string_view name) const { return (work / name).string(); }

    RunResult Run(const std::vector<std::string>& args) const
    {
        const auto outPath = (dir.Path() / "stdout").string();
        const auto errPath = (dir.Path() / "stderr").string();
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(binary.c_str()));
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (out < 0 || err < 0 || ::chdir(work.c_str()) != 0)
                ::_exit(127);
            ::dup2(out, 1);
            ::dup2(err, 2);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        RunResult result;
        int status = 0;
        ::waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = ReadFile(outPath);
        result.err = ReadFile(errPath);
        return result;
    }

    // Runs with the test's settings file.
    RunResult RunWithSettings(const std::string& command, std::vector<std::string> args) const
    {
        args.insert(args.begin(), {command, "--settings=" + settings});
        return Run(args);
    }
};

const std::string kMail =
    "Received: from relay.example.com\r\n"
    "\tby mail.example.org; Fri, 17 Apr 2026 18:40:02 +0900\r\n"
    "From: mika@example.com\r\n"
    "Subject: List\r\n"
    "X-Mailer: Sample 3.2\r\n"
    "\r\n"
    "Hi.\r\n";

const std::string kStripped =
    "From: mika@example.com\r\n"
    "Subject: List\r\n"
    "X-Mailer: Sample 3.2\r\n"
    "\r\n"
    "Hi.\r\n";

const std::string kAttachmentMail =
    "From: mika@example.com\n"
    "Content-Type: multipart/mixed; boundary=\"=_b\"\n"
    "\n"
    "--=_b\n"
    "Content-Type: text/plain\n"
    "\n"
    "Hi\n"
    "\n"
    "--=_b\n"
    "Content-Type: text/plain; name=\"list.txt\"\n"
    "Content-Transfer-Encoding: base64\n"
    "Content-Disposition: attachment; filename=\"list.txt\"\n"
    "\n"
    "U2hvcHBpbmcgbGlzdA0K\n"
    "LSByaWNlDQotIG1pc28N\n"
    "\n"
    "--=_b--\n";

}  // namespace

TEST_F(CliFixture, VeskPrintsCountsPerFileAndStrips)
{
    WriteFile(settings, "[Dat]\r\nDat1=Received\r\nDat2=;Subject\r\n[norvane]\r\nChkBFlg=0x00\r\n");
    WriteFile(Work("a.eml"), kMail);
    WriteFile(Work("b.eml"), "Subject: only\nReceived: x\n\nbody\n");
    const auto r = RunWithSettings("vesk", {"a.eml", Work("b.eml")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "0\t2\t" + Work("a.eml") + "\n0\t1\t" + Work("b.eml") + "\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ReadFile(Work("a.eml")), kStripped);
    EXPECT_EQ(ReadFile(Work("b.eml")), "Subject: only\r\n\r\nbody\r\n");
}

TEST_F(CliFixture, AnalyzePrintsKeysCountsAndMarks)
{
    WriteFile(settings, "[Dat]\r\nDat1=Received\r\nDat2=;Subject\r\n");
    WriteFile(Work("a.eml"), kMail);
    WriteFile(Work("b.eml"), "SUBJECT: upper\nX-New: 1\n\nbody\n");
    const auto before = ReadFile(Work("a.eml"));
    const auto r = RunWithSettings("analyze", {"a.eml", "b.eml"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "From\t1\tNew\n"
              "Received\t1\tDel\n"
              "SUBJECT\t2\t\n"
              "X-Mailer\t1\tNew\n"
              "X-New\t1\tNew\n");
    EXPECT_EQ(ReadFile(Work("a.eml")), before);
    EXPECT_EQ(ReadFile(settings), "[Dat]\r\nDat1=Received\r\nDat2=;Subject\r\n");
}

TEST_F(CliFixture, OptionDefaultsComeFromTheStoredTicks)
{
    struct Case {
        const char* name;
        std::string stored;  // the settings file's ChkBFlg line, if any
        std::vector<std::string> flags;
        bool backup;
        bool attachmentsRemoved;
    } cases[] = {
        {"no ChkBFlg: backup on", "", {}, true, false},
        {"stored backup off", "ChkBFlg=0x02", {}, false, false},
        {"stored attachments on", "ChkBFlg=0x10", {}, false, true},
        {"flag overrides stored", "ChkBFlg=0x11", {"--no-backup", "--no-remove-attachments"}, false, false},
        {"last flag wins", "ChkBFlg=0x00", {"--no-backup", "--backup"}, true, false},
        {"last flag wins, other order", "ChkBFlg=0x00", {"--backup", "--no-backup"}, false, false},
        {"traces alone do nothing", "ChkBFlg=0x00", {"--remove-traces"}, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(settings, "[norvane]\r\n" + c.stored + "\r\n[Dat]\r\nDat1=Received\r\n");
        const auto settingsBefore = ReadFile(settings);
        fs::remove(Work("m.bak"));
        WriteFile(Work("m.eml"), kAttachmentMail);
        auto args = c.flags;
        args.push_back("m.eml");
        const auto r = RunWithSettings("vesk", args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(fs::exists(Work("m.bak")), c.backup);
        EXPECT_EQ(r.out.substr(0, 2), c.attachmentsRemoved ? "3\t" : "0\t") << r.out;
        // Command-line options are never saved.
        EXPECT_EQ(ReadFile(settings), settingsBefore);
    }
}

TEST_F(CliFixture, RemoveTracesNeedsAttachmentRemoval)
{
    WriteFile(settings, "[norvane]\r\nChkBFlg=0x00\r\n");
    WriteFile(Work("m.eml"), kAttachmentMail);
    WriteFile(Work("t.eml"), kAttachmentMail);
    const auto bodies = RunWithSettings("vesk", {"--remove-attachments", "m.eml"});
    const auto traces = RunWithSettings("vesk", {"--remove-traces", "--remove-attachments", "t.eml"});
    EXPECT_EQ(bodies.out.substr(0, 2), "3\t");
    EXPECT_EQ(traces.out.substr(0, 2), "7\t") << traces.out;
    EXPECT_NE(ReadFile(Work("m.eml")), ReadFile(Work("t.eml")));
}

TEST_F(CliFixture, WildcardsSortedFoldersSkippedDuplicatesOnce)
{
    WriteFile(settings, "[norvane]\r\nChkBFlg=0x00\r\n");
    for (const char* name : {"c.eml", "a.eml", "b.eml", "note.txt"})
        WriteFile(Work(name), kMail);
    fs::create_directory(Work("folder.eml"));
    fs::create_directory(Work("sub"));
    WriteFile(Work("sub/z.eml"), kMail);
    const auto r = RunWithSettings("analyze", {"*.eml", "sub/../a.eml", "./b.eml"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("folder.eml"), std::string::npos) << r.err;
    // Three files of kMail, each key once per file.
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "From\t3\tNew");

    const auto v = RunWithSettings("vesk", {"--", "*.eml;sub/*.eml", "b.eml", "missing.eml", "nothing*.eml"});
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out, "0\t0\t" + Work("a.eml") + "\n0\t0\t" + Work("b.eml") + "\n0\t0\t" + Work("c.eml") +
                         "\n0\t0\t" + Work("sub/z.eml") + "\n");
    EXPECT_NE(v.err.find("missing.eml"), std::string::npos) << v.err;
    EXPECT_NE(v.err.find("nothing*.eml"), std::string::npos) << v.err;
}

TEST_F(CliFixture, OnlySkippedFilesGiveEmptyOutput)
{
    fs::create_directory(Work("dir"));
    const auto r = RunWithSettings("vesk", {"dir", "absent.eml"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("absent.eml"), std::string::npos);
}

TEST_F(CliFixture, EachSkippedNameGetsItsOwnWarning)
{
    WriteFile(settings, "[norvane]\r\nChkBFlg=0x00\r\n");
    WriteFile(Work("a.eml"), kMail);
    const auto r = RunWithSettings("analyze", {"*.eml;none*.txt", "/dev/null"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "From\t1\tNew");
    EXPECT_EQ(r.err, "norvane-cli: nothing matches " + Work("none*.txt") + "\n" +
                         "norvane-cli: skipping /dev/null: not a regular file\n");
}

TEST_F(CliFixture, TemporaryFilesAreNeverTakenForMail)
{
    WriteFile(settings, "[norvane]\r\nChkBFlg=0x00\r\n");
    WriteFile(Work("a.eml"), kMail);
    WriteFile(Work(".a.eml.nvtmp-Ab12Cd"), kMail);
    const auto r = RunWithSettings("vesk", {"*", ".a.eml.nvtmp-Ab12Cd"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "0\t0\t" + Work("a.eml") + "\n");
    const auto warning = "norvane-cli: skipping temporary file " + Work(".a.eml.nvtmp-Ab12Cd") + "\n";
    EXPECT_EQ(r.err, warning) << "named, it is skipped; a pattern never meets it";
    EXPECT_EQ(ReadFile(Work(".a.eml.nvtmp-Ab12Cd")), kMail);
}

TEST_F(CliFixture, AutoRegistrationSavesTheKeyListUnsorted)
{
    WriteFile(settings, "[norvane]\r\nChkBFlg=0x00\r\nPath=/x/\r\n[Dat]\r\nDat1=Subject\r\n");
    WriteFile(Work("a.eml"), "X-Zeta: 1\nSubject: s\nFrom: f\n\nbody\n");
    const auto r = RunWithSettings("vesk", {"--auto-register", "a.eml"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "0\t1\t" + Work("a.eml") + "\n");
    EXPECT_EQ(ReadFile(settings),
              "[norvane]\r\nChkBFlg=0x00\r\nPath=/x/\r\n[Dat]\r\nDat1=Subject\r\nDat2=;X-Zeta\r\nDat3=;From\r\n");
    const auto again = RunWithSettings("analyze", {"a.eml"});
    EXPECT_EQ(again.out, "From\t1\t\nX-Zeta\t1\t\n");
}

TEST_F(CliFixture, KeysRegisteredBeforeAFileErrorAreSavedOnce)
{
    if (!fs::exists("/proc/self/mem"))
        GTEST_SKIP() << "no /proc";
    WriteFile(settings, "[norvane]\r\nChkBFlg=0x00\r\n[Dat]\r\nDat1=Subject\r\n");
    WriteFile(Work("a.eml"), "X-Zeta: 1\nSubject: s\n\nbody\n");
    WriteFile(Work("b.eml"), "X-Beta: 1\nSubject: s\n\nbody\n");
    const auto r = RunWithSettings("vesk", {"--auto-register", "a.eml", "b.eml", "/proc/self/mem"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(ReadFile(settings), "[norvane]\r\nChkBFlg=0x00\r\n[Dat]\r\nDat1=Subject\r\nDat2=;X-Zeta\r\n"
                                  "Dat3=;X-Beta\r\n");
}

TEST_F(CliFixture, FileErrorStopsWithStatus1AfterEarlierFiles)
{
    // Reading /proc/self/mem from its start fails: a real read error even as root.
    if (!fs::exists("/proc/self/mem"))
        GTEST_SKIP() << "no /proc";
    WriteFile(settings, "[norvane]\r\nChkBFlg=0x00\r\n[Dat]\r\nDat1=Received\r\n");
    WriteFile(Work("a.eml"), kMail);
    WriteFile(Work("c.eml"), kMail);
    const auto v = RunWithSettings("vesk", {"a.eml", "/proc/self/mem", "c.eml"});
    EXPECT_EQ(v.status, 1);
    EXPECT_EQ(v.out, "0\t2\t" + Work("a.eml") + "\n");
    EXPECT_NE(v.err.find("/proc/self/mem: ﾌｧｲﾙ /proc/self/mem は開けません"), std::string::npos) << v.err;
    EXPECT_EQ(ReadFile(Work("a.eml")), kStripped);
    EXPECT_EQ(ReadFile(Work("c.eml")), kMail);

    const auto a = RunWithSettings("analyze", {"c.eml", "/proc/self/mem"});
    EXPECT_EQ(a.status, 1);
    EXPECT_EQ(a.out, "");
    EXPECT_NE(a.err.find("/proc/self/mem: "), std::string::npos) << a.err;
}

TEST_F(CliFixture, WriteErrorNamesTheFile)
{
    WriteFile(settings, "[norvane]\r\nChkBFlg=0x01\r\n[Dat]\r\nDat1=Received\r\n");
    // A name of the longest length: its ".bak" name exists and the full name
    // with ".bak" is too long, so the backup cannot be written.
    const std::string stem(251, 'b');
    WriteFile(Work("a.eml"), kMail);
    WriteFile(Work(stem + ".eml"), kMail);
    fs::create_directory(Work(stem + ".bak"));
    const auto r = RunWithSettings("vesk", {"a.eml", stem + ".eml"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "0\t2\t" + Work("a.eml") + "\n");
    EXPECT_NE(r.err.find("ﾌｧｲﾙ " + Work(stem + ".eml.bak") + " を作成できません"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(Work(stem + ".eml")), kMail);
    EXPECT_EQ(ReadFile(Work("a.bak")), kMail);
}

TEST_F(CliFixture, UsageErrorsGiveStatus2)
{
    WriteFile(Work("a.eml"), kMail);
    const std::vector<std::string> cases[] = {
        {},
        {"vesk"},
        {"vesk", "--settings"},
        {"strip", "a.eml"},
        {"vesk", "--frobnicate", "a.eml"},
        {"analyze", "--no-settings", "a.eml"},
        {"--backup", "a.eml"},
        {"vesk", "-j", "0", "a.eml"},
        {"vesk", "-j", "-2", "a.eml"},
        {"vesk", "-jx", "a.eml"},
        {"analyze", "--jobs=", "a.eml"},
        {"analyze", "--jobs=2x", "a.eml"},
        {"analyze", "--jobs=99999999999", "a.eml"},
        {"analyze", "a.eml", "-j"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        const auto r = Run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("Usage: norvane-cli"), std::string::npos);
    }
    EXPECT_EQ(ReadFile(Work("a.eml")), kMail);
}

TEST_F(CliFixture, JobsGiveTheSerialResult)
{
    WriteFile(settings, "[norvane]\r\nChkBFlg=0x00\r\n[Dat]\r\nDat1=Received\r\n");
    std::string expected;
    for (const char* name : {"a.eml", "b.eml", "c.eml"}) {
        WriteFile(Work(name), kMail);
        expected += "0\t2\t" + Work(name) + "\n";
    }
    const struct {
        std::vector<std::string> jobs;
    } cases[] = {{{"-j", "1"}}, {{"-j3"}}, {{"--jobs=2"}}, {{"--jobs", "4"}}, {{}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.jobs));
        auto args = c.jobs;
        args.insert(args.end(), {"a.eml", "b.eml", "c.eml"});
        const auto a = RunWithSettings("analyze", args);
        EXPECT_EQ(a.status, 0);
        EXPECT_EQ(a.out, "From\t3\tNew\nReceived\t3\tDel\nSubject\t3\tNew\nX-Mailer\t3\tNew\n");
    }
    const auto v = RunWithSettings("vesk", {"-j", "2", "a.eml", "b.eml", "c.eml"});
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out, expected);
}

TEST_F(CliFixture, HelpAndVersion)
{
    const auto help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: norvane-cli", 0), 0u);
    const auto version = Run({"vesk", "--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("norvane-cli ") + NORVANE_VERSION + "\n");
}

TEST_F(CliFixture, OptionsAnywhereAndDashDashEndsThem)
{
    WriteFile(settings, "[norvane]\r\nChkBFlg=0x00\r\n");
    WriteFile(Work("--backup"), kMail);
    const auto r = Run({"--settings", settings, "vesk", "--", "--backup"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "0\t0\t" + Work("--backup") + "\n");
    EXPECT_FALSE(fs::exists(Work("--backup.bak")));
}

TEST_F(CliFixture, MissingSettingsFileIsNamedOnceAndTheDefaultsServe)
{
    WriteFile(Work("a.eml"), kMail);
    const auto r = RunWithSettings("analyze", {"a.eml"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "norvane-cli: \"" + settings + "\" 初期化ﾌｧｲﾙが、有りません！\n");
    EXPECT_EQ(r.out, "From\t1\tNew\nReceived\t1\tNew\nSubject\t1\tNew\nX-Mailer\t1\tNew\n");
    EXPECT_FALSE(fs::exists(settings));  // analyze writes no settings

    WriteFile(settings, "");
    EXPECT_EQ(RunWithSettings("analyze", {"a.eml"}).err, "");
}

TEST_F(CliFixture, WindowSettingsFileBesideTheBinaryByDefault)
{
    // A copy of the tool in a folder of its own, as installed beside the window.
    const auto bin = dir.Path() / "bin";
    fs::create_directory(bin);
    fs::copy_file(NORVANE_CLI_PATH, bin / "norvane-cli");
    binary = (bin / "norvane-cli").string();
    // LF line ends: the file changes, so a backup is taken.
    std::string lfMail = kMail;
    std::erase(lfMail, '\r');
    WriteFile(Work("a.eml"), lfMail);

    const auto missing = Run({"vesk", "--auto-register", "a.eml"});
    EXPECT_EQ(missing.status, 0);
    const auto ini = (bin / "norvane.ini").string();
    EXPECT_EQ(missing.err, "norvane-cli: \"" + ini + "\" 初期化ﾌｧｲﾙが、有りません！\n");
    // Defaults: BackUp on; the registered keys go to the window's file.
    EXPECT_EQ(ReadFile(Work("a.bak")), lfMail);
    EXPECT_EQ(ReadFile(ini), "[Dat]\r\nDat1=;Received\r\nDat2=;From\r\nDat3=;Subject\r\nDat4=;X-Mailer\r\n");

    WriteFile(ini, "[NORVANE]\r\nChkBFlg=0x04\r\n[Dat]\r\nDat1=X-Mailer\r\n");
    const auto found = Run({"vesk", "a.eml"});
    EXPECT_EQ(found.err, "");
    EXPECT_EQ(found.out, "0\t1\t" + Work("a.eml") + "\n");
}

}  // namespace norvane::test
