#include "ChildProcess.h"
#include "TestFiles.h"
#include "engine/Restore.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

namespace norvane::test {

namespace {

namespace fs = std::filesystem;

// Runs the tool in a work folder beside a settings file, and reads its JSON
// records with python's parser.
class ToolRun : public ::testing::Test {
protected:
    TempDir dir;
    fs::path work = dir.Path() / "work";
    std::string settings = (dir.Path() / "settings.ini").string();

    ToolRun()
    {
        fs::create_directories(work);
        WriteFile(settings, "[norvane]\r\nChkBFlg=0x00\r\n[Dat]\r\nDat1=Received\r\nDat2=;Subject\r\n");
    }

    std::string Work(std::string_view name) const { return (work / name).string(); }

    RunResult Run(const std::vector<std::string>& args) const
    {
        return RunProgram(NORVANE_CLI_PATH, args, work, dir.Path(), "en");
    }

    RunResult Tool(const std::string& command, std::vector<std::string> args) const
    {
        args.insert(args.begin(), {command, "--settings=" + settings});
        return Run(args);
    }

    // Each JSON line parsed, its members written back as name=value, strings
    // in double quotes, one line per record; "parse error" when a line is not
    // one JSON object.
    std::string Parsed(const std::string& lines) const
    {
        const std::string input = dir.File("records.json");
        const std::string script = dir.File("parse.py");
        WriteFile(input, lines);
        WriteFile(script,
                  "import json, sys\n"
                  "sys.stdout.reconfigure(encoding='utf-8')\n"
                  "for line in open(sys.argv[1], encoding='utf-8').read().split('\\n')[:-1]:\n"
                  "    try:\n"
                  "        o = json.loads(line)\n"
                  "        assert isinstance(o, dict)\n"
                  "    except Exception:\n"
                  "        print('parse error')\n"
                  "        continue\n"
                  "    print('\\t'.join(k + '=' + ('\"' + v + '\"' if isinstance(v, str) else repr(v))\n"
                  "                    for k, v in o.items()))\n");
        std::FILE* pipe = ::popen(("python3 '" + script + "' '" + input + "'").c_str(), "r");
        std::string parsed;
        char buffer[4096];
        for (std::size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            parsed.append(buffer, n);
        if (pipe)
            ::pclose(pipe);
        return parsed;
    }
};

const std::string kMail =
    "Received: from relay.example.com\r\n"
    "\tby mail.example.org\r\n"
    "Subject: List\r\n"
    "\r\n"
    "Hi.\r\n";
const std::string kStripped = "Subject: List\r\n\r\nHi.\r\n";
const std::string kSigned =
    "Received: r\r\nContent-Type: multipart/signed; boundary=\"s\"\r\n\r\n--s\r\n\r\nbody\r\n--s--\r\n";

std::string Size(const std::string& path)
{
    return std::to_string(fs::file_size(path));
}

}  // namespace

TEST_F(ToolRun, RestorePutsTheNewestOldestOrGivenBackupBack)
{
    const std::string lfMail = "Received: r\nSubject: s\nX-Mailer: m\n\nbody\n";
    WriteFile(Work("a.eml"), lfMail);
    ASSERT_EQ(Tool("vesk", {"--backup", "a.eml"}).status, 0);
    const std::string once = ReadFile(Work("a.eml"));
    WriteFile(settings, "[norvane]\r\nChkBFlg=0x00\r\n[Dat]\r\nDat1=Received\r\nDat2=X-Mailer\r\n");
    ASSERT_EQ(Tool("vesk", {"--backup", "a.eml"}).status, 0);
    const std::string twice = ReadFile(Work("a.eml"));
    ASSERT_NE(once, twice);

    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string backup;
        std::string content;
    } cases[] = {
        {"newest", {"a.eml"}, "a.eml.bak", once},
        {"oldest", {"--oldest", "a.eml"}, "a.bak", lfMail},
        {"given", {"--from=a.eml.bak", "a.eml"}, "a.eml.bak", once},
        {"given, two words", {"--from", Work("a.bak"), "a.eml"}, "a.bak", lfMail},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(Work("a.eml"), twice);
        const auto r = Tool("restore", c.args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        const std::string backup = c.args[0].starts_with("--from=") ? c.backup : Work(c.backup);
        EXPECT_EQ(r.out, Work("a.eml") + "\t" + backup + "\n");
        EXPECT_EQ(ReadFile(Work("a.eml")), c.content);
    }
    EXPECT_EQ(ReadFile(Work("a.bak")), lfMail);
    EXPECT_EQ(ReadFile(Work("a.eml.bak")), once);

    const auto list = Tool("restore", {"--list", "a.eml"});
    EXPECT_EQ(list.status, 0);
    std::string expected;
    for (const char* name : {"a.bak", "a.eml.bak"}) {
        struct stat st {};
        ASSERT_EQ(::stat(Work(name).c_str(), &st), 0);
        expected += Size(Work(name)) + "\t" + LocalTimeText(st.st_mtim) + "\t" + Work(name) + "\n";
    }
    EXPECT_EQ(list.out, expected);
}

TEST_F(ToolRun, RestoreRefusesAPlainNameAnotherFileShares)
{
    WriteFile(Work("a.eml"), kStripped);
    WriteFile(Work("a.txt"), kStripped);
    WriteFile(Work("a.bak"), kMail);
    const auto r = Tool("restore", {"a.eml", "a.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "norvane-cli: " + Work("a.eml") + ": Backup " + Work("a.bak") +
                         " may belong to another file\n"
                         "norvane-cli: " + Work("a.eml") + ": " + Work("a.bak") + " may be the backup of " +
                         Work("a.txt") + "; name the one to take with --from=BACKUP\n");
    EXPECT_EQ(ReadFile(Work("a.eml")), kStripped);

    const auto given = Tool("restore", {"--from=a.bak", "a.eml"});
    EXPECT_EQ(given.status, 0) << given.err;
    EXPECT_EQ(ReadFile(Work("a.eml")), kMail);

    // A refusal wins over a missing FILE.
    WriteFile(Work("a.eml"), kStripped);
    const auto none = Tool("restore", {"b.eml", "a.eml"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err.substr(0, none.err.find('\n')), "norvane-cli: no such file " + Work("b.eml"));
}

TEST_F(ToolRun, RestoreOfAMissingFileBesideAGoodOneEndsWithThree)
{
    WriteFile(Work("a.eml"), kStripped);
    WriteFile(Work("a.bak"), kMail);
    const auto r = Tool("restore", {"missing.eml", "a.eml"});
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_NE(r.err.find("missing.eml"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, Work("a.eml") + "\t" + Work("a.bak") + "\n");
    EXPECT_EQ(ReadFile(Work("a.eml")), kMail);
}

TEST_F(ToolRun, RestoreRecordsInJson)
{
    WriteFile(Work("a.eml"), kStripped);
    WriteFile(Work("a.eml.bak"), kMail);
    WriteFile(Work("same.eml"), kMail);
    WriteFile(Work("same.eml.bak"), kMail);
    WriteFile(Work("none.eml"), kMail);
    WriteFile(Work("later.eml"), kMail);
    const auto r = Tool("restore", {"--json", "a.eml", "same.eml", "none.eml", "later.eml"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Parsed(r.out),
              "path=\"" + Work("a.eml") + "\"\tbackup=\"" + Work("a.eml.bak") + "\"\toutcome=\"processed\"\n" +
                  "path=\"" + Work("same.eml") + "\"\tbackup=\"" + Work("same.eml.bak") +
                  "\"\toutcome=\"unchanged\"\n" + "path=\"" + Work("none.eml") +
                  "\"\tbackup=\"\"\toutcome=\"refused\"\tmessage=\"File " + Work("none.eml") + " has no backup\"\n" +
                  "path=\"" + Work("later.eml") + "\"\tbackup=\"\"\toutcome=\"skipped\"\n");
    EXPECT_EQ(ReadFile(Work("a.eml")), kMail);
}

TEST_F(ToolRun, VeskJsonCarriesTheTextOutputsNumbers)
{
    const std::vector<std::pair<std::string, std::string>> files = {
        {"a.eml", kMail}, {"done.eml", kStripped}, {"signed.eml", kSigned}, {"lf.eml", "Received: x\nA: b\n\nc\n"}};
    std::vector<std::string> names;
    for (const auto& [name, text] : files) {
        WriteFile(Work(name), text);
        WriteFile(Work("j-" + name), text);
        names.push_back(name);
    }
    const auto text = Tool("vesk", names);
    ASSERT_EQ(text.status, 0) << text.err;
    std::vector<std::string> jsonNames;
    for (const auto& name : names)
        jsonNames.push_back("j-" + name);
    jsonNames.insert(jsonNames.begin(), "--json");
    const auto json = Tool("vesk", jsonNames);
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.err, "norvane-cli: " + Work("j-signed.eml") + ": signed or encrypted mail kept whole\n");

    // The text output's counts, per file, with the sizes before and after.
    const char* outcomes[] = {"processed", "unchanged", "protected", "processed"};
    std::string expected;
    std::size_t at = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::size_t end = text.out.find('\n', at);
        const std::string line = text.out.substr(at, end - at);
        at = end + 1;
        const std::size_t tab = line.find('\t');
        const std::size_t tab2 = line.find('\t', tab + 1);
        EXPECT_EQ(line.substr(tab2 + 1), Work(files[i].first));
        expected += "path=\"" + Work("j-" + files[i].first) + "\"\tattachment_lines=" + line.substr(0, tab) +
                    "\theader_lines=" + line.substr(tab + 1, tab2 - tab - 1) +
                    "\tbytes_before=" + std::to_string(files[i].second.size()) +
                    "\tbytes_after=" + Size(Work(files[i].first)) + "\toutcome=\"" + outcomes[i] + "\"\tsaved=[]\n";
    }
    EXPECT_EQ(Parsed(json.out), expected);
    for (const auto& [name, content] : files)
        EXPECT_EQ(ReadFile(Work("j-" + name)), ReadFile(Work(name)));
}

TEST_F(ToolRun, JsonGivesAPathThatIsNotUtf8WithItsBytes)
{
    const std::string name = "b\xe9\nz.eml";  // Latin-1 and a line feed
    const std::string mail = "X-Key: 1\r\nSubject: s\r\n\r\nbody\r\n";
    WriteFile(Work(name), mail);
    const std::string size = std::to_string(mail.size());
    const auto v = Tool("vesk", {"--json", name});
    EXPECT_EQ(v.status, 0) << v.err;
    const std::string hex = [&] {
        std::string h;
        char two[3];
        for (const char c : Work(name)) {
            std::snprintf(two, sizeof two, "%02x", static_cast<unsigned char>(c));
            h += two;
        }
        return h;
    }();
    EXPECT_EQ(Parsed(v.out), "path=\"" + Work("b\xef\xbf\xbd\nz.eml") + "\"\tpath_hex=\"" + hex +
                                 "\"\tattachment_lines=0\theader_lines=0\tbytes_before=" + size +
                                 "\tbytes_after=" + size + "\toutcome=\"unchanged\"\tsaved=[]\n");

    const auto a = Tool("analyze", {"--json", name});
    EXPECT_EQ(a.status, 0) << a.err;
    const auto text = Tool("analyze", {name});
    // Keys are ASCII: their records carry the text output's fields.
    EXPECT_EQ(text.out, "Subject\t1\t\nX-Key\t1\tNew\n");
    EXPECT_EQ(Parsed(a.out), "key=\"Subject\"\tcount=1\tmark=\"\"\nkey=\"X-Key\"\tcount=1\tmark=\"New\"\n");
}

TEST_F(ToolRun, VeskJsonNamesTheErrorAndTheFilesNotReached)
{
    WriteFile(Work("a.eml"), kMail);
    WriteFile(Work("r.eml"), kMail);
    WriteFile(Work("c.eml"), kMail);
    ::chmod(Work("r.eml").c_str(), 0444);
    const auto r = Tool("vesk", {"--json", "a.eml", "r.eml", "c.eml"});
    EXPECT_EQ(r.status, 1);
    const std::string size = std::to_string(kMail.size());
    EXPECT_EQ(Parsed(r.out),
              "path=\"" + Work("a.eml") + "\"\tattachment_lines=0\theader_lines=2\tbytes_before=" + size +
                  "\tbytes_after=" + std::to_string(kStripped.size()) + "\toutcome=\"processed\"\tsaved=[]\n" +
                  "path=\"" + Work("r.eml") +
                  "\"\tattachment_lines=0\theader_lines=0\tbytes_before=0\tbytes_after=0\toutcome=\"error\""
                  "\tmessage=\"Cannot create file " + Work("r.eml") + "\"\tsaved=[]\n" +
                  "path=\"" + Work("c.eml") +
                  "\"\tattachment_lines=0\theader_lines=0\tbytes_before=0\tbytes_after=0\toutcome=\"skipped\""
                  "\tsaved=[]\n");
    EXPECT_EQ(ReadFile(Work("c.eml")), kMail);
}

TEST_F(ToolRun, SummaryTotalsTheRunOnStandardError)
{
    WriteFile(Work("a.eml"), kMail);
    WriteFile(Work("b.eml"), kMail);
    WriteFile(Work("done.eml"), kStripped);
    const auto r = Tool("vesk", {"--summary", "a.eml", "b.eml", "done.eml"});
    EXPECT_EQ(r.status, 0);
    const std::size_t before = 2 * kMail.size() + kStripped.size();
    const std::size_t after = 3 * kStripped.size();
    const std::string prefix = "norvane-cli: 3 files, 1 unchanged, " + std::to_string(before) + " bytes before, " +
                               std::to_string(after) + " after, " + std::to_string(before - after) + " saved, ";
    EXPECT_TRUE(r.err.starts_with(prefix)) << r.err;
    EXPECT_TRUE(r.err.ends_with(" seconds\n")) << r.err;
    EXPECT_EQ(r.out, "0\t2\t" + Work("a.eml") + "\n0\t2\t" + Work("b.eml") + "\n0\t0\t" + Work("done.eml") + "\n");
}

TEST_F(ToolRun, RestoreAndJsonUsageErrors)
{
    WriteFile(Work("a.eml"), kMail);
    WriteFile(Work("b.eml"), kMail);
    const std::vector<std::string> cases[] = {
        {"restore"},
        {"restore", "--oldest", "--list", "a.eml"},
        {"restore", "--from=a.bak", "--oldest", "a.eml"},
        {"restore", "--from=", "a.eml"},
        {"restore", "a.eml", "--from"},
        {"restore", "--from=a.bak", "a.eml", "b.eml"},
        {"restore", "--from=a.bak", "*.eml"},
        {"vesk", "--oldest", "a.eml"},
        {"analyze", "--list", "a.eml"},
        {"vesk", "--json", "--null", "a.eml"},
        {"vesk", "--json=1", "a.eml"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        const auto r = Run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("Usage: norvane-cli"), std::string::npos) << r.err;
    }
    EXPECT_EQ(ReadFile(Work("a.eml")), kMail);
}

}  // namespace norvane::test
