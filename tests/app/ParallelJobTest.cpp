#include "app/AnalyzeJob.h"
#include "app/VeskJob.h"
#include "app/WorkAhead.h"

#include "engine/FileIo.h"
#include "TestFiles.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace norvane::test {

namespace {

namespace fs = std::filesystem;

struct MailFileText {
    std::string name;
    std::string text;  // empty: a folder of that name, which cannot be read as mail
};

std::string Mail(std::string_view keys, std::string_view end)
{
    std::string text;
    for (std::size_t at = 0; at < keys.size();) {
        const auto comma = std::min(keys.find(',', at), keys.size());
        text += std::string(keys.substr(at, comma - at)) + ": v";
        text += end;
        at = comma + 1;
    }
    return text + std::string(end) + "body" + std::string(end);
}

// Everything a run leaves: per-file results and the folder's files, with the
// folder's path cut off, the registered keys and the key list.
std::string Snapshot(const TempDir& dir, const JobResult& result, const KeyList& keys,
                     const std::vector<std::string>& registered)
{
    const std::string prefix = dir.Path().string() + "/";
    const auto cut = [&](std::string text) {
        for (std::size_t at; (at = text.find(prefix)) != std::string::npos;)
            text.erase(at, prefix.size());
        return text;
    };
    std::string out = result.cancelled ? "cancelled\n" : "";
    for (const auto& file : result.files) {
        out += cut(file.path) + " " + std::to_string(static_cast<int>(file.outcome)) + " " +
               std::to_string(file.attachmentLines) + " " + std::to_string(file.headerLines) + " " +
               cut(file.message);
        for (const auto& key : file.registeredKeys)
            out += " +" + key;
        out += "\n";
    }
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        out += entry.path().filename().string() + "=" +
               (entry.is_regular_file() ? ReadFile(entry.path().string()) : std::string("<dir>")) + "\n";
    for (const auto& key : registered)
        out += "registered " + key + "\n";
    for (const auto& entry : keys.StoredEntries())
        out += "list " + entry + "\n";
    return out;
}

std::vector<std::string> MakeFiles(const TempDir& dir, const std::vector<MailFileText>& mails)
{
    std::vector<std::string> paths;
    for (const auto& mail : mails) {
        const std::string path = dir.File(mail.name);
        if (!fs::exists(path)) {
            if (mail.text.empty())
                fs::create_directory(path);
            else
                WriteFile(path, mail.text);
        }
        paths.push_back(path);
    }
    return paths;
}

struct FileSet {
    const char* name;
    std::vector<MailFileText> files;
    unsigned flags;        // option bits
    std::string unwritable;  // a file the process may not replace
};

std::vector<FileSet> FileSets()
{
    std::vector<MailFileText> many;
    for (int i = 0; i < 20; ++i)
        many.push_back({"m" + std::to_string(100 + i) + ".eml",
                        Mail("Received,X-New" + std::to_string(i % 4) + ",Subject", i % 3 ? "\r\n" : "\n")});
    auto failing = many;
    failing[13] = {"broken.eml", ""};
    // Files are counted by whichever thread comes first: the letter case a
    // key is given must still be that of the last file.
    std::vector<MailFileText> cases;
    const char* spellings[] = {"X-Spam", "X-SPAM", "X-SpAm", "X-spam"};
    for (int i = 0; i < 70; ++i)
        cases.push_back({"c" + std::to_string(100 + i) + ".eml",
                         Mail(std::string(spellings[(i * 7) % 4]) + ",Received," + spellings[i % 3], "\n")});
    return {
        {"line ends, unchanged files",
         {{"a.eml", Mail("Received,Subject", "\n")}, {"b.eml", Mail("Subject", "\r\n")},
          {"c.eml", Mail("X-Mailer,Received,Subject", "\r")}, {"d.eml", Mail("Date", "\r\n")}},
         0x00, ""},
        {"auto-registration in argument order",
         {{"a.eml", Mail("X-B,X-A,Received", "\n")}, {"b.eml", Mail("X-A,X-C", "\n")},
          {"c.eml", Mail("x-c,X-D,x-b", "\r\n")}, {"d.eml", Mail("X-E", "\n")}},
         0x08, ""},
        {"backups named in order",
         {{"a.eml", Mail("Received", "\n")}, {"a.txt", Mail("Received", "\n")}, {"a", Mail("Received", "\n")},
          {"b.eml", Mail("Subject", "\n")}},
         0x01, ""},
        {"duplicate names",
         {{"a.eml", Mail("Received", "\n")}, {"b.eml", Mail("Received", "\n")}, {"a.eml", ""},
          {"./b.eml", ""}},
         0x01, ""},
        {"a failing file in the middle", failing, 0x09, ""},
        {"an unwritable file in the middle registers its keys and stops",
         {{"a.eml", Mail("Received,X-A", "\n")}, {"b.eml", Mail("Received,X-B", "\n")},
          {"c.eml", Mail("Received,X-C", "\n")}, {"d.eml", Mail("Received,X-D", "\n")}},
         0x09, "b.eml"},
        {"more files than the work ahead", many, 0x09, ""},
        {"one key spelt in several letter cases", cases, 0x00, ""},
    };
}

std::string RunVeskSet(const FileSet& set, unsigned workers)
{
    TempDir dir;
    const auto paths = MakeFiles(dir, set.files);
    SeamGuard guard;
    if (!set.unwritable.empty()) {
        const std::string unwritable = dir.File(set.unwritable);
        TestSeam().mayWrite = [unwritable](const std::string& path) { return path != unwritable; };
    }
    KeyList keys{"Received", ";Subject"};
    VeskJob job{paths, VeskOptionsFrom(static_cast<std::uint8_t>(set.flags)), nullptr, workers};
    const auto result = RunVeskJob(job, keys);
    return Snapshot(dir, result, keys, result.registeredKeys);
}

std::string RunAnalyzeSet(const FileSet& set, unsigned workers)
{
    TempDir dir;
    const auto paths = MakeFiles(dir, set.files);
    const KeyList keys{"Received", ";Subject"};
    const auto result = RunAnalyzeJob(paths, keys, {(set.flags & 0x04) != 0 ? HeaderScope::kAll : HeaderScope::kFirst}, nullptr, workers);
    std::vector<std::string> tally;
    for (const auto& entry : result.tally)
        tally.push_back(entry.key + "=" + entry.count + " " + std::string(entry.mark));
    return Snapshot(dir, result, keys, tally);
}

TEST(RunVeskJob, ParallelRunsLeaveWhatASerialRunLeaves)
{
    for (const auto& set : FileSets()) {
        SCOPED_TRACE(set.name);
        const std::string serial = RunVeskSet(set, 1);
        for (const unsigned workers : {2u, 3u, 8u}) {
            SCOPED_TRACE(workers);
            EXPECT_EQ(RunVeskSet(set, workers), serial);
        }
    }
}

TEST(RunVeskJob, AFailureInTheMiddleLeavesLaterFilesAndNoTemporaryFiles)
{
    const auto set = FileSets()[4];
    const std::string result = RunVeskSet(set, 2);
    // Files before the broken one are stripped, it fails, those after it
    // are skipped and untouched.
    EXPECT_NE(result.find("m112.eml=X-New0: v\r\nSubject: v\r\n\r\nbody\r\n"), std::string::npos) << result;
    EXPECT_NE(result.find("broken.eml 3 "), std::string::npos) << result;
    EXPECT_NE(result.find("m114.eml 4 0 0 \n"), std::string::npos) << result;
    EXPECT_NE(result.find("m114.eml=Received: v\r\nX-New2: v\r\n"), std::string::npos) << result;
    EXPECT_EQ(result.find("\n."), std::string::npos) << result;
}

TEST(RunAnalyzeJob, ParallelRunsCountWhatASerialRunCounts)
{
    for (const auto& set : FileSets()) {
        SCOPED_TRACE(set.name);
        const std::string serial = RunAnalyzeSet(set, 1);
        for (const unsigned workers : {2u, 3u, 8u}) {
            SCOPED_TRACE(workers);
            EXPECT_EQ(RunAnalyzeSet(set, workers), serial);
        }
    }
}

// Cancels before a given file.
class CancelAt : public JobObserver {
public:
    explicit CancelAt(int file) : file_(file) {}
    bool Cancelled() override { return asked_++ == file_; }

private:
    int file_;
    int asked_ = 0;
};

TEST(RunVeskJob, ACancelLeavesTheFilesNotReachedAndNoTemporaryFiles)
{
    TempDir dir;
    std::vector<MailFileText> mails;
    for (int i = 0; i < 12; ++i)
        mails.push_back({"m" + std::to_string(10 + i) + ".eml", Mail("Received,Subject", "\n")});
    const auto paths = MakeFiles(dir, mails);
    KeyList keys{"Received"};
    CancelAt observer(5);
    const auto result = RunVeskJob({paths, {}, nullptr, 4}, keys, &observer);
    EXPECT_TRUE(result.cancelled);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(paths[i]);
        EXPECT_EQ(ReadFile(paths[i]), i < 5 ? Mail("Subject", "\r\n") : Mail("Received,Subject", "\n"));
    }
    EXPECT_EQ(HiddenFilesIn(dir.Path()), "");
}

}  // namespace

