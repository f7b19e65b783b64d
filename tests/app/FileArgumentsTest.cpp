#include "app/FileArguments.h"
#include "engine/FileIo.h"

#include "TestFiles.h"

#include <sys/stat.h>

namespace norvane::test {

namespace {

namespace fs = std::filesystem;
using Kind = ExpandWarning::Kind;

struct Warned {
    Kind kind;
    std::string path;
    bool operator==(const Warned&) const = default;
};

void PrintTo(const Warned& warned, std::ostream* os)
{
    *os << static_cast<int>(warned.kind) << ":" << warned.path;
}

// A folder of mail files, folders, links and a temporary file; names in the
// tables are relative to it unless they start with "/".
class Expand : public ::testing::Test {
protected:
    Expand()
    {
        for (const char* name : {"a.eml", "b.eml", "c.txt", "sub/z.eml", "x/y/keep", "x/a.eml", "tmp/m.eml",
                                 "tmp/.m.eml.nvtmp-Ab12Cd"}) {
            fs::create_directories(fs::path(dir.File(name)).parent_path());
            WriteFile(dir.File(name), name);
        }
        fs::create_directory(dir.File("d.eml"));
        fs::create_symlink(dir.File("a.eml"), dir.File("link.mail"));
        fs::create_directory_symlink(dir.File("x/y"), dir.File("ylink"));
    }

    std::string Full(const std::string& name) const { return name.starts_with("/") ? name : dir.File(name); }

    std::vector<std::string> Run(const std::vector<std::string>& names, const ExpandRules& rules,
                                 std::vector<Warned>& warnings) const
    {
        return ExpandFiles(names, dir.Path().string(), rules,
                           [&](const ExpandWarning& w) { warnings.push_back({w.kind, w.path}); });
    }

    TempDir dir;
};

TEST_F(Expand, NamesPatternsAndWarnings)
{
    struct Case {
        const char* name;
        ExpandRules rules;
        std::vector<std::string> names;
        std::vector<std::string> files;
        std::vector<Warned> warnings;  // paths relative like the names
    } cases[] = {
        {"one file by four names", kToolArguments, {"a.eml", "./a.eml", "sub/../a.eml", dir.File("a.eml")},
         {"a.eml"}, {}},
        {"a link and its target: the first name stays", kToolArguments, {"link.mail", "a.eml"}, {"link.mail"}, {}},
        {"\"..\" after a link is not taken out", kToolArguments, {"ylink/../a.eml", "a.eml", "x/a.eml"},
         {"ylink/../a.eml", "a.eml"}, {}},
        {"pattern: sorted, folders warned of", kToolArguments, {"*.eml"}, {"a.eml", "b.eml"},
         {{Kind::Folder, "d.eml"}}},
        {"patterns joined by \";\", each warned of alone", kToolArguments, {"*.txt;sub/*.eml;none*.x"},
         {"c.txt", "sub/z.eml"}, {{Kind::NoMatch, "none*.x"}}},
        {"an empty pattern ends the list", kToolArguments, {"c.txt;;*.eml"}, {"c.txt"}, {}},
        {"nothing behind the names", kToolArguments, {"missing.eml", "d.eml", "/dev/null", ""}, {},
         {{Kind::Missing, "missing.eml"}, {Kind::Folder, "d.eml"}, {Kind::NotRegular, "/dev/null"},
          {Kind::Missing, ""}}},
        {"temporary files never listed", kToolArguments, {"tmp/*", "tmp/.m.eml.nvtmp-Ab12Cd"}, {"tmp/m.eml"},
         {{Kind::Temporary, "tmp/.m.eml.nvtmp-Ab12Cd"}}},  // a pattern never even meets it
        {"window: a pattern from the fourth byte on", kWindowArguments, {"*.eml", "/*"}, {"a.eml", "b.eml"},
         {{Kind::Folder, "d.eml"}, {Kind::Missing, "/*"}}},
        {"picked: no patterns, missing names kept", kPickedPaths, {"gone.eml", "a.eml", "link.mail", "d.eml", "*.eml"},
         {"gone.eml", "a.eml", "*.eml"}, {{Kind::Folder, "d.eml"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Warned> warnings;
        const auto files = Run(c.names, c.rules, warnings);
        std::vector<std::string> expected;
        for (const auto& name : c.files)
            expected.push_back(Full(name));
        std::vector<Warned> expectedWarnings;
        for (const auto& w : c.warnings)
            expectedWarnings.push_back({w.kind, w.path.empty() ? "" : Full(w.path)});
        EXPECT_EQ(files, expected);
        EXPECT_EQ(warnings, expectedWarnings);
    }
}

TEST_F(Expand, RelativePatternsAreTakenInTheGivenFolderNotTheProcesssOne)
{
    const auto previous = fs::current_path();
    fs::current_path(dir.Path() / "sub");
    std::vector<Warned> warnings;
    const auto files = Run({"*.txt;b*.eml"}, kWindowArguments, warnings);
    fs::current_path(previous);
    EXPECT_EQ(files, (std::vector<std::string>{dir.File("c.txt"), dir.File("b.eml")}));
    EXPECT_TRUE(warnings.empty());
}

TEST_F(Expand, WithoutAWarningReceiverNothingIsMissed)
{
    EXPECT_EQ(ExpandFiles({"missing", "*.eml"}, dir.Path().string(), kToolArguments),
              (std::vector<std::string>{dir.File("a.eml"), dir.File("b.eml")}));
}

}  // namespace
}  // namespace norvane::test
