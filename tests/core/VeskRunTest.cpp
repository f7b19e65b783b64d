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
        std::vector<std::pair<std::string, std::string>> written;  // (backup, mail) noted before
        std::string mail;
        std::string backup;
    } cases[] = {
        {"the extension rule", {f("a.eml")}, {}, f("a.eml"), f("a.bak")},
        {"no extension", {f("mail")}, {}, f("mail"), f("mail.bak")},
        {"a dot in the folder only", {f("d.x/mail")}, {}, f("d.x/mail"), f("d.x/mail.bak")},
        {"the mail file is a .bak file", {f("x.bak")}, {}, f("x.bak"), f("x.bak.bak")},
        {"first of two with one stem", {f("a.eml"), f("a.txt")}, {}, f("a.eml"), f("a.bak")},
        {"second of two with one stem", {f("a.eml"), f("a.txt")}, {{f("a.bak"), f("a.eml")}}, f("a.txt"),
         f("a.txt.bak")},
        {"its own earlier backup is no obstacle", {f("a.eml")}, {{f("a.bak"), f("a.eml")}}, f("a.eml"), f("a.bak")},
        {"the .bak name is another selected file", {f("a.eml"), f("a.bak")}, {}, f("a.eml"), f("a.eml.bak")},
        {"the full name is taken too", {f("a.eml"), f("a.bak"), f("a.eml.bak")}, {}, f("a.eml"),
         f("a.eml.bak.bak")},
        {"taken by a selected file and a backup",
         {f("a.eml"), f("a.bak"), f("b.eml")},
         {{f("a.eml.bak"), f("b.eml")}},
         f("a.eml"),
         f("a.eml.bak.bak")},
        {"a selected file given another way", {f("a.eml"), f("./a.bak")}, {}, f("a.eml"), f("a.eml.bak")},
        {"a mail file outside the selection", {f("b.eml")}, {}, f("a.eml"), f("a.bak")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        VeskRun run(c.selection);
        for (const auto& [backup, mail] : c.written)
            run.NoteBackup(backup, mail);
        EXPECT_EQ(run.BackupName(c.mail), c.backup);
    }
}

TEST(VeskRun, SeesThroughLinksWhenNamingBackups)
{
    TempDir dir;
    WriteFile(dir.File("m.eml"), "a\n");
    fs::create_symlink(dir.Path() / "m.eml", dir.Path() / "m.bak");
    EXPECT_EQ(VeskRun({dir.File("m.eml")}).BackupName(dir.File("m.eml")), dir.File("m.eml.bak"))
        << "the .bak name is a link to the mail file itself";

    WriteFile(dir.File("old.bak"), "left by an earlier run");
    WriteFile(dir.File("old.eml"), "a\n");
    EXPECT_EQ(VeskRun({dir.File("old.eml")}).BackupName(dir.File("old.eml")), dir.File("old.bak"));
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