TEST(RunFilesAhead, StartsNoMoreThreadsThanThereAreGroupsToShare)
{
    struct Case {
        const char* name;
        std::size_t groups;
        unsigned workers;
        unsigned threads;
    } cases[] = {
        {"no group", 0, 8, 0},
        {"one group: the caller alone", 1, 8, 0},
        {"two groups: one thread beside the caller", 2, 8, 1},
        {"fewer groups than workers", 5, 8, 4},
        {"as many groups as workers", 8, 8, 7},
        {"more groups than workers", 20, 8, 7},
        {"one worker", 20, 1, 0},
        {"no worker", 20, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ThreadsAhead(c.groups, c.workers), c.threads);
    }

    // Two files of eight workers: the caller and one thread at most.
    JobResult result{FileResults({"a.eml", "b.eml"})};
    std::atomic<unsigned> highest{0};
    const bool worked = RunFilesAhead<int>(
        result, nullptr, 8,
        [&](const FileToPrepare& file) {
            for (unsigned seen = highest; file.thread > seen && !highest.compare_exchange_weak(seen, file.thread);)
                ;
            return 0;
        },
        [](FileResult& file, int&) { file.outcome = FileOutcome::Processed; });
    EXPECT_TRUE(worked);
    EXPECT_LE(highest.load(), 1U);
}

