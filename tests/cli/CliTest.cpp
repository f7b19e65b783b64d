#include "ChildProcess.h"
#include "TestFiles.h"

#include <filesystem>

namespace norvane::test {

namespace {

namespace fs = std::filesystem;

// A work folder for mail files and settings, and the tool run inside it.
class CliFixture : public ::testing::Test {
protected:
    TempDir dir;
    fs::path work = dir.Path() / "work";
    std::string settings = (dir.Path() / "settings.ini").string();
    std::string binary = NORVANE_CLI_PATH;
    // The tool's LANGUAGE, which decides the language of the core's messages
    // unless the settings file names one.
    std::string language = "ja";

    CliFixture() { fs::create_directories(work); }

    std::string Work(std::string_view name) const { return (work / name).string(); }

    RunResult Run(const std::vector<std::string>& args) const
    {
        return RunProgram(binary, args, work, dir.Path(), language.c_str());
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


TEST_F(CliFixture, SignedMailIsKeptWholeAndNamedOnce)
{
    WriteFile(settings, "[Dat]\r\nDat1=Received\r\n[norvane]\r\nChkBFlg=0x10\r\n");
    const auto mailWith = [](const std::string& received, const std::string& gap) {
        return received + "Subject: s\r\n"
               "Content-Type: multipart/signed; protocol=\"application/pkcs7-signature\"; boundary=\"s\"\r\n"
               "\r\n--s\r\nContent-Type: text/plain\r\nReceived: inner\r\n\r\nbody\r\n" + gap +
               "--s\r\nContent-Type: application/pkcs7-signature\r\n\r\nU0lH\r\n--s--\r\n";
    };
    const std::string mail = mailWith("Received: outer\r\n", "\r\n\r\n\r\n");
    struct Case {
        const char* flag;
        std::string result;
        std::string err;
    } cases[] = {
        // The signed entity keeps its run of empty lines: only the outer header changes.
        {"--protect-signed", mailWith("", "\r\n\r\n\r\n"),
         "norvane-cli: " + Work("m.eml") + ": signed or encrypted mail kept whole\n"},
        {"--no-protect-signed", mailWith("", "\r\n"), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flag);
        WriteFile(Work("m.eml"), mail);
        const auto r = RunWithSettings("vesk", {c.flag, "m.eml"});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(ReadFile(Work("m.eml")), c.result);
    }
}

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
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("folder.eml"), std::string::npos) << r.err;
    // Three files of kMail, each key once per file.
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "From\t3\tNew");

