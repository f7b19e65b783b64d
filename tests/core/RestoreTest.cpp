#include "engine/Restore.h"

#include "ChildProcess.h"
#include "MailLines.h"
#include "TestFiles.h"
#include "engine/Error.h"
#include "engine/VeskFile.h"
#include "engine/VeskRun.h"

#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace norvane::test {

namespace {

namespace fs = std::filesystem;

std::string Name(const std::string& path)
{
    return fs::path(path).filename().string();
}

// Runs Vesk with backups on one file, stripping keys.
void VeskWithBackup(const std::string& mail, KeyList keys)
{
    VeskOptions options;
    options.backup = true;
    VeskRun run({mail});
    VeskFile(mail, keys, options, run);
}

bool Before(const struct timespec& a, const struct timespec& b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec <= b.tv_nsec);
}

}  // namespace

TEST(Restore, GivesBackTheBytesBeforeEachRun)
{
    const std::string lines = "Received: r\nX-Mailer: m\nSubject: s\nFrom: f\n\n\nbody\n";
    // Each run strips one more key, so every run changes the file.
    const KeyList runs[] = {{"Received"}, {"Received", "X-Mailer"}, {"Received", "X-Mailer", "Subject"}};
    for (const std::string_view end : {"\r\n", "\n", "\r"}) {
        for (std::size_t count = 1; count <= std::size(runs); ++count) {
            SCOPED_TRACE(testing::PrintToString(std::string(end)) + " runs: " + std::to_string(count));
            TempDir dir(true);
            const std::string mail = dir.File("a.eml");
            WriteFile(mail, WithEnds(lines, end));
            std::vector<std::string> before;
            for (std::size_t run = 0; run < count; ++run) {
                before.push_back(ReadFile(mail));
                VeskWithBackup(mail, runs[run]);
            }
            const std::string after = ReadFile(mail);
            const BackupSet set = FindBackups(mail);
            ASSERT_EQ(set.backups.size(), count);
            EXPECT_EQ(set.mailFile, mail);
            // The naming order is the order in time.
            for (std::size_t i = 0; i < count; ++i) {
                EXPECT_EQ(ReadFile(set.backups[i].path), before[i]) << set.backups[i].path;
                EXPECT_EQ(set.backups[i].size, before[i].size());
                if (i > 0) {
                    EXPECT_TRUE(Before(set.backups[i - 1].modified, set.backups[i].modified));
                }
            }
            const std::string newest = ChooseBackup(set, BackupChoice::kNewest, mail).path;
            EXPECT_TRUE(RestoreFromBackup(mail, newest));
            EXPECT_EQ(ReadFile(mail), before.back());
            const std::string oldest = ChooseBackup(set, BackupChoice::kOldest, mail).path;
            EXPECT_EQ(Name(oldest), "a.bak");
            EXPECT_EQ(RestoreFromBackup(mail, oldest), count > 1);
            EXPECT_EQ(ReadFile(mail), before.front());
            // The backups stay as they were.
            for (std::size_t i = 0; i < count; ++i)
                EXPECT_EQ(ReadFile(set.backups[i].path), before[i]);
            EXPECT_NE(after, before.front());
            EXPECT_EQ(ListFolder(dir.Path()).find("nvtmp"), std::string::npos);
        }
    }
}