TEST(WorkAhead, TheCallerWorksItemsWhileItWaits)
{
    struct Case {
        const char* name;
        unsigned threads;
        std::size_t ahead;
    } cases[] = {
        {"no thread: the caller works every item", 0, 1},
        {"no thread, a window of three", 0, 3},
        {"one thread beside the caller", 1, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WorkAhead<int> ahead(40, c.threads, c.ahead, [](std::size_t i, unsigned) {
            if (i == 25)
                throw std::runtime_error("item 25");
            return static_cast<int>(i * i);
        });
        for (int i = 0; i < 25; ++i)
            EXPECT_EQ(ahead.Take(), i * i);
        EXPECT_THROW(ahead.Take(), std::runtime_error);
        EXPECT_EQ(ahead.Take(), 26 * 26);
    }
}

TEST(WorkAhead, NumbersTheThreadsAndGivesEachItsItemsInOrder)
{
    constexpr unsigned kThreads = 3;
    constexpr std::size_t kItems = 300;
    // Written without a lock: each thread only into its own list.
    std::vector<std::vector<std::size_t>> byThread(kThreads + 1);
    std::atomic<bool> outOfRange{false};
    {
        WorkAhead<std::size_t> ahead(kItems, kThreads, 4, [&](std::size_t i, unsigned thread) {
            if (thread > kThreads) {
                outOfRange = true;
                return i;
            }
            byThread[thread].push_back(i);
            return i;
        });
        for (std::size_t i = 0; i < kItems; ++i)
            ASSERT_EQ(ahead.Take(), i);
    }
    EXPECT_FALSE(outOfRange.load());
    std::vector<int> worked(kItems);
    for (const auto& items : byThread) {
        EXPECT_TRUE(std::is_sorted(items.begin(), items.end()));
        for (const std::size_t i : items)
            ++worked[i];
    }
    EXPECT_EQ(worked, std::vector<int>(kItems, 1));
}

}  // namespace norvane::test
