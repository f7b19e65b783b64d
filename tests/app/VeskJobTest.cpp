#include "app/VeskJob.h"

#include "engine/FileIo.h"
#include "settings/KeyListStorage.h"
#include "settings/Settings.h"
#include "TestFiles.h"

#include <filesystem>
#include <stdexcept>

namespace norvane::test {

SeamGuard::~SeamGuard()
{
    TestSeam() = FileSystemSeam{};
}

namespace {

const std::string kMail = "Received: r\r\nSubject: s\r\n\r\nbody\r\n";

// Records what a job reports, and cancels before a given file.
class Recorder : public JobObserver {
public:
    void FileDone(const FileResult& result) override { done.push_back(result); }
    bool Cancelled() override { return ++asked > cancelAfter; }

    std::vector<FileResult> done;
    int asked = 0;
    int cancelAfter = 1000;
};

std::vector<FileOutcome> Outcomes(const JobResult& result)
{
    std::vector<FileOutcome> outcomes;
    for (const auto& file : result.files)
        outcomes.push_back(file.outcome);
    return outcomes;
}

// Counts the rewrites of the settings file; makes them fail when asked.
struct SettingsWrites {
    explicit SettingsWrites(const std::string& path, bool fail = false)
    {
        TestSeam().failBeforeRename = [this, path, fail](const std::string& target) {
            if (target != path)
                return false;
            ++count;
            return fail;
        };
    }
    SeamGuard guard;
    int count = 0;
};

TEST(VeskOptionsFrom, EachOptionBitAndTheTracesRule)
{
    struct Case {
        const char* name;
        unsigned flags;
        VeskOptions options;  // backup, removeAttachments, removeTraces, allText, autoRegister
    } cases[] = {
        {"none", 0x00, {false, false, false, false, false}},
        {"backup", 0x01, {true, false, false, false, false}},
        {"hint means nothing here", 0x02, {false, false, false, false, false}},
        {"all text", 0x04, {false, false, false, true, false}},
        {"auto-register", 0x08, {false, false, false, false, true}},
        {"attachments", 0x10, {false, true, false, false, false}},
        {"traces alone do nothing", 0x20, {false, false, false, false, false}},
        {"attachments and traces", 0x30, {false, true, true, false, false}},
        {"every bit, free ones too", 0xFF, {true, true, true, true, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto options = VeskOptionsFrom(static_cast<std::uint8_t>(c.flags));
        EXPECT_EQ(options.backup, c.options.backup);
        EXPECT_EQ(options.removeAttachments, c.options.removeAttachments);
        EXPECT_EQ(options.removeTraces, c.options.removeTraces);
        EXPECT_EQ(options.allText, c.options.allText);
        EXPECT_EQ(options.autoRegister, c.options.autoRegister);
    }
}

TEST(RunVeskJob, ResultsPerFileInOrderAsEachIsDone)
{
    TempDir dir;
    const std::vector<std::string> files = {dir.File("a.eml"), dir.File("b.eml"), dir.File("c.eml")};
    WriteFile(files[0], kMail);
    WriteFile(files[1], "Subject: s\nX-New: n\n\nbody\n");
    WriteFile(files[2], "Received: 1\nReceived: 2\n\tmore\n\nbody\n");
    KeyList keys = {"Received", ";Subject"};
    Recorder recorder;
    VeskJob job{{files[0], files[1], dir.File("x/../b.eml"), files[2]}, VeskOptionsFrom(0x08)};
    const auto result = RunVeskJob(job, keys, &recorder);

    ASSERT_EQ(result.files.size(), 3u);  // the second name of b.eml left out
    ASSERT_EQ(recorder.done.size(), 3u);
    const int stripped[] = {1, 0, 3};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(result.files[i].index, i);
        EXPECT_EQ(result.files[i].path, files[i]);
        EXPECT_EQ(result.files[i].outcome, FileOutcome::Processed);
        EXPECT_EQ(result.files[i].headerLines, stripped[i]);
        EXPECT_EQ(recorder.done[i].path, files[i]);
    }
    EXPECT_EQ(result.files[1].registeredKeys, (std::vector<std::string>{"X-New"}));
    EXPECT_EQ(result.registeredKeys, (std::vector<std::string>{"X-New"}));
    EXPECT_FALSE(result.Failure());
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(ReadFile(files[2]), "\r\nbody\r\n");
}

TEST(RunVeskJob, AFileThatWouldNotChangeIsUnchangedNotAnError)
{
    TempDir dir;
    const std::string done = "Subject: s\r\n\r\nbody\r\n";
    WriteFile(dir.File("a.eml"), done);
    WriteFile(dir.File("b.eml"), "Received: r\nSubject: s\n\nbody\n");
    KeyList keys = {"Received"};
    const auto result = RunVeskJob({{dir.File("a.eml"), dir.File("b.eml")}, VeskOptionsFrom(0x01)}, keys);
    EXPECT_EQ(Outcomes(result), (std::vector<FileOutcome>{FileOutcome::Unchanged, FileOutcome::Processed}));
    EXPECT_FALSE(result.Failure());
    EXPECT_EQ(ReadFile(dir.File("b.eml")), done);
    EXPECT_FALSE(std::filesystem::exists(dir.File("a.bak")));
}

TEST(RunVeskJob, StopsAtTheFirstFileThatFails)
{
    TempDir dir;
    WriteFile(dir.File("a.eml"), kMail);
    WriteFile(dir.File("c.eml"), kMail);
    KeyList keys = {"Received"};
    Recorder recorder;
    const auto result =
        RunVeskJob({{dir.File("a.eml"), dir.File("gone.eml"), dir.File("c.eml")}, {}}, keys, &recorder);
    EXPECT_EQ(Outcomes(result),
              (std::vector<FileOutcome>{FileOutcome::Processed, FileOutcome::Error, FileOutcome::Skipped}));
    ASSERT_NE(result.Failure(), nullptr);
    EXPECT_EQ(result.Failure()->path, dir.File("gone.eml"));
    EXPECT_EQ(result.Failure()->message, "ﾌｧｲﾙ " + dir.File("gone.eml") + " は開けません");
    EXPECT_EQ(recorder.done.size(), 2u);  // nothing reported for the file not reached
    EXPECT_EQ(ReadFile(dir.File("c.eml")), kMail);
}

TEST(RunVeskJob, SavesWhatTheJobRegisteredOnceAtItsEnd)
{
    struct Case {
        const char* name;
        std::vector<std::string> mails;  // "" names a missing file
        int cancelAfter;                 // files begun before the cancel
        bool toSettingsFile;
        int saves;
    } cases[] = {
        {"nothing registered", {kMail, kMail}, 1000, true, 0},
        {"one file registered", {kMail, "X-A: 1\n\nb\n", kMail}, 1000, true, 1},
        {"several files registered", {"X-A: 1\n\nb\n", "X-B: 1\nX-C: 2\n\nb\n"}, 1000, true, 1},
        {"stopped by an error after a file registered", {"X-A: 1\n\nb\n", "", kMail}, 1000, true, 1},
        {"stopped by an error before any registered", {"", "X-A: 1\n\nb\n"}, 1000, true, 0},
        {"cancelled after a file registered", {"X-A: 1\n\nb\n", "X-B: 1\n\nb\n"}, 1, true, 1},
        {"no settings file given", {"X-A: 1\n\nb\n"}, 1000, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const auto settings = dir.File("norvane.ini");
        SettingsWrites writes(settings);
        KeyListSession session(settings);
        VeskJob job{{}, VeskOptionsFrom(0x08), c.toSettingsFile ? &session : nullptr};
        for (std::size_t i = 0; i < c.mails.size(); ++i) {
            job.files.push_back(dir.File(std::to_string(i) + ".eml"));
            if (!c.mails[i].empty())
                WriteFile(job.files.back(), c.mails[i]);
        }
        KeyList keys = {"Received", ";Subject"};
        Recorder recorder;
        recorder.cancelAfter = c.cancelAfter;
        const auto result = RunVeskJob(job, keys, &recorder);
        EXPECT_EQ(writes.count, c.saves);
        EXPECT_FALSE(result.saveError);
        KeyList stored;
        LoadKeyList(settings, stored);
        EXPECT_EQ(stored, c.saves ? keys : KeyList{});
        EXPECT_EQ(result.cancelled, c.cancelAfter < 1000);
    }
}

TEST(RunVeskJob, AFailedSaveIsReturnedNotRaised)
{
    TempDir dir;
    const auto settings = dir.File("norvane.ini");
    WriteFile(settings, "[Dat]\r\nDat1=Received\r\n");
    WriteFile(dir.File("a.eml"), "X-A: 1\nReceived: r\n\nb\n");
    SettingsWrites writes(settings, true);
    KeyList keys = {"Received"};
    KeyListSession session(settings);
    const auto result = RunVeskJob({{dir.File("a.eml")}, VeskOptionsFrom(0x08), &session}, keys);
    EXPECT_EQ(Outcomes(result), (std::vector<FileOutcome>{FileOutcome::Processed}));
    ASSERT_TRUE(result.saveError);
    EXPECT_STREQ(result.saveError->what(), ("ﾌｧｲﾙ " + settings + " を作成できません").c_str());
    EXPECT_EQ(ReadFile(settings), "[Dat]\r\nDat1=Received\r\n");
    EXPECT_EQ(ReadFile(dir.File("a.eml")), "X-A: 1\r\n\r\nb\r\n");
}

TEST(RunVeskJob, AnObserverThatThrowsStillLeavesTheKeysSaved)
{
    struct Throwing : JobObserver {
        void FileDone(const FileResult&) override { throw std::runtime_error("observer"); }
    } observer;
    TempDir dir;
    const auto settings = dir.File("norvane.ini");
    WriteFile(dir.File("a.eml"), "X-A: 1\n\nb\n");
    KeyList keys;
    KeyListSession session(settings);
    EXPECT_THROW(RunVeskJob({{dir.File("a.eml")}, VeskOptionsFrom(0x08), &session}, keys, &observer),
                 std::runtime_error);
    KeyList stored;
    LoadKeyList(settings, stored);
    EXPECT_EQ(stored, (KeyList{";X-A"}));
}

}  // namespace
}  // namespace norvane::test