TEST(Restore, FindsOnlyTheFilesOwnBackupsInTheirOrder)
{
    struct Case {
        const char* name;
        std::string mail;
        std::vector<std::string> entries;  // "name", "name/" a folder, "name>target" a link
        std::string backups;               // the backups found, oldest first
        std::string newest;                // a backup's name or the error
        std::string oldest;
    };
    const std::string noBackup = "no backup";
    const std::string shared = "shared a.bak";
    const Case cases[] = {
        {"only the plain name", "a.eml", {"a.bak"}, "a.bak ", "a.bak", "a.bak"},
        {"numbers in their order, not the text's",
         "a.eml",
         {"a.eml.bak.10", "a.bak", "a.eml.bak.2", "a.eml.bak"},
         "a.bak a.eml.bak a.eml.bak.2 a.eml.bak.10 ",
         "a.eml.bak.10",
         "a.bak"},
        {"a gap in the numbers", "a.eml", {"a.eml.bak", "a.eml.bak.3"}, "a.eml.bak a.eml.bak.3 ", "a.eml.bak.3",
         "a.eml.bak"},
        {"nothing", "a.eml", {}, "", noBackup, noBackup},
        {"names that only look like backups",
         "a.eml",
         {"a.eml.bak.0", "a.eml.bak.1", "a.eml.bak.02", "a.eml.bak.x", "a.eml.bakk", "a.eml.bak.2x", "b.bak",
          "a.eml.BAK"},
         "",
         noBackup,
         noBackup},
        {"the plain name of a.txt too", "a.eml", {"a.bak", "a.txt"}, "", shared, shared},
        {"the plain name of a name without extension too", "a.eml", {"a.bak", "a"}, "", shared, shared},
        {"shared plain name beside own backups",
         "a.eml",
         {"a.bak", "a.txt", "a.eml.bak", "a.eml.bak.2"},
         "a.eml.bak a.eml.bak.2 ",
         "a.eml.bak.2",
         shared},
        {"a folder shares no name", "a.eml", {"a.bak", "a.d/"}, "a.bak ", "a.bak", "a.bak"},
        {"a link is no backup", "a.eml", {"a.eml.bak", "a.eml.bak.2>a.eml.bak"}, "a.eml.bak ", "a.eml.bak",
         "a.eml.bak"},
        {"a folder is no backup", "a.eml", {"a.bak/", "a.eml.bak"}, "a.eml.bak ", "a.eml.bak", "a.eml.bak"},
        {"no extension: the full name is the plain name",
         "mbox",
         {"mbox.bak", "mbox.txt", "mbox.bak.2"},
         "mbox.bak mbox.bak.2 ",
         "mbox.bak.2",
         "mbox.bak"},
        {"a mail named .bak is not its own backup", "x.bak", {"x.bak.bak"}, "x.bak.bak ", "x.bak.bak", "x.bak.bak"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteFile(dir.File(c.mail), "mail\r\n");
        for (const std::string& entry : c.entries) {
            if (entry.back() == '/')
                fs::create_directory(dir.File(entry));
            else if (const auto arrow = entry.find('>'); arrow != std::string::npos)
                fs::create_symlink(entry.substr(arrow + 1), dir.File(entry.substr(0, arrow)));
            else
                WriteFile(dir.File(entry), "backup of " + entry);
        }
        const BackupSet set = FindBackups(dir.File(c.mail));
        std::string found;
        for (const BackupFile& backup : set.backups) {
            found += Name(backup.path) + " ";
            EXPECT_EQ(fs::path(backup.path).parent_path(), dir.Path());
        }
        EXPECT_EQ(found, c.backups);
        const auto chosen = [&](BackupChoice choice) {
            try {
                return Name(ChooseBackup(set, choice, dir.File(c.mail)).path);
            } catch (const Error& error) {
                const std::string text = error.what();
                if (text == FormatMessage(kMsgNoBackup, dir.File(c.mail)))
                    return noBackup;
                if (text == FormatMessage(kMsgSharedBackup, dir.File("a.bak")))
                    return shared;
                return text;
            }
        };
        EXPECT_EQ(chosen(BackupChoice::kNewest), c.newest);
        EXPECT_EQ(chosen(BackupChoice::kOldest), c.oldest);
        if (c.oldest == shared) {
            EXPECT_EQ(Name(set.sharer), c.entries[1]);
        }
    }
}

TEST(Restore, MaildirBackupsLieInTheBackupFolderAndShareAcrossCurAndNew)
{
    TempDir dir;
    for (const char* sub : {"cur", "new", "tmp"})
        fs::create_directories(dir.Path() / "box" / sub);
    const std::string mail = dir.File("box/cur/1700.M1.host:2,S");
    const std::string original = "Received: r\nSubject: s\n\nbody\n";
    WriteFile(mail, original);
    VeskWithBackup(mail, {"Received"});
    VeskWithBackup(mail, {"Received", "Subject"});
    BackupSet set = FindBackups(mail);
    ASSERT_EQ(set.backups.size(), 2u);
    EXPECT_EQ(set.backups[0].path, dir.File("box/norvane-backup/1700.M1.bak"));
    EXPECT_EQ(set.backups[1].path, dir.File("box/norvane-backup/1700.M1.host:2,S.bak"));
    EXPECT_TRUE(RestoreFromBackup(mail, ChooseBackup(set, BackupChoice::kOldest, mail).path));
    EXPECT_EQ(ReadFile(mail), original);

    // A message in "new" whose plain name is the same.
    WriteFile(dir.File("box/new/1700.M1.other"), "x\r\n");
    set = FindBackups(mail);
    EXPECT_EQ(set.sharedPlain, dir.File("box/norvane-backup/1700.M1.bak"));
    EXPECT_EQ(set.sharer, dir.File("box/new/1700.M1.other"));
    EXPECT_EQ(ErrorText([&] { ChooseBackup(set, BackupChoice::kOldest, mail); }),
              FormatMessage(kMsgSharedBackup, set.sharedPlain));
    EXPECT_EQ(ChooseBackup(set, BackupChoice::kNewest, mail).path, set.backups.back().path);
}

TEST(Restore, NeverThroughALinkAndKeepsTheMailsMode)
{
    TempDir dir;
    const std::string mail = dir.File("a.eml");
    const std::string backup = dir.File("a.bak");
    WriteFile(mail, "new\r\n");
    WriteFile(backup, "old\r\n");
    WriteFile(dir.File("secret"), "secret\r\n");
    fs::create_symlink("secret", dir.File("a.eml.bak"));
    ::chmod(mail.c_str(), 0640);

    // A backup that is a link is refused, whoever planted it.
    EXPECT_EQ(ErrorText([&] { RestoreFromBackup(mail, dir.File("a.eml.bak")); }),
              FormatMessage(kMsgNotRegular, dir.File("a.eml.bak")));
    EXPECT_EQ(ReadFile(mail), "new\r\n");

    // A mail path that is a link: its target is restored and the link stays.
    fs::create_symlink("a.eml", dir.File("link.eml"));
    EXPECT_TRUE(RestoreFromBackup(dir.File("link.eml"), backup));
    EXPECT_TRUE(fs::is_symlink(dir.File("link.eml")));
    EXPECT_EQ(ReadFile(mail), "old\r\n");
    EXPECT_EQ(ReadFile(backup), "old\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(mail.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(FindBackups(dir.File("link.eml")).mailFile, mail);

    // Equal bytes: the file is not rewritten.
    const ino_t inode = st.st_ino;
    EXPECT_FALSE(RestoreFromBackup(mail, backup));
    ASSERT_EQ(::stat(mail.c_str(), &st), 0);
    EXPECT_EQ(st.st_ino, inode);

    // A file without any write bit is refused, root included.
    WriteFile(backup, "older\r\n");
    ::chmod(mail.c_str(), 0444);
    EXPECT_EQ(ErrorText([&] { RestoreFromBackup(mail, backup, "shown.eml"); }),
              FormatMessage(kMsgCannotCreate, "shown.eml"));
    EXPECT_EQ(ReadFile(mail), "old\r\n");
    EXPECT_EQ(ErrorText([&] { RestoreFromBackup(mail, dir.File("none.bak")); }),
              FormatMessage(kMsgCannotOpen, dir.File("none.bak")));
    EXPECT_EQ(ListFolder(dir.Path()), "a.bak a.eml a.eml.bak link.eml secret ");
}

TEST(Restore, OnlyReadsTheBackup)
{
    struct Case {
        const char* name;
        mode_t backupMode;
        bool readLocked;  // another program reads the backup meanwhile
    } cases[] = {
        {"a backup without write bits", 0444, false},
        {"a backup another program holds a read lock on", 0644, true},
        {"both", 0444, true},
    };
    for (const std::string_view end : {"\r\n", "\n", "\r"}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name + (" " + testing::PrintToString(std::string(end))));
            TempDir dir;
            const std::string mail = dir.File("a.eml");
            const std::string backup = dir.File("a.eml.bak");
            WriteFile(mail, WithEnds("Subject: new\n\nbody\n", end));
            WriteFile(backup, WithEnds("Received: r\nSubject: old\n\nbody\n", end));
            ::chmod(backup.c_str(), c.backupMode);
            std::optional<LockHolder> reader;
            if (c.readLocked) {
                reader.emplace(backup, LockHolder::ReadLock);
                ASSERT_TRUE(reader->Locked());
            }
            EXPECT_EQ(ErrorText([&] { EXPECT_TRUE(RestoreFromBackup(mail, backup)); }), "(no error)");
            EXPECT_EQ(ReadFile(mail), WithEnds("Received: r\nSubject: old\n\nbody\n", end));
            struct stat st {};
            ASSERT_EQ(::stat(backup.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, c.backupMode);
            EXPECT_EQ(ListFolder(dir.Path()), "a.eml a.eml.bak ");
        }
    }
}

}  // namespace norvane::test