    const auto v = RunWithSettings("vesk", {"--", "*.eml;sub/*.eml", "b.eml", "missing.eml", "nothing*.eml"});
    EXPECT_EQ(v.status, 3);
    EXPECT_EQ(v.out, "0\t0\t" + Work("a.eml") + "\n0\t0\t" + Work("b.eml") + "\n0\t0\t" + Work("c.eml") +
                         "\n0\t0\t" + Work("sub/z.eml") + "\n");
    EXPECT_NE(v.err.find("missing.eml"), std::string::npos) << v.err;
    EXPECT_NE(v.err.find("nothing*.eml"), std::string::npos) << v.err;
}

TEST_F(CliFixture, OnlySkippedFilesGiveEmptyOutput)
{
    fs::create_directory(Work("dir"));
    const auto r = RunWithSettings("vesk", {"dir", "absent.eml"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("absent.eml"), std::string::npos);
}

TEST_F(CliFixture, EachSkippedNameGetsItsOwnWarning)
{
    WriteFile(settings, "[norvane]\r\nChkBFlg=0x00\r\n");
    WriteFile(Work("a.eml"), kMail);
    const auto r = RunWithSettings("analyze", {"*.eml;none*.txt", "/dev/null"});
    EXPECT_EQ(r.status, 3);
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
    EXPECT_EQ(r.status, 3);
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

TEST_F(CliFixture, AFailedKeySaveIsReportedAfterTheRunWithStatus1)
{
    const bool haveProc = fs::exists("/proc/self/mem");
    const std::string saveError = "norvane-cli: ﾌｧｲﾙ " + settings + " を作成できません\n";
    const std::string fileError = "norvane-cli: /proc/self/mem: ﾌｧｲﾙ /proc/self/mem は開けません\n";
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string err;
    } cases[] = {
        {"keys registered", {"--auto-register", "a.eml"}, 1, saveError},
        {"nothing registered: nothing saved", {"a.eml"}, 0, ""},
        {"a file error first", {"--auto-register", "a.eml", "/proc/self/mem"}, 1, fileError + saveError},
    };
    const std::string stored = "[norvane]\r\nChkBFlg=0x00\r\n[Dat]\r\nDat1=Subject\r\n";
    WriteFile(settings, stored);
    // A lock file that cannot be had: a planted link is never followed.
    fs::create_symlink(dir.File("elsewhere"), settings + ".lock");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!haveProc && c.args.size() > 2)
            continue;
        WriteFile(Work("a.eml"), "X-Zeta: 1\nSubject: s\n\nbody\n");
        const auto r = RunWithSettings("vesk", c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, "0\t1\t" + Work("a.eml") + "\n");
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(ReadFile(settings), stored);
    }
    EXPECT_FALSE(fs::exists(dir.File("elsewhere")));
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

TEST_F(CliFixture, CoreMessagesFollowTheLanguageAndTheToolsOwnStayEnglish)
{
    struct Case {
        const char* language;  // LANGUAGE
        const char* stored;    // the settings file's Language line
        bool english;
    };
    const Case cases[] = {
        {"en", "", true},
        {"de_DE", "Language=auto\r\n", true},
        {"ja", "", false},
        {"ja", "Language=en\r\n", true},
        {"en_US", "Language=ja\r\n", false},
    };
    // As in WriteErrorNamesTheFile: the backup of the second file cannot be written.
    const std::string stem(251, 'b');
    fs::create_directory(Work(stem + ".bak"));
    const std::string backup = Work(stem + ".eml.bak");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.language) + " " + c.stored);
        language = c.language;
        WriteFile(settings, "[norvane]\r\nChkBFlg=0x01\r\n" + std::string(c.stored) + "[Dat]\r\nDat1=Received\r\n");
        WriteFile(Work(stem + ".eml"), kMail);
        const auto r = RunWithSettings("vesk", {stem + ".eml", Work("no-such.eml")});
        EXPECT_EQ(r.status, 1);
        const std::string error = c.english ? "Cannot create file " + backup : "ﾌｧｲﾙ " + backup + " を作成できません";
        EXPECT_EQ(r.err, "norvane-cli: no such file " + Work("no-such.eml") + "\n" + "norvane-cli: " +
                             Work(stem + ".eml") + ": " + error + "\n");
    }

    language = "en";
    fs::remove(settings);
    WriteFile(Work("a.eml"), kMail);
    EXPECT_EQ(RunWithSettings("analyze", {"a.eml"}).err,
              "norvane-cli: \"" + settings + "\" There is no settings file!\n");
    language = "ja";
    EXPECT_TRUE(Run({"analyze"}).err.starts_with("norvane-cli: no FILE given\nUsage: norvane-cli"));
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
        {"vesk", "--scope=body", "a.eml"},
        {"vesk", "--scope=", "a.eml"},
        {"vesk", "a.eml", "--scope"},
        {"vesk", "--no-scope", "a.eml"},
        {"vesk", "--no-null", "a.eml"},
        {"vesk", "--protect-signed=1", "a.eml"},
        {"vesk", "--every-message", "a.eml"},
        {"vesk", "-j", "0", "a.eml"},
        {"vesk", "-j", "-2", "a.eml"},
        {"vesk", "-jx", "a.eml"},
        {"analyze", "--jobs=", "a.eml"},
        {"analyze", "--jobs=2x", "a.eml"},
        {"analyze", "--jobs=99999999999", "a.eml"},
        {"analyze", "a.eml", "-j"},
        {"vesk", "--no-save-attachments=x", "a.eml"},
        {"vesk", "--removal-note=1", "a.eml"},
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

