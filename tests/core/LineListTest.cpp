#include "engine/Error.h"
#include "engine/FileIo.h"
#include "engine/LineList.h"
#include "TestFiles.h"

namespace norvane::test {

TEST(LoadLineList, SplitsAtEveryLineEndForm)
{
    struct Case {
        const char* name;
        std::string bytes;
        LineList lines;
    } cases[] = {
        {"crlf", "From: a\r\n\r\nbody\r\n", {"From: a", "", "body"}},
        {"lf", "From: a\n\nbody\n", {"From: a", "", "body"}},
        {"cr", "From: a\r\rbody\r", {"From: a", "", "body"}},
        {"lf then cr", "a\n\rb\n", {"a", "", "b"}},
        {"no last line end", "a\r\nb", {"a", "b"}},
        {"nul stays in its line", std::string("a\0b\r\nc\0", 7), {std::string("a\0b", 3), std::string("c\0", 2)}},
        {"empty", "", {}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(dir.File("m.eml"), c.bytes);
        EXPECT_EQ(LoadLineList(dir.File("m.eml")), c.lines);
    }
}

TEST(SaveLineList, EndsEveryLineWithCrLf)
{
    TempDir dir;
    const std::string path = dir.File("m.eml");
    WriteFile(path, "old contents that are longer than the new ones");
    SaveLineList(path, {"a", "", std::string("b\0c", 3)});
    EXPECT_EQ(ReadFile(path), std::string("a\r\n\r\nb\0c\r\n", 10));
    SaveLineList(path, {});
    EXPECT_EQ(ReadFile(path), "");
    EXPECT_EQ(ListFolder(dir.Path()), "m.eml ");
}

TEST(LineList, ErrorsNameTheFile)
{
    SeamGuard guard;
    TempDir dir;
    const std::string missing = dir.File("none.eml");
    try {
        LoadLineList(missing);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "ﾌｧｲﾙ " + missing + " は開けません");
    }

    const std::string path = dir.File("m.eml");
    WriteFile(path, "keep\n");
    TestSeam().failBeforeRename = [](const std::string&) { return true; };
    try {
        SaveLineList(path, {"x"});
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "ﾌｧｲﾙ " + path + " を作成できません");
    }
    EXPECT_EQ(ReadFile(path), "keep\n");
    EXPECT_EQ(ListFolder(dir.Path()), "m.eml ");
}

}  // namespace norvane::test
