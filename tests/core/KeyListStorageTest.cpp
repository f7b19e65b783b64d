#include "engine/Error.h"
#include "engine/FileIo.h"
#include "settings/IniFile.h"
#include "settings/KeyListStorage.h"
#include "TestFiles.h"

#include <sys/stat.h>

namespace norvane::test {

TEST(LoadKeyList, ReadsNumberedEntriesUntilAGap)
{
    struct Case {
        const char* name;
        std::string file;
        int expectedCount;
        KeyList expected;
    } cases[] = {
        {"contiguous", "[Dat]\r\nDat1=Received\r\nDat2=;X-Mailer\r\n", 2, {"Received", ";X-Mailer"}},
        {"gap at Dat2", "[Dat]\nDat1=Received\nDat3=Subject\n", 1, {"Received"}},
        {"empty value stops", "[Dat]\nDat1=A\nDat2=\nDat3=B\n", 1, {"A"}},
        {"order in file does not matter", "[dat]\nDAT2=B\ndat1=A\n", 2, {"A", "B"}},
        {"no section", "[norvane]\nPath=x\n", 0, {}},
        {"lone CR line ends", "[Dat]\rDat1=A\rDat2=B", 2, {"A", "B"}},
        {"the first of a repeated name wins", "[Dat]\nDat1=A\nDAT1=X\nDat2=B\n", 2, {"A", "B"}},
        {"only the first section of that name", "[Dat]\nDat1=A\n[Other]\nDat2=X\n[DAT]\nDat2=B\n", 1, {"A"}},
        {"blanks trimmed, quotes taken off", "[Dat]\nDat1 = \" A \"\nDat2=\"\"\nDat3=C\n", 1, {" A "}},
    };
    TempDir dir;
    const auto path = dir.File("n.ini");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(path, c.file);
        KeyList list;
        EXPECT_EQ(LoadKeyList(path, list), c.expectedCount);
        EXPECT_EQ(list, c.expected);
    }
}

TEST(LoadKeyList, MissingFileLeavesListUntouched)
{
    TempDir dir;
    KeyList list{"Keep"};
    EXPECT_EQ(LoadKeyList(dir.File("none.ini"), list), -1);
    EXPECT_EQ(list, KeyList{"Keep"});
    std::vector<std::string> other;
    EXPECT_EQ(ReadListSection(dir.File("none.ini"), "Dat", "Dat", other), 0);
}

TEST(LoadKeyList, AppendsAndCutsLongEntries)
{
    TempDir dir;
    const auto path = dir.File("n.ini");
    WriteFile(path, "[Dat]\nDat1=" + std::string(300, 'K') + "\nDat2=B\n");
    KeyList list{"Already"};
    EXPECT_EQ(LoadKeyList(path, list), 2);
    EXPECT_EQ(list, (KeyList{"Already", std::string(254, 'K'), "B"}));
}

TEST(SaveKeyList, RenumbersOverEmptyEntriesAndDropsOldKeys)
{
    TempDir dir;
    const auto path = dir.File("n.ini");
    WriteFile(path,
              "[norvane]\r\nXYWH=200,95,333,292\r\n; hand note\r\n"
              "[Dat]\r\nDat1=a\r\nDat2=b\r\nDat7=old\r\n"
              "[Other]\r\nx=1\r\n");
    EXPECT_EQ(SaveKeyList(path, {"Received", "", "Bad\r\nDat9=x", ";X-Mailer"}), 2);
    EXPECT_EQ(ReadFile(path),
              "[norvane]\r\nXYWH=200,95,333,292\r\n; hand note\r\n"
              "[Other]\r\nx=1\r\n"
              "[Dat]\r\nDat1=Received\r\nDat2=;X-Mailer\r\n");
    KeyList back;
    EXPECT_EQ(LoadKeyList(path, back), 2);
    EXPECT_EQ(back, (KeyList{"Received", ";X-Mailer"}));
}

TEST(SaveKeyList, EmptyListRemovesTheSection)
{
    TempDir dir;
    const auto path = dir.File("n.ini");
    WriteFile(path, "[Dat]\nDat1=a\n[norvane]\nPath=\n");
    EXPECT_EQ(SaveKeyList(path, {}), 0);
    EXPECT_EQ(ReadFile(path), "[norvane]\nPath=\n");
    // Nothing to save and no file: no file is made.
    EXPECT_EQ(SaveKeyList(dir.File("new.ini"), {}), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("new.ini")));
}

TEST(SaveKeyList, OneAtomicRewriteForTheWholeList)
{
    SeamGuard guard;
    TempDir dir;
    const auto path = dir.File("n.ini");
    WriteFile(path, "[Dat]\nDat1=a\n");
    int renames = 0;
    TestSeam().failBeforeRename = [&](const std::string&) {
        ++renames;
        return false;
    };
    KeyList many;
    for (int i = 0; i < 50; ++i)
        many.RegisterTicked("X-Key-" + std::to_string(i));
    EXPECT_EQ(SaveKeyList(path, many), 50);
    EXPECT_EQ(renames, 1);
    // Unchanged list: no rewrite at all.
    EXPECT_EQ(SaveKeyList(path, many), 50);
    EXPECT_EQ(renames, 1);
}

TEST(SaveKeyList, FailureKeepsTheFileAndNamesIt)
{
    SeamGuard guard;
    TempDir dir;
    const auto path = dir.File("n.ini");
    WriteFile(path, "[Dat]\nDat1=a\n");
    TestSeam().failBeforeRename = [](const std::string&) { return true; };
    try {
        SaveKeyList(path, {"b"});
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), FormatMessage(kMsgCannotCreate, path));
    }
    EXPECT_EQ(ReadFile(path), "[Dat]\nDat1=a\n");
    EXPECT_EQ(ListFolder(dir.Path()), "n.ini ");
}

TEST(SaveKeyList, FollowsASymbolicLinkAndKeepsPermissions)
{
    TempDir dir;
    const auto target = dir.File("real.ini");
    WriteFile(target, "[Dat]\nDat1=a\n");
    ::chmod(target.c_str(), 0640);
    std::filesystem::create_symlink(target, dir.File("link.ini"));
    SaveKeyList(dir.File("link.ini"), {"b"});
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.ini")));
    EXPECT_EQ(ReadFile(target), "[Dat]\nDat1=b\n");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(LoadKeyList, ManyKeysRoundTrip)
{
    TempDir dir;
    const auto path = dir.File("n.ini");
    KeyList many;
    for (int i = 0; i < 50000; ++i)
        many.AppendStored((i % 3 ? "X-Key-" : ";X-Key-") + std::to_string(i));
    EXPECT_EQ(SaveKeyList(path, many), 50000);
    KeyList back;
    EXPECT_EQ(LoadKeyList(path, back), 50000);
    EXPECT_EQ(back, many);
    EXPECT_EQ(back.Find("x-key-49999"), 49999);
}

}  // namespace norvane::test
