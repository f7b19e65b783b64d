// Scenarios a mail store meets in real use, each once lost or endangered mail:
// repeated runs, files that are not mail, other users' files and links,
// FIFOs, unchanged files, killed runs and mail delivered during a run.

#include "engine/Error.h"
#include "engine/FileIo.h"
#include "engine/VeskFile.h"
#include "settings/FolderScan.h"
#include "ChildProcess.h"
#include "TestFiles.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>

namespace norvane::test {

namespace fs = std::filesystem;

namespace {

const KeyList kTicked = {"Received", "X-Mailer", ";Subject"};

struct stat StatOf(const std::string& path)
{
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st;
}

// Vesk with BackUp on over the files, as one run; the error text, if any.
std::string Vesk(const std::vector<std::string>& files, bool backup = true)
{
    KeyList keys = kTicked;
    VeskRun run(files);
    VeskOptions options;
    options.backup = backup;
    options.removeAttachments = true;
    options.removeTraces = true;
    try {
        for (const auto& file : run.Files())
            VeskFile(file, keys, options, run);
    } catch (const Error& e) {
        return e.what();
    }
    return "";
}

// The files a wildcard run over the folder would take.
std::vector<std::string> Wildcard(const fs::path& folder, const char* pattern)
{
    std::vector<std::string> files;
    ScanFolder((folder / pattern).string(), kEntryAny, files);
    return files;
}

// A folder anyone may write, as a shared folder with the sticky bit.
void MakeShared(const fs::path& folder)
{
    ::chmod(folder.c_str(), 01777);
}

const std::string kMailLf =
    "From a@example.org Mon Jan  1 10:00:00 2024\n"
    "Received: from a.example.org\n"
    "\tby b.example.org\n"
    "Subject: first\n"
    "X-Mailer: m\n"
    "\n"
    "body\n";

}  // namespace

TEST(SafetyScenario, ASecondRunKeepsTheFirstBackup)
{
    TempDir dir;
    const std::string mail = dir.File("m.eml");
    WriteFile(mail, kMailLf);
    EXPECT_EQ(Vesk({mail}), "");
    const std::string once = ReadFile(mail);
    EXPECT_EQ(ReadFile(dir.File("m.bak")), kMailLf);

    // Nothing left to change: no second backup, the first one stays.
    EXPECT_EQ(Vesk({mail}), "");
    EXPECT_EQ(ListFolder(dir.Path()), "m.bak m.eml ");

    // New mail arrived; the next run's backup takes the next name.
    std::ofstream(mail, std::ios::app) << "From b\nReceived: again\n\nmore\n";
    const std::string grown = ReadFile(mail);
    EXPECT_EQ(Vesk({mail}), "");
    std::ofstream(mail, std::ios::app) << "X-Mailer: third\n";
    const std::string third = ReadFile(mail);
    EXPECT_EQ(Vesk({mail}), "");
    EXPECT_EQ(ReadFile(dir.File("m.bak")), kMailLf) << "the oldest backup keeps the plain name";
    EXPECT_EQ(ReadFile(dir.File("m.eml.bak")), grown);
    EXPECT_EQ(ReadFile(dir.File("m.eml.bak.2")), third);
    EXPECT_NE(once, kMailLf);
}

TEST(SafetyScenario, ABackupRestoresAnyFileExactly)
{
    TempDir dir;
    const std::string mail = dir.File("m.txt");
    const std::string cases[] = {
        "Received: r\rSubject: s\r\rbody\r",             // CR line ends
        "Received: r\nSubject: s\n\nno final line end",  // no final line end
        std::string("Received: r\r\n\0\x1a\xfe\xff\r\r\n\n\r", 15),
    };
    for (const auto& bytes : cases) {
        SCOPED_TRACE(bytes.size());
        fs::remove(dir.File("m.bak"));
        WriteFile(mail, bytes);
        EXPECT_EQ(Vesk({mail}), "");
        EXPECT_NE(ReadFile(mail), bytes);
        fs::copy_file(dir.File("m.bak"), mail, fs::copy_options::overwrite_existing);
        EXPECT_TRUE(ReadFile(mail) == bytes) << "restored from the backup";
    }
}

TEST(SafetyScenario, MaildirBackupsStayOutOfTheMessageFolders)
{
    TempDir dir;
    for (const char* folder : {"Maildir/cur", "Maildir/new", "Maildir/tmp"})
        fs::create_directories(dir.Path() / folder);
    const std::string message = dir.File("Maildir/cur/1700000000.M1P2.host:2,S");
    WriteFile(message, kMailLf);
    EXPECT_EQ(Vesk({message}), "");
    EXPECT_EQ(ListFolder(dir.Path() / "Maildir" / "cur"), "1700000000.M1P2.host:2,S ");
    EXPECT_EQ(ReadFile(dir.File("Maildir/norvane-backup/1700000000.M1P2.bak")), kMailLf);
    EXPECT_EQ(StatOf(dir.File("Maildir/norvane-backup")).st_mode & 07777, 0700u);
}

TEST(SafetyScenario, APlantedLinkIsNeverFollowed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as two users";
    TempDir dir;
    fs::create_directories(dir.Path() / "shared");
    fs::create_directories(dir.Path() / "etc");
    MakeShared(dir.Path() / "shared");
    const std::string victim = dir.File("etc/something");
    WriteFile(victim, "root's file\n");
    const std::string mail = dir.File("shared/m.txt");
    WriteFile(mail, kMailLf);
    // Another user plants links where the backup would go.
    const std::string planted = InChild([&] {
        fs::create_symlink(victim, dir.Path() / "shared" / "m.bak");
        fs::create_symlink(victim, dir.Path() / "shared" / "m.txt.bak");
        return std::string("planted");
    }, 5, kNobody);
    ASSERT_EQ(planted, "planted");
    EXPECT_EQ(Vesk({mail}), "");
    EXPECT_EQ(ReadFile(victim), "root's file\n");
    EXPECT_EQ(ReadFile(dir.File("shared/m.txt.bak.2")), kMailLf);
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "shared" / "m.bak"));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "shared" / "m.txt.bak"));
}

