#include "engine/VeskRun.h"
#include "TestFiles.h"

#include <filesystem>

namespace norvane::test {

namespace fs = std::filesystem;

TEST(VeskRun, KeepsEachFileOnceAtItsFirstPlace)
{
    TempDir dir;
    WriteFile(dir.File("a.eml"), "a\n");
    WriteFile(dir.File("b.eml"), "b\n");
    fs::create_directory(dir.Path() / "sub");
    fs::create_symlink(dir.Path() / "a.eml", dir.Path() / "link.eml");
    fs::create_directory_symlink(dir.Path() / "sub", dir.Path() / "sublink");
    WriteFile(dir.File("sub/c.eml"), "c\n");
    const std::string a = dir.File("a.eml");
    const std::string b = dir.File("b.eml");
    const std::string relativeA = fs::relative(dir.Path() / "a.eml").string();

    struct Case {
        const char* name;
        std::vector<std::string> selection;
        std::vector<std::string> files;
    } cases[] = {
        {"distinct files", {a, b}, {a, b}},
        {"the same path twice", {a, b, a}, {a, b}},
        {"a dot folder", {b, dir.File("./b.eml"), a}, {b, a}},
        {"up and down again", {dir.File("sub/../a.eml"), a}, {dir.File("sub/../a.eml")}},
        {"relative and absolute", {relativeA, a}, {relativeA}},
        {"a symbolic link to a file", {dir.File("link.eml"), b, a}, {dir.File("link.eml"), b}},
        {"a linked folder", {dir.File("sublink/c.eml"), dir.File("sub/c.eml")}, {dir.File("sublink/c.eml")}},
        {"a missing file is kept once", {dir.File("none"), dir.File("./none")}, {dir.File("none")}},
        {"nothing", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(VeskRun(c.selection).Files(), c.files);
    }
}

TEST(VeskRun, NamesBackupsThatDestroyNothingOfTheRun)
{
    TempDir dir;
    const auto f = [&](const char* name) { return dir.File(name); };
    struct Case {
        const char* name;
        std::vector<std::string> selection;
        std::vector<std::string> existing;  // files on disk
        std::vector<std::string> written;   // backups the run wrote before
        std::string mail;
        std::string backup;
    } cases[] = {
        {"the extension rule", {f("a.eml")}, {}, {}, f("a.eml"), f("a.bak")},
        {"no extension", {f("mail")}, {}, {}, f("mail"), f("mail.bak")},
        {"no extension, .bak taken", {f("mail")}, {"mail.bak"}, {}, f("mail"), f("mail.bak.2")},
        {"a dot in the folder only", {f("d.x/mail")}, {}, {}, f("d.x/mail"), f("d.x/mail.bak")},
        {"the mail file is a .bak file", {f("x.bak")}, {"x.bak"}, {}, f("x.bak"), f("x.bak.bak")},
        {"first of two with one stem", {f("a.eml"), f("a.txt")}, {}, {}, f("a.eml"), f("a.bak")},
        {"second of two with one stem", {f("a.eml"), f("a.txt")}, {}, {f("a.bak")}, f("a.txt"), f("a.txt.bak")},
        {"an older backup is kept", {f("a.eml")}, {"a.bak"}, {}, f("a.eml"), f("a.eml.bak")},
        {"two older backups are kept", {f("a.eml")}, {"a.bak", "a.eml.bak"}, {}, f("a.eml"), f("a.eml.bak.2")},
        {"numbered on past a gap", {f("a.eml")}, {"a.bak", "a.eml.bak", "a.eml.bak.2", "a.eml.bak.4"}, {},
         f("a.eml"), f("a.eml.bak.3")},
        {"its own backup written earlier in the run", {f("a.eml")}, {}, {f("a.bak")}, f("a.eml"),
         f("a.eml.bak")},
        {"the .bak name is another selected file", {f("a.eml"), f("a.bak")}, {}, {}, f("a.eml"), f("a.eml.bak")},
        {"the full name is taken too", {f("a.eml"), f("a.bak"), f("a.eml.bak")}, {}, {}, f("a.eml"),
         f("a.eml.bak.2")},
        {"taken by a selected file and a backup", {f("a.eml"), f("a.bak"), f("b.eml")}, {}, {f("a.eml.bak")},
         f("a.eml"), f("a.eml.bak.2")},
        {"a selected file given another way", {f("a.eml"), f("./a.bak")}, {}, {}, f("a.eml"), f("a.eml.bak")},
        {"a mail file outside the selection", {f("b.eml")}, {}, {}, f("a.eml"), f("a.bak")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir.Path());
        fs::create_directories(dir.Path() / "d.x");
        for (const auto& name : c.existing)
            WriteFile(dir.File(name), "x");
        VeskRun run(c.selection);
        for (const auto& backup : c.written)
            run.NoteBackup(backup);
        EXPECT_EQ(run.BackupName(c.mail), c.backup);
    }
}

TEST(VeskRun, PassesOverEveryExistingNameWithoutFollowingIt)
{
    TempDir dir;
    WriteFile(dir.File("m.eml"), "a\n");
    fs::create_symlink(dir.Path() / "m.eml", dir.Path() / "m.bak");
    EXPECT_EQ(VeskRun({dir.File("m.eml")}).BackupName(dir.File("m.eml")), dir.File("m.eml.bak"))
        << "the .bak name is a link to the mail file itself";
    fs::create_symlink(dir.Path() / "nowhere", dir.Path() / "m.eml.bak");
    EXPECT_EQ(VeskRun({dir.File("m.eml")}).BackupName(dir.File("m.eml")), dir.File("m.eml.bak.2"))
        << "a dangling link exists too";
    fs::create_directory(dir.Path() / "m.eml.bak.2");
    EXPECT_EQ(VeskRun({dir.File("m.eml")}).BackupName(dir.File("m.eml")), dir.File("m.eml.bak.3"));
}

TEST(VeskRun, ResolvesTheSelectionOnceAndNamesBackupsBesideTheTarget)
{
    TempDir dir;
    fs::create_directory(dir.Path() / "real");
    WriteFile(dir.File("real/m.txt"), "a\n");
    fs::create_symlink(dir.Path() / "real" / "m.txt", dir.Path() / "link.eml");
    const VeskRun run({dir.File("link.eml")});
    EXPECT_EQ(run.Target(dir.File("link.eml")), dir.File("real/m.txt"));
    EXPECT_EQ(run.BackupName(dir.File("link.eml")), dir.File("real/m.bak"));
    // The link turned elsewhere later: the run still names the first target.
    fs::remove(dir.Path() / "link.eml");
    fs::create_symlink(dir.Path() / "elsewhere", dir.Path() / "link.eml");
    EXPECT_EQ(run.Target(dir.File("link.eml")), dir.File("real/m.txt"));
    EXPECT_EQ(run.Target(dir.File("none.eml")), dir.File("none.eml"));
}

TEST(VeskRun, PutsMaildirBackupsInTheirOwnFolder)
{
    TempDir dir;
    for (const char* folder : {"md/cur", "md/new", "md/tmp", "half/cur", "half/new", "plain/cur"})
        fs::create_directories(dir.Path() / folder);
    struct Case {
        const char* mail;
        const char* backup;
    } cases[] = {
        {"md/cur/1700000000.M1P2.host:2,S", "md/norvane-backup/1700000000.M1P2.bak"},
        {"md/new/1700000001.M3P4.host", "md/norvane-backup/1700000001.M3P4.bak"},
        {"md/tmp/1700000002.M5P6.host", "md/tmp/1700000002.M5P6.bak"},
        {"half/cur/a.eml", "half/cur/a.bak"},  // no tmp: not a Maildir
        {"plain/cur/a.eml", "plain/cur/a.bak"},
        {"md/a.eml", "md/a.bak"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mail);
        WriteFile(dir.File(c.mail), "a\n");
        EXPECT_EQ(VeskRun({dir.File(c.mail)}).BackupName(dir.File(c.mail)), dir.File(c.backup));
    }
    fs::create_directory(dir.Path() / "md" / "norvane-backup");
    WriteFile(dir.File("md/norvane-backup/1700000000.M1P2.bak"), "older");
    const std::string mail = dir.File("md/cur/1700000000.M1P2.host:2,S");
    EXPECT_EQ(VeskRun({mail}).BackupName(mail), dir.File("md/norvane-backup/1700000000.M1P2.host:2,S.bak"));
}

TEST(VeskRun, FollowsTheGivenPathRules)
{
    struct Case {
        const char* mail;
        const char* backup;
    } cases[] = {
        {"C:\\mail\\a.eml", "C:\\mail\\a.bak"},
        {"C:\\m.d\\mail", "C:\\m.d\\mail.bak"},
        {"C:mail.txt", "C:mail.bak"},
        {"C:\\d\\\x95\x5cmail", "C:\\d\\\x95\x5cmail.bak"},  // the trail byte is no separator
        {"C:\\d\\\x95\x2e", "C:\\d\\\x95\x2e.bak"},          // nor a dot
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mail);
        EXPECT_EQ(VeskRun({c.mail}, kShiftJisBackslashRules).BackupName(c.mail), c.backup);
    }
}

}  // namespace norvane::test