TEST_F(CliFixture, SavingAttachmentsWithoutRemovalIsBadUsage)
{
    const std::string usage =
        "norvane-cli: --save-attachments needs attachment removal (--remove-attachments)\nUsage: norvane-cli";
    struct Case {
        const char* name;
        const char* stored;  // the program section's lines
        std::vector<std::string> args;
        bool badUsage;
    } cases[] = {
        {"removal off", "ChkBFlg=0x00\r\n", {"vesk", "--save-attachments", "m.eml"}, true},
        {"with a folder", "ChkBFlg=0x00\r\n", {"vesk", "--save-attachments=out", "m.eml"}, true},
        {"removal turned off", "ChkBFlg=0x10\r\n", {"vesk", "--save-attachments", "--no-remove-attachments", "m.eml"},
         true},
        {"analyze alike", "ChkBFlg=0x00\r\n", {"analyze", "--save-attachments", "m.eml"}, true},
        {"removal on the command line", "ChkBFlg=0x00\r\n",
         {"vesk", "--save-attachments=out", "--remove-attachments", "m.eml"}, false},
        {"removal stored", "ChkBFlg=0x10\r\n", {"vesk", "--save-attachments", "m.eml"}, false},
        // Stored saving without removal is a disabled box, not a usage error.
        {"saving stored, removal off", "ChkBFlg=0x00\r\nSaveAttachments=1\r\n", {"vesk", "m.eml"}, false},
        {"turned off again", "ChkBFlg=0x00\r\n", {"vesk", "--save-attachments", "--no-save-attachments", "m.eml"},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(settings, "[norvane]\r\n" + std::string(c.stored));
        const std::string before = ReadFile(settings);
        WriteFile(Work("m.eml"), kAttachmentMail);
        auto args = c.args;
        args.insert(args.begin() + 1, "--settings=" + settings);
        const auto r = Run(args);
        EXPECT_EQ(r.status, c.badUsage ? 2 : 0) << r.err;
        if (c.badUsage) {
            EXPECT_EQ(r.err.substr(0, usage.size()), usage);
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(ReadFile(Work("m.eml")), kAttachmentMail);
        } else {
            EXPECT_EQ(r.err, "");
        }
        EXPECT_EQ(ReadFile(settings), before);
    }
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

TEST_F(CliFixture, ExitStatusOfEachOutcome)
{
    WriteFile(settings, "[norvane]\r\nChkBFlg=0x00\r\n[Dat]\r\nDat1=Received\r\n");
    struct Case {
        const char* name;
        std::vector<std::string> args;  // after "vesk"; a.eml and c.eml are mail, r.eml is refused
        int status;
        std::string out;  // the names of the files printed, in order
        bool cStripped;
    } cases[] = {
        {"every file done", {"a.eml", "c.eml"}, 0, "a.eml c.eml ", true},
        {"an unchanged file is done", {"done.eml", "c.eml"}, 0, "done.eml c.eml ", true},
        {"missing file: the others done", {"a.eml", "gone.eml", "c.eml"}, 3, "a.eml c.eml ", true},
        {"dangling link", {"dangling.eml", "c.eml"}, 3, "c.eml ", true},
        {"link loop", {"loop.eml", "c.eml"}, 3, "c.eml ", true},
        {"folder", {"a.eml", "dir", "c.eml"}, 3, "a.eml c.eml ", true},
        {"not a regular file", {"/dev/null", "c.eml"}, 3, "c.eml ", true},
        {"temporary file", {".a.eml.nvtmp-Xy12Zw", "c.eml"}, 3, "c.eml ", true},
        {"pattern matching nothing", {"none*.eml", "c.eml"}, 3, "c.eml ", true},
        {"refused file stops the run", {"a.eml", "r.eml", "c.eml"}, 1, "a.eml ", false},
        {"refused wins over missing", {"gone.eml", "r.eml", "c.eml"}, 1, "", false},
        {"bad usage", {"--scope=every", "a.eml"}, 2, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(Work("r.eml"));
        for (const char* name : {"a.eml", "c.eml", "r.eml"})
            WriteFile(Work(name), kMail);
        WriteFile(Work("done.eml"), kStripped);
        WriteFile(Work(".a.eml.nvtmp-Xy12Zw"), kMail);
        fs::permissions(Work("r.eml"), fs::perms::owner_read | fs::perms::group_read);
        fs::remove(Work("dangling.eml"));
        fs::create_symlink("nowhere.eml", Work("dangling.eml"));
        fs::remove(Work("loop.eml"));
        fs::create_symlink("loop.eml", Work("loop.eml"));
        fs::create_directories(Work("dir"));
        const auto r = RunWithSettings("vesk", c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        std::string printed;
        for (std::size_t at = 0; (at = r.out.find(work.string() + "/", at)) != std::string::npos;) {
            at += work.string().size() + 1;
            printed += r.out.substr(at, r.out.find('\n', at) - at) + " ";
        }
        EXPECT_EQ(printed, c.out) << r.out;
        EXPECT_EQ(ReadFile(Work("c.eml")), c.cStripped ? kStripped : kMail);
        EXPECT_EQ(ReadFile(Work("r.eml")), kMail);
        EXPECT_EQ(r.err.empty(), c.status == 0) << r.err;
    }
}

TEST_F(CliFixture, ScopeFlagsAndTheStoredScope)
{
    // A body line that looks like a header: only the "all" scope strips it.
    const std::string mail = "Received: r\nSubject: s\n\nReceived: in the body\nbye\n";
    struct Case {
        const char* name;
        const char* stored;
        std::vector<std::string> flags;
        bool bodyStripped;
    } cases[] = {
        {"stored first", "ChkBFlg=0x00", {}, false},
        {"stored all-text bit", "ChkBFlg=0x04", {}, true},
        {"stored EveryMessage wins over the bit", "ChkBFlg=0x04\r\nEveryMessage=1", {}, false},
        {"--scope=all", "ChkBFlg=0x00", {"--scope=all"}, true},
        {"--scope all", "ChkBFlg=0x00", {"--scope", "all"}, true},
        {"--all-text", "ChkBFlg=0x00", {"--all-text"}, true},
        {"--no-all-text", "ChkBFlg=0x04", {"--no-all-text"}, false},
        {"--scope=first", "ChkBFlg=0x04", {"--scope=first"}, false},
        {"--scope=messages keeps bodies", "ChkBFlg=0x04", {"--scope=messages"}, false},
        {"last wins: all", "ChkBFlg=0x00", {"--scope=messages", "--all-text"}, true},
        {"last wins: first", "ChkBFlg=0x00", {"--all-text", "--scope=first"}, false},
        {"--all-text over stored EveryMessage", "EveryMessage=1", {"--all-text"}, true},
        {"the other switches change no scope", "ChkBFlg=0x04",
         {"--no-protect-signed", "--protect-signed", "--no-any-case", "--any-case", "--keep-line-ends",
          "--no-keep-line-ends"},
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(settings, std::string("[norvane]\r\n") + c.stored + "\r\n[Dat]\r\nDat1=Received\r\n");
        const auto before = ReadFile(settings);
        WriteFile(Work("m.eml"), mail);
        auto args = c.flags;
        args.push_back("m.eml");
        const auto r = RunWithSettings("vesk", args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(ReadFile(Work("m.eml")), c.bodyStripped ? "Subject: s\r\n\r\nbye\r\n"
                                                          : "Subject: s\r\n\r\nReceived: in the body\r\nbye\r\n");
        EXPECT_EQ(ReadFile(settings), before);  // the tool never saves options

        WriteFile(Work("m.eml"), mail);
        const auto a = RunWithSettings("analyze", args);
        EXPECT_EQ(a.out.substr(0, a.out.find('\n')), c.bodyStripped ? "Received\t2\tDel" : "Received\t1\tDel");
    }
}

TEST_F(CliFixture, ControlBytesInPathsAreEscaped)
{
    WriteFile(settings, "[norvane]\r\nChkBFlg=0x00\r\n");
    struct Case {
        std::string name;
        std::string shown;
    } cases[] = {
        {"line\nfeed", "line\\nfeed"}, {"tab\there", "tab\\there"}, {"back\\slash", "back\\\\slash"},
        {"cr\rhere", "cr\\x0Dhere"},   {"\x01start", "\\x01start"}, {"esc\x1b", "esc\\x1B"},
        {"del\x7f", "del\x7f"},        {"\xe3\x81\x82", "\xe3\x81\x82"},
    };
    std::vector<std::string> args;
    std::string escaped;
    std::string raw;
    for (const auto& c : cases) {
        WriteFile(Work(c.name), kStripped);
        args.push_back(c.name);
        escaped += "0\t0\t" + Work(c.shown) + "\n";
        raw += "0\t0\t" + Work(c.name) + '\0';
    }
    // Every byte below 32 but LF and TAB as \xHH.
    for (int byte = 1; byte < 32; ++byte) {
        if (byte == '\n' || byte == '\t')
            continue;
        SCOPED_TRACE(byte);
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", byte);
        const std::string name = "b" + std::string(1, static_cast<char>(byte));
        WriteFile(Work(name), kStripped);
        args.push_back(name);
        escaped += "0\t0\t" + Work("b" + std::string(hex)) + "\n";
        raw += "0\t0\t" + Work(name) + '\0';
    }
    const auto r = RunWithSettings("vesk", args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, escaped);
    const auto n = RunWithSettings("vesk", [&] {
        auto nullArgs = args;
        nullArgs.insert(nullArgs.begin(), "--null");
        return nullArgs;
    }());
    EXPECT_EQ(n.status, 0) << n.err;
    EXPECT_EQ(n.out, raw);
}

TEST_F(CliFixture, WarningsStayOneLineAndAnalyzeRecordsEndInNul)
{
    WriteFile(settings, "[norvane]\r\nChkBFlg=0x00\r\n[Dat]\r\nDat1=Received\r\n");
    WriteFile(Work("a.eml"), kMail);
    const auto r = RunWithSettings("analyze", {"--null", "a.eml", "gone\nnorvane-cli: forged.eml"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "norvane-cli: no such file " + Work("gone\\nnorvane-cli: forged.eml") + "\n");
    using namespace std::string_literals;
    EXPECT_EQ(r.out, "From\t1\tNew\0Received\t1\tDel\0Subject\t1\tNew\0X-Mailer\t1\tNew\0"s);
}

TEST_F(CliFixture, SavedAttachmentsAreListedAndNotedInTheMail)
{
    const std::string content = "Shopping list\r\n- rice\r\n- miso\r";
    const std::string hash = "7847c52d9cf46e42563ee2bd2b56d7947087507751444d205a7ca2dffe922817";
    const std::string absolute = (dir.Path() / "kept").string();
    struct Case {
        const char* name;
        std::vector<std::string> flags;
        std::string savedFile;  // empty: nothing saved
        std::string printed;    // the saved file as the output names it
        std::string note;       // empty: no note line
    } cases[] = {
        {"beside the mail", {"--save-attachments"}, Work("m.eml.attachments/list.txt"),
         Work("m.eml.attachments/list.txt"),
         "X-Norvane-Removed: 30 bytes; sha256=" + hash + "; saved=\"m.eml.attachments/list.txt\"\r\n"},
        {"a relative folder", {"--save-attachments=out"}, Work("out/list.txt"), "out/list.txt",
         "X-Norvane-Removed: 30 bytes; sha256=" + hash + "; saved=\"out/list.txt\"\r\n"},
        {"an absolute folder", {"--save-attachments=" + absolute}, absolute + "/list.txt", absolute + "/list.txt",
         "X-Norvane-Removed: 30 bytes; sha256=" + hash + "; saved=\"" + absolute + "/list.txt\"\r\n"},
        {"the note alone", {}, "", "", "X-Norvane-Removed: 30 bytes; sha256=" + hash + "\r\n"},
        {"neither", {"--no-removal-note"}, "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(work);
        fs::remove_all(absolute);
        fs::create_directories(work);
        WriteFile(settings, "[norvane]\r\nChkBFlg=0x10\r\n");
        WriteFile(Work("m.eml"), kAttachmentMail);
        std::vector<std::string> args = c.flags;
        args.push_back("m.eml");
        const auto r = RunWithSettings("vesk", args);
        ASSERT_EQ(r.status, 0) << r.err;
        // The two body lines and the empty line before the delimiter go.
        std::string out = "3\t0\t" + Work("m.eml") + "\n";
        if (!c.savedFile.empty()) {
            out += "saved\t" + c.printed + "\n";
            EXPECT_EQ(ReadFile(c.savedFile), content);
        }
        EXPECT_EQ(r.out, out);
        const std::string mail = ReadFile(Work("m.eml"));
        EXPECT_EQ(mail.find("U2hvcHBpbmcgbGlzdA0K"), std::string::npos);
        const std::string partHeaders = "Content-Disposition: attachment; filename=\"list.txt\"\r\n";
        EXPECT_NE(mail.find(partHeaders + c.note + "\r\n--=_b--"), std::string::npos) << mail;

        // A second run finds the part handled: nothing saved, nothing changed.
        const auto again = RunWithSettings("vesk", args);
        EXPECT_EQ(again.out, "0\t0\t" + Work("m.eml") + "\n");
        EXPECT_EQ(ReadFile(Work("m.eml")), mail);
    }
}

}  // namespace norvane::test