TEST(SafetyScenario, AMailFileSwappedForALinkOrFifoIsRefusedAtOnce)
{
    TempDir dir;
    const std::string mail = dir.File("m.eml");
    const std::string victim = dir.File("victim");
    struct Case {
        const char* name;
        std::function<void()> swap;
    } cases[] = {
        {"a link", [&] { fs::create_symlink(victim, mail); }},
        {"a FIFO", [&] { ::mkfifo(mail.c_str(), 0600); }},
        {"a folder", [&] { fs::create_directory(mail); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(mail);
        WriteFile(mail, kMailLf);
        WriteFile(victim, "someone's file\n");
        VeskRun run({mail});  // selected while it was mail
        fs::remove(mail);
        c.swap();
        // A refusal within a second, never a hang.
        const std::string result = InChild([&] {
            KeyList keys = kTicked;
            VeskOptions options;
            options.backup = true;
            VeskFile(mail, keys, options, run);
            return std::string("processed");
        }, 1);
        EXPECT_EQ(result, "error: " + FormatMessage(kMsgNotRegular, mail));
        EXPECT_EQ(ReadFile(victim), "someone's file\n");
        EXPECT_FALSE(fs::exists(dir.Path() / "m.bak"));
    }
}

TEST(SafetyScenario, OwnersStayAndOnlyWhatMayBeReplacedIs)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as two users";
    TempDir dir;
    MakeShared(dir.Path());
    const std::string mail = dir.File("m.eml");
    struct Case {
        const char* name;
        uid_t owner;
        gid_t group;
        mode_t mode;
        int runAs;  // -1: root
        bool replaced;
    } cases[] = {
        // The backup of a private mail file is as private as the file.
        {"root over another user's mail", kNobody, kNobody, 0600, -1, true},
        {"root over mail of another user and group", kNobody, 0, 0640, -1, true},
        {"root over own mail of another group", 0, kNobody, 0660, -1, true},
        {"root over a file without write bits", kNobody, kNobody, 0444, -1, false},
        {"a user over root's writable file", 0, 0, 0666, static_cast<int>(kNobody), false},
        {"a user over own mail of a group not theirs", kNobody, 0, 0660, static_cast<int>(kNobody), false},
        {"a user over own mail", kNobody, kNobody, 0640, static_cast<int>(kNobody), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(dir.File("m.bak"));
        WriteFile(mail, kMailLf);
        ASSERT_EQ(::chown(mail.c_str(), c.owner, c.group), 0);
        ::chmod(mail.c_str(), c.mode);
        const ino_t inode = StatOf(mail).st_ino;
        const std::string error = InChild([&] { return Vesk({mail}); }, 5, c.runAs);
        const struct stat st = StatOf(mail);
        EXPECT_EQ(st.st_uid, c.owner);
        EXPECT_EQ(st.st_gid, c.group);
        EXPECT_EQ(st.st_mode & 07777, c.mode);
        if (c.replaced) {
            EXPECT_EQ(error, "");
            EXPECT_NE(ReadFile(mail), kMailLf);
            EXPECT_EQ(ReadFile(dir.File("m.bak")), kMailLf);
            const struct stat backup = StatOf(dir.File("m.bak"));
            EXPECT_EQ(backup.st_uid, c.owner);
            EXPECT_EQ(backup.st_gid, c.group);
            EXPECT_EQ(backup.st_mode & 07777, c.mode);
        } else {
            EXPECT_EQ(error, FormatMessage(kMsgCannotCreate, mail));
            EXPECT_EQ(ReadFile(mail), kMailLf);
            EXPECT_EQ(st.st_ino, inode);
            EXPECT_EQ(ListFolder(dir.Path()), "m.eml ") << "no backup, no temporary file";
        }
    }
}

TEST(SafetyScenario, AnUnchangedFileKeepsInodeTimesAndHardLinks)
{
    TempDir dir;
    const std::string mail = dir.File("m.eml");
    WriteFile(mail, "From: a\r\nSubject: s\r\n\r\nbody\r\n");
    fs::create_hard_link(mail, dir.Path() / "other-name.eml");
    const timespec times[2] = {{1000, 0}, {2000, 0}};
    ::utimensat(AT_FDCWD, mail.c_str(), times, 0);
    const struct stat before = StatOf(mail);
    EXPECT_EQ(Vesk({mail}), "");
    const struct stat after = StatOf(mail);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_nlink, 2u);
    EXPECT_EQ(after.st_mtim.tv_sec, 2000);
    EXPECT_EQ(after.st_ctim.tv_sec, before.st_ctim.tv_sec);
    EXPECT_EQ(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
    EXPECT_EQ(ListFolder(dir.Path()), "m.eml other-name.eml ");
}

TEST(SafetyScenario, MailDeliveredDuringARunIsNeverLost)
{
    SeamGuard guard;
    TempDir dir;
    const std::string mbox = dir.File("inbox.mbox");
    WriteFile(mbox, kMailLf);
    // A delivery agent appends just before the rename would happen.
    TestSeam().failBeforeRename = [&](const std::string& target) {
        if (target == mbox)
            std::ofstream(mbox, std::ios::app) << "From late\nSubject: new mail\n\nhello\n";
        return false;
    };
    EXPECT_EQ(Vesk({mbox}), FormatMessage(kMsgChanged, mbox));
    EXPECT_EQ(ReadFile(mbox), kMailLf + "From late\nSubject: new mail\n\nhello\n");
    EXPECT_EQ(ReadFile(dir.File("inbox.bak")), kMailLf);
    EXPECT_EQ(ListFolder(dir.Path()), "inbox.bak inbox.mbox ");
    TestSeam() = FileSystemSeam{};

    // A delivery agent holding its lock: the file is refused, not waited on.
    fs::remove(dir.File("inbox.bak"));
    WriteFile(mbox, kMailLf);
    {
        LockHolder delivery(mbox);
        ASSERT_TRUE(delivery.Locked());
        EXPECT_EQ(Vesk({mbox}), FormatMessage(kMsgInUse, mbox));
    }
    EXPECT_EQ(ReadFile(mbox), kMailLf);
    EXPECT_EQ(ListFolder(dir.Path()), "inbox.mbox ");
}

TEST(SafetyScenario, KilledRunsLeaveNoPartialFileAndNothingTakenForMail)
{
    TempDir dir;
    const fs::path folder = dir.Path() / "box";
    const std::string mail = (folder / "m.eml").string();
    // A large mailbox that a run rewrites and backs up.
    std::string original;
    for (int i = 0; original.size() < (6u << 20); ++i)
        original += "From x\nReceived: r" + std::to_string(i) + "\nSubject: s\n\nbody " + std::to_string(i) + "\n\n";
    fs::create_directories(folder);
    WriteFile(mail, original);
    ASSERT_EQ(Vesk({mail}, false), "");
    const std::string result = ReadFile(mail);

    // How long an uninterrupted run takes, to spread the kills over it.
    WriteFile(mail, original);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(InChild([&] { return Vesk({mail}); }, 30), "");
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);

    std::mt19937 random(20240601);
    for (int kill = 0; kill < 8; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        fs::remove_all(folder);
        fs::create_directories(folder);
        WriteFile(mail, original);
        const auto delay = std::chrono::microseconds(random() % (span.count() + 1));
        const pid_t pid = ::fork();
        if (pid == 0) {
            Vesk({mail});
            ::_exit(0);
        }
        std::this_thread::sleep_for(delay);
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);

        const std::string now = ReadFile(mail);
        EXPECT_TRUE(now == original || now == result) << "the mail file is whole";
        if (fs::exists(folder / "m.bak")) {
            EXPECT_TRUE(ReadFile((folder / "m.bak").string()) == original) << "the backup is whole";
        }
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            EXPECT_TRUE(name == "m.eml" || name == "m.bak" || IsTemporaryName(name)) << name;
        }
        // A later wildcard run takes only the mail file and finishes the work.
        const auto files = Wildcard(folder, "*m.eml*");
        EXPECT_EQ(files, std::vector<std::string>{mail});
        EXPECT_EQ(Vesk(files), "");
        EXPECT_TRUE(ReadFile(mail) == result);
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (!IsTemporaryName(name) && (name.ends_with(".bak") || name.find(".bak.") != std::string::npos)) {
                EXPECT_TRUE(ReadFile(entry.path().string()) == original) << name;
            }
        }
    }
}

}  // namespace norvane::test
