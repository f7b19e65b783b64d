#include "ui/FileSelection.h"

#include "../core/TestFiles.h"

namespace norvane::test {
namespace {

TEST(ConvertFilter, TurnsStoredPairsIntoQtEntries)
{
    struct Case {
        const char* stored;
        const char* qt;
    };
    const Case cases[] = {
        {"*.eml|*.eml|*.txt|*.txt|*.*|*.*", "*.eml (*.eml);;*.txt (*.txt);;*.* (*)"},
        {"Mail|*.eml; *.msg|All|*.*", "Mail (*.eml *.msg);;All (*)"},
        {"Odd|", "* (*)"},
        {"", "* (*)"},
        {"A|*.a|Lonely", "A (*.a)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(ConvertFilter(c.stored), c.qt);
    }
}

TEST(ExpandArguments, FilesPatternsAndDuplicates)
{
    TempDir dir;
    const std::string cwd = dir.Path().string();
    WriteFile(dir.File("a.eml"), "x");
    WriteFile(dir.File("b.eml"), "x");
    WriteFile(dir.File("c.txt"), "x");
    WriteFile(dir.File("we*ird.eml"), "x");
    std::filesystem::create_directory(dir.Path() / "d.eml");
    std::filesystem::create_symlink(dir.File("a.eml"), dir.File("link.mail"));
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {{"*.eml"}, {"a.eml", "b.eml", "we*ird.eml"}},
        {{"b.eml", "./b.eml", dir.File("b.eml")}, {"b.eml"}},
        {{"we*ird.eml"}, {"we*ird.eml"}},
        {{"link.mail", "a.eml"}, {"link.mail"}},
        {{"missing.eml", "d.eml", "*.none"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front());
        std::vector<std::string> expected;
        for (const auto& name : c.files)
            expected.push_back(dir.File(name));
        EXPECT_EQ(ExpandArguments(c.args, cwd), expected);
    }
}

TEST(ExpandArguments, PatternAfterSemicolonWithoutFolderMatchesInTheCurrentFolder)
{
    TempDir dir;
    WriteFile(dir.File("b.eml"), "x");
    WriteFile(dir.File("c.txt"), "x");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    const auto files = ExpandArguments({"*.txt;b*.eml"}, dir.Path().string());
    std::filesystem::current_path(previous);
    EXPECT_EQ(files, (std::vector<std::string>{dir.File("c.txt"), dir.File("b.eml")}));
}

}  // namespace
}  // namespace norvane::test
