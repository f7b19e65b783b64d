#include "app/AnalyzeJob.h"

#include "TestFiles.h"

namespace norvane::test {

namespace {

class Recorder : public JobObserver {
public:
    void FileDone(const FileResult& result) override { done.push_back(result.path); }
    bool Cancelled() override { return ++asked > cancelAfter; }

    std::vector<std::string> done;
    int asked = 0;
    int cancelAfter = 1000;
};

std::string Shown(const std::vector<KeyTally>& tally)
{
    std::string text;
    for (const auto& entry : tally)
        text += entry.key + "=" + entry.count + ":" + std::string(entry.mark) + " ";
    return text;
}

TEST(RunAnalyzeJob, TalliesEveryFileAndMarksEachKey)
{
    TempDir dir;
    const std::vector<std::string> files = {dir.File("a.eml"), dir.File("b.eml")};
    WriteFile(files[0], "Received: r\r\nSubject: s\r\n\r\nX-Body: no\r\n");
    WriteFile(files[1], "SUBJECT: t\nX-New: 1\n\nX-Body: yes\n");
    const KeyList keys = {"Received", ";Subject"};
    struct Case {
        bool allText;
        const char* tally;
        int lines[2];
    } cases[] = {
        {false, "Received=1:Del SUBJECT=2: X-New=1:New ", {2, 2}},
        {true, "Received=1:Del SUBJECT=2: X-Body=2:New X-New=1:New ", {3, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.allText);
        Recorder recorder;
        const auto result = RunAnalyzeJob(files, keys, {c.allText ? HeaderScope::kAll : HeaderScope::kFirst}, &recorder);
        EXPECT_EQ(Shown(result.tally), c.tally);
        ASSERT_EQ(result.files.size(), 2u);
        EXPECT_EQ(result.files[0].headerLines, c.lines[0]);
        EXPECT_EQ(result.files[1].headerLines, c.lines[1]);
        EXPECT_EQ(result.files[1].index, 1u);
        EXPECT_EQ(recorder.done, files);
        EXPECT_FALSE(result.Failure());
    }
}

TEST(RunAnalyzeJob, TheFirstUnreadableFileEndsItWithoutATally)
{
    TempDir dir;
    WriteFile(dir.File("a.eml"), "Subject: s\n");
    WriteFile(dir.File("c.eml"), "Subject: s\n");
    Recorder recorder;
    const auto result = RunAnalyzeJob({dir.File("a.eml"), dir.File("gone.eml"), dir.File("c.eml")}, {}, {},
                                      &recorder);
    EXPECT_TRUE(result.tally.empty());
    ASSERT_NE(result.Failure(), nullptr);
    EXPECT_EQ(result.Failure()->path, dir.File("gone.eml"));
    EXPECT_EQ(result.Failure()->message, "ﾌｧｲﾙが見つかりません");
    EXPECT_EQ(result.files[2].outcome, FileOutcome::Skipped);
    EXPECT_EQ(recorder.done.size(), 2u);
}

TEST(RunAnalyzeJob, ACancelLeavesNoTally)
{
    TempDir dir;
    WriteFile(dir.File("a.eml"), "Subject: s\n");
    Recorder recorder;
    recorder.cancelAfter = 1;
    const auto result = RunAnalyzeJob({dir.File("a.eml"), dir.File("a.eml")}, {}, {}, &recorder);
    EXPECT_TRUE(result.cancelled);
    EXPECT_TRUE(result.tally.empty());
    EXPECT_EQ(result.files[0].outcome, FileOutcome::Processed);
    EXPECT_EQ(result.files[1].outcome, FileOutcome::Skipped);
    EXPECT_FALSE(result.Failure());
}

}  // namespace
}  // namespace norvane::test
