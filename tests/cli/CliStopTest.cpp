#include "ChildProcess.h"
#include "MailLines.h"
#include "TestFiles.h"

#include "app/Job.h"
#include "cli/Arguments.h"
#include "cli/Cli.h"
#include "cli/Progress.h"
#include "engine/FileIo.h"
#include "engine/KeyList.h"
#include "settings/KeyListStorage.h"

#include <csignal>
#include <cstdio>
#include <filesystem>

namespace norvane::test {

SeamGuard::~SeamGuard()
{
    TestSeam() = FileSystemSeam{};
}

namespace {

namespace fs = std::filesystem;

const std::string kSmall = "Received: r\nX-Key: new\nSubject: s\n\nbody\n";
const std::string kSmallDone = "X-Key: new\r\nSubject: s\r\n\r\nbody\r\n";

// Where a signal is sent from inside the run.
enum class SendAt {
    Reading,         // once 1 MiB of the large file was read
    BeforeRename,    // just before the first file takes its name
    DuringKeySave,   // twice, just before the settings file takes its name
};

}  // namespace

TEST(RunCli, SigintAndSigtermStopTheRunWithStatus130AndLeaveEveryFileWhole)
{
    struct Case {
        const char* name;
        int signal;
        SendAt at;
        std::size_t large;      // the large one of three files
        const char* jobs;
        std::size_t filesDone;  // files done before the stop
        int status;
    };
    const Case cases[] = {
        {"SIGINT inside the large first file", SIGINT, SendAt::Reading, 0, "-j2", 0, 130},
        {"SIGTERM inside the large second file", SIGTERM, SendAt::Reading, 1, "-j1", 1, 130},
        {"SIGINT just before a rename finishes that file", SIGINT, SendAt::BeforeRename, 2, "-j1", 1, 130},
        {"SIGTERM twice while the keys are saved", SIGTERM, SendAt::DuringKeySave, 2, "-j2", 3, 130},
    };
    const std::string large = LargeMail();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir(true);
        const std::string settings = dir.File("norvane.ini");
        WriteFile(settings, "[Dat]\r\nDat1=Received\r\n");
        std::vector<std::string> files;
        std::vector<std::string> contents;
        for (std::size_t i = 0; i < 3; ++i) {
            files.push_back(dir.File("m" + std::to_string(i) + ".eml"));
            contents.push_back(i == c.large ? large : kSmall);
            WriteFile(files.back(), contents.back());
        }
        const std::string errPath = dir.File("err.txt");
        const std::string outPath = dir.File("out.txt");
        const std::string result = InChild([&] {
            bool sent = false;
            ProgressSeam() = [&](const JobProgress& progress) {
                if (c.at == SendAt::Reading && !sent && progress.filesDone == c.large &&
                    progress.bytesDone >= (std::uint64_t{1} << 20)) {
                    sent = true;
                    ::raise(c.signal);
                }
            };
            TestSeam().failBeforeRename = [&](const std::string& target) {
                if ((c.at == SendAt::BeforeRename && target == files[0]) ||
                    (c.at == SendAt::DuringKeySave && target == settings)) {
                    ::raise(c.signal);
                    if (c.at == SendAt::DuringKeySave)
                        ::raise(c.signal);
                }
                return false;
            };
            std::FILE* out = std::fopen(outPath.c_str(), "w");
            std::FILE* err = std::fopen(errPath.c_str(), "w");
            const int status = cli::RunCli({"vesk", "--settings=" + settings, "--auto-register", "--no-backup",
                                            "--progress", c.jobs, "--", files[0], files[1], files[2]},
                                           dir.File("norvane-cli"), out, err);
            std::fclose(out);
            std::fclose(err);
            // The old dispositions are back.
            struct sigaction now {};
            ::sigaction(c.signal, nullptr, &now);
            return std::to_string(status) + (now.sa_handler == SIG_DFL ? "" : " handler left");
        });
        EXPECT_EQ(result, std::to_string(c.status));
        for (std::size_t i = 0; i < files.size(); ++i) {
            SCOPED_TRACE(files[i]);
            if (i < c.filesDone && i == c.large)
                EXPECT_EQ(ReadFile(files[i]).substr(0, 24), "X-Large: l\r\nSubject: lar");
            else if (i < c.filesDone)
                EXPECT_EQ(ReadFile(files[i]), kSmallDone);
            else
                EXPECT_TRUE(ReadFile(files[i]) == contents[i]);
        }
        EXPECT_EQ(HiddenFilesIn(dir.Path()), "");
        // The keys of the files done are stored whole.
        KeyList stored;
        LoadKeyList(settings, stored);
        KeyList expected{"Received"};
        for (std::size_t i = 0; i < c.filesDone; ++i) {
            expected.RegisterUnticked(i == c.large ? "X-Large" : "X-Key");
            expected.RegisterUnticked("Subject");
        }
        EXPECT_EQ(stored, expected);
        const std::string err = ReadFile(errPath);
        EXPECT_NE(err.find("norvane-cli: stopped after " + std::to_string(c.filesDone) + " of 3 files\n"),
                  std::string::npos)
            << err;
    }
}

TEST(ProgressLine, RewritesOneLineInPlaceAndClearsItForOtherOutput)
{
    TempDir dir;
    const std::string path = dir.File("err.txt");
    std::FILE* err = std::fopen(path.c_str(), "w");
    {
        cli::ProgressLine line(err, true, std::chrono::steady_clock::duration::zero());
        line.Show({1, 12, 3u << 20, 10u << 20});
        line.Show({2, 12, 0, 0});
        line.Between([&] { std::fputs("message\n", err); });
        line.Show({3, 12, 0, 0});
    }
    cli::ProgressLine hidden(err, false, std::chrono::steady_clock::duration::zero());
    hidden.Show({4, 12, 0, 0});
    hidden.Clear();
    std::fclose(err);
    const std::string first = "norvane-cli: 1 of 12 files, 3.0 of 10.0 MiB";
    const std::string second = "norvane-cli: 2 of 12 files";
    const std::string third = "norvane-cli: 3 of 12 files";
    EXPECT_EQ(ReadFile(path), "\r" + first +                                      // the first report
                                  "\r" + second + std::string(first.size() - second.size(), ' ') +  // over it
                                  "\r" + std::string(second.size(), ' ') + "\r" + "message\n" +  // cleared
                                  "\r" + third + "\r" + std::string(third.size(), ' ') + "\r");  // at the end
}

TEST(ParseArguments, ProgressIsForcedEitherWayByTheLastFlag)
{
    struct Case {
        std::vector<std::string> args;
        std::optional<bool> progress;
    };
    const Case cases[] = {
        {{"vesk", "a"}, std::nullopt},
        {{"vesk", "--progress", "a"}, true},
        {{"analyze", "--no-progress", "a"}, false},
        {{"vesk", "--no-progress", "a", "--progress"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        EXPECT_EQ(cli::ParseArguments(c.args).progress, c.progress);
    }
}

}  // namespace norvane::test
