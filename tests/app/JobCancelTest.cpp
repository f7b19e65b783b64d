#include "app/AnalyzeJob.h"
#include "app/VeskJob.h"

#include "settings/KeyListStorage.h"
#include "MailLines.h"
#include "TestFiles.h"

#include <atomic>
#include <filesystem>
#include <mutex>

namespace norvane::test {

namespace {

namespace fs = std::filesystem;

const std::string kSmall = "Received: r\nX-Key-%: new\nSubject: s\n\nbody\n";
const std::string kSmallDone = "X-Key-%: new\r\nSubject: s\r\n\r\nbody\r\n";

std::string Numbered(std::string text, std::size_t i)
{
    text.replace(text.find('%'), 1, std::to_string(i));
    return text;
}

// Sets its cancel flag when told to: after file `afterFile` is done, or
// once `bytesInto` bytes of the file after the done ones were read.
class Canceller : public JobObserver {
public:
    void FileDone(const FileResult& file) override
    {
        done.push_back(file.index);
        if (static_cast<int>(file.index) == afterFile)
            flag = true;
    }
    const std::atomic<bool>* CancelFlag() override { return &flag; }
    void Progress(const JobProgress& progress) override
    {
        EXPECT_FALSE(inProgress.exchange(true));  // never two calls at once
        reports.push_back(progress);
        if (bytesInto > 0 && progress.bytesDone >= bytesInto)
            flag = true;
        inProgress = false;
    }

    int afterFile = -1;
    std::uint64_t bytesInto = 0;
    std::atomic<bool> flag{false};
    std::atomic<bool> inProgress{false};
    std::vector<std::size_t> done;
    std::vector<JobProgress> reports;
};

}  // namespace

TEST(RunVeskJob, ACancelStopsAtOnceAndSavesTheKeysOfTheFilesDone)
{
    struct Case {
        const char* name;
        unsigned workers;
        std::size_t large;       // the large one of the six files
        int afterFile;           // cancel once this file is done, or -1
        std::uint64_t bytesInto; // or once this much of the large file was read
        std::size_t filesDone;
    };
    // Workers may read a file before its turn, unreported; only the first
    // file is surely read while the job waits on it.
    const Case cases[] = {
        {"between files, one worker", 1, 3, 1, 0, 2},
        {"between files, three workers", 3, 3, 1, 0, 2},
        {"inside the large file, one worker", 1, 3, -1, 2 << 20, 3},
        {"inside the large first file, three workers", 3, 0, -1, 2 << 20, 0},
    };
    const std::string large = LargeMail();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::vector<std::string> files;
        std::vector<std::string> contents;
        for (std::size_t i = 0; i < 6; ++i) {
            files.push_back(dir.File("m" + std::to_string(i) + ".eml"));
            contents.push_back(i == c.large ? large : Numbered(kSmall, i));
            WriteFile(files.back(), contents.back());
        }
        const std::string settings = dir.File("norvane.ini");
        KeyListSession session(settings);
        KeyList keys{"Received"};
        Canceller observer;
        observer.afterFile = c.afterFile;
        observer.bytesInto = c.bytesInto;
        VeskOptions options;
        options.autoRegister = true;
        const auto result = RunVeskJob({files, options, &session, c.workers}, keys, &observer);

        EXPECT_TRUE(result.cancelled);
        EXPECT_EQ(result.Failure(), nullptr);
        for (std::size_t i = 0; i < files.size(); ++i) {
            SCOPED_TRACE(i);
            const bool done = i < c.filesDone;
            EXPECT_EQ(result.files[i].outcome, done ? FileOutcome::Processed : FileOutcome::Skipped);
            EXPECT_EQ(ReadFile(files[i]), done ? Numbered(kSmallDone, i) : contents[i]);
        }
        EXPECT_EQ(observer.done.size(), c.filesDone);
        EXPECT_EQ(HiddenFilesIn(dir.Path()), "");
        // The keys the files done registered are stored, none of the others.
        KeyList expected{"Received"};
        for (std::size_t i = 0; i < c.filesDone; ++i) {
            expected.RegisterUnticked("X-Key-" + std::to_string(i));
            expected.RegisterUnticked("Subject");
        }
        EXPECT_EQ(keys, expected);
        KeyList stored;
        LoadKeyList(settings, stored);
        EXPECT_EQ(stored, c.filesDone > 0 ? expected : KeyList{});
        EXPECT_FALSE(result.saveError);
    }
}

TEST(RunVeskJob, ProgressCountsTheFilesAndTheBytesOfTheFileWorkedOn)
{
    for (const unsigned workers : {1u, 4u}) {
        SCOPED_TRACE(workers);
        TempDir dir;
        const std::string large = LargeMail();
        const std::vector<std::string> files = {dir.File("a.eml"), dir.File("big.eml"), dir.File("c.eml")};
        WriteFile(files[0], Numbered(kSmall, 0));
        WriteFile(files[1], large);
        WriteFile(files[2], Numbered(kSmall, 2));
        KeyList keys{"Received"};
        Canceller observer;
        const auto result = RunVeskJob({files, {}, nullptr, workers}, keys, &observer);
        EXPECT_FALSE(result.cancelled);
        std::vector<std::size_t> filesDone;
        std::uint64_t largeBytes = 0;
        int largeSteps = 0;
        for (const auto& report : observer.reports) {
            EXPECT_EQ(report.filesTotal, 3u);
            if (report.bytesTotal == 0) {
                filesDone.push_back(report.filesDone);
                continue;
            }
            EXPECT_LE(report.bytesDone, report.bytesTotal);
            if (report.filesDone == 1) {
                EXPECT_EQ(report.bytesTotal, large.size());
                EXPECT_GE(report.bytesDone, largeBytes);
                largeBytes = report.bytesDone;
                ++largeSteps;
            }
        }
        EXPECT_EQ(filesDone, (std::vector<std::size_t>{1, 2, 3}));
        // With workers the large file may be read before its turn, unreported.
        if (workers == 1) {
            EXPECT_EQ(largeBytes, large.size());
            EXPECT_GE(largeSteps, 3);
            EXPECT_LE(largeSteps, 5);  // about one per MiB, not one per block
        }
    }
}

TEST(RunAnalyzeJob, ACancelEndsTheJobWithoutATally)
{
    for (const unsigned workers : {1u, 2u}) {
        SCOPED_TRACE(workers);
        TempDir dir;
        std::vector<std::string> files;
        for (std::size_t i = 0; i < 5; ++i) {
            files.push_back(dir.File(std::to_string(i) + ".eml"));
            WriteFile(files.back(), Numbered(kSmall, i));
        }
        Canceller observer;
        observer.afterFile = 2;
        const auto result = RunAnalyzeJob(files, KeyList{}, AnalyzeOptions{}, &observer, workers);
        EXPECT_TRUE(result.cancelled);
        EXPECT_TRUE(result.tally.empty());
        EXPECT_EQ(observer.done, (std::vector<std::size_t>{0, 1, 2}));
        EXPECT_EQ(result.files[3].outcome, FileOutcome::Skipped);
    }
}

}  // namespace norvane::test
