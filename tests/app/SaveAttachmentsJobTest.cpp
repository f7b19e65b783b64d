#include "app/VeskJob.h"

#include "engine/FileIo.h"
#include "TestFiles.h"

#include <algorithm>
#include <filesystem>

namespace norvane::test {

namespace {

// A mail with two attachments named alike; their contents name the mail.
std::string MailWithTwo(const std::string& tag)
{
    return "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\n"
           "Content-Disposition: attachment; filename=\"same.txt\"\n\n" +
           tag + "-1\n--b\nContent-Disposition: attachment; filename=\"same.txt\"\n\n" + tag + "-2\n--b--\n";
}

class CancelAfter : public JobObserver {
public:
    explicit CancelAfter(int files) : files_(files) {}
    bool Cancelled() override { return asked_++ >= files_; }

private:
    int files_;
    int asked_ = 0;
};

struct JobCase {
    const char* name;
    std::function<void(const std::vector<std::string>&)> arrange;
    int cancelAfter;  // files worked before the job is cancelled
    std::size_t filesSaved;  // mails whose attachments stay saved
    std::vector<FileOutcome> outcomes;
};

}  // namespace

// Names are numbered in argument order whatever the number of workers, and
// a mail whose step fails or is never reached leaves no file.
TEST(SaveAttachmentsJob, NamesInArgumentOrderAndNothingFromAFailedMail)
{
    SeamGuard guard;
    const JobCase cases[] = {
        {"all done", [](const auto&) {}, 100, 5, std::vector<FileOutcome>(5, FileOutcome::Processed)},
        {"the fourth mail refused",
         [](const auto& mails) {
             TestSeam().mayWrite = [refused = mails[3]](const std::string& t) { return t != refused; };
         },
         100, 3,
         {FileOutcome::Processed, FileOutcome::Processed, FileOutcome::Processed, FileOutcome::Error,
          FileOutcome::Skipped}},
        {"cancelled after two", [](const auto&) {}, 2, 2,
         {FileOutcome::Processed, FileOutcome::Processed, FileOutcome::Skipped, FileOutcome::Skipped,
          FileOutcome::Skipped}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestSeam() = FileSystemSeam{};
        TempDir dir;
        const std::string out = dir.File("out");
        std::vector<std::string> mails;
        for (int i = 0; i < 5; ++i) {
            mails.push_back(dir.File("m" + std::to_string(i) + ".eml"));
            WriteFile(mails.back(), MailWithTwo("m" + std::to_string(i)));
        }
        c.arrange(std::vector<std::string>(mails.begin(), mails.end()));
        VeskJob job{mails, {}};
        job.options.removeAttachments = true;
        job.options.saveAttachments = true;
        job.options.attachmentFolder = out;
        job.workers = 4;
        KeyList keys;
        CancelAfter observer(c.cancelAfter);
        const auto result = RunVeskJob(job, keys, &observer);
        std::vector<FileOutcome> outcomes;
        for (const auto& file : result.files)
            outcomes.push_back(file.outcome);
        EXPECT_EQ(outcomes, c.outcomes);
        std::vector<std::string> expectedFolder;
        for (std::size_t i = 0; i < result.files.size(); ++i) {
            SCOPED_TRACE(i);
            const auto& saved = result.files[i].saved;
            if (i >= c.filesSaved) {
                EXPECT_TRUE(saved.empty());
                continue;
            }
            ASSERT_EQ(saved.size(), 2u);
            for (int part = 0; part < 2; ++part) {
                const int number = 2 * static_cast<int>(i) + part + 1;
                const std::string name = number == 1 ? "same.txt" : "same-" + std::to_string(number) + ".txt";
                EXPECT_EQ(saved[part], out + "/" + name);
                EXPECT_EQ(ReadFile(saved[part]), "m" + std::to_string(i) + "-" + std::to_string(part + 1));
                expectedFolder.push_back(name);
            }
        }
        // Nothing else is left in the folder, temporary files included.
        std::sort(expectedFolder.begin(), expectedFolder.end());
        std::string listed;
        for (const auto& name : expectedFolder)
            listed += name + " ";
        EXPECT_EQ(ListFolder(out), listed);
    }
}

}  // namespace norvane::test
