#include "engine/Error.h"
#include "engine/FileIo.h"
#include "settings/IniFile.h"
#include "TestFiles.h"

#include <filesystem>

namespace norvane::test {

TEST(IniFileRead, FindsValuesUnderTheAccessRules)
{
    const std::string text =
        "; a comment=not a key\r\n"
        "top=outside any section\r\n"
        "[Main]\r\n"
        "Plain=abc\r\n"
        "  Padded  =   two words  \r\n"
        "Quoted=\" keep blanks \"\r\n"
        "OneQuote=\"abc\r\n"
        "Kept=;Received\r\n"
        "Empty=\r\n"
        "NoEquals\r\n"
        "Twice=first\r\n"
        "twice=second\r\n"
        ";Hidden=commented out\r\n"
        "\t[ Other ]\r\n"
        "Plain=other section\r\n";
    const auto file = IniFile::Parse(text);
    struct Case {
        const char* section;
        const char* key;
        const char* expected;  // nullptr: absent
    } cases[] = {
        {"Main", "Plain", "abc"},
        {"MAIN", "plain", "abc"},
        {"main", "Padded", "two words"},
        {"Main", "Quoted", " keep blanks "},
        {"Main", "OneQuote", "\"abc"},
        {"Main", "Kept", ";Received"},
        {"Main", "Empty", ""},
        {"Main", "NoEquals", nullptr},
        {"Main", "Twice", "first"},
        {"Main", "Hidden", nullptr},
        {"Main", ";Hidden", nullptr},
        {"Other", "Plain", "other section"},
        {"Main", "top", nullptr},
        {"Missing", "Plain", nullptr},
        {"Main", "Missing", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        const auto value = file.Find(c.section, c.key);
        if (c.expected == nullptr) {
            EXPECT_FALSE(value.has_value());
            EXPECT_EQ(file.GetString(c.section, c.key, "dflt"), "dflt");
        } else {
            ASSERT_TRUE(value.has_value());
            EXPECT_EQ(*value, c.expected);
        }
    }
}

TEST(IniFileRead, MissingOrUnreadableFileGivesDefaults)
{
    TempDir dir;
    EXPECT_EQ(ReadProfileString(dir.File("none.ini"), "S", "K", "dflt"), "dflt");
    EXPECT_EQ(ReadProfileInt(dir.File("none.ini"), "S", "K", 7), 7);
    // A folder in the file's place cannot be read.
    std::filesystem::create_directory(dir.File("folder.ini"));
    EXPECT_EQ(ReadProfileString(dir.File("folder.ini"), "S", "K", "dflt"), "dflt");
}

TEST(IniFileRead, ByteOrderMarkDoesNotHideFirstSection)
{
    const auto file = IniFile::Parse("\xEF\xBB\xBF[S]\nK=v\n");
    EXPECT_EQ(file.GetString("S", "K", ""), "v");
}

TEST(IniFileRead, LineEndForms)
{
    for (const std::string end : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(testing::PrintToString(end));
        const auto file = IniFile::Parse("[S]" + end + "A=1" + end + "B=2");
        EXPECT_EQ(file.GetString("S", "A", ""), "1");
        EXPECT_EQ(file.GetString("S", "B", ""), "2");
    }
}

TEST(LeadingInteger, TakesTheLeadingNumber)
{
    struct Case {
        const char* value;
        std::optional<std::int64_t> expected;
    } cases[] = {
        {"2000", 2000},
        {"  42 ms", 42},
        {"0x3F", 63},
        {"0Xc1", 193},
        {"0x", 0},
        {"0xZ", 0},
        {"12AB", 12},
        {"-1", -1},
        {"+5", 5},
        {"70000", 70000},
        {"4294967296", 4294967296LL},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"99999999999999999999", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(LeadingInteger(c.value), c.expected);
    }
}

TEST(IniFileRead, IntegerReads)
{
    const auto file = IniFile::Parse("[S]\nHex=0x10\nDec=95,333\nText=none\nBig=4294967297\n");
    EXPECT_EQ(file.GetInt("S", "Hex", 0), 16);
    EXPECT_EQ(file.GetInt("S", "Dec", 0), 95);
    EXPECT_EQ(file.GetInt("S", "Text", 9), 9);
    EXPECT_EQ(file.GetInt("S", "Absent", 9), 9);
    EXPECT_EQ(file.GetInt("S", "Big", 0), 1);
}

TEST(CutIniValue, CutsAt254BytesWithoutSplittingACharacter)
{
    const std::string a253(253, 'a');
    const std::string kana = "\xE3\x81\x82";  // three bytes
    struct Case {
        const char* name;
        std::string value;
        std::size_t expectedSize;
    } cases[] = {
        {"short", "abc", 3},
        {"exactly 254", std::string(254, 'x'), 254},
        {"300 ascii", std::string(300, 'x'), 254},
        {"character across the limit", a253 + kana + "zz", 253},
        {"character ends at the limit", std::string(251, 'a') + kana + "zz", 254},
        {"two-byte across the limit", a253 + "\xC3\xA9" + "z", 253},
        {"stray continuation bytes are cut plainly", std::string(300, '\x85'), 254},
    };
    TextRules utf8;
    utf8.doubleByte = false;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("utf-8 rules: ") + c.name);
        EXPECT_EQ(CutIniValue(c.value, utf8).size(), c.expectedSize);
    }
    // Shift-JIS: a lead byte at 254 would lose its trail byte.
    const std::string sjis = std::string(253, 'a') + "\x82\xA0" + "z";
    EXPECT_EQ(CutIniValue(sjis, kShiftJisBackslashRules).size(), 253u);
    EXPECT_EQ(CutIniValue("\x82\xA0" + sjis, kShiftJisBackslashRules).size(), 254u);

    const auto file = IniFile::Parse("[S]\nK=" + std::string(300, 'v') + "\n");
    EXPECT_EQ(file.GetString("S", "K", ""), std::string(254, 'v'));
    EXPECT_EQ(file.Find("S", "K")->size(), 300u);
}

TEST(IniFileWrite, KeepsUntouchedLinesByteForByte)
{
    struct Case {
        const char* name;
        std::string before;
        std::string section;
        std::string key;
        std::string value;
        std::string after;
    } cases[] = {
        {"replace keeps line end and others", "; note\n[S]\r\nA = old \r\nB=2\n", "s", "a", "new",
         "; note\n[S]\r\na=new\r\nB=2\n"},
        {"new key after last entry, before blank lines", "[S]\nA=1\n\n[T]\nX=1\n", "S", "B", "2",
         "[S]\nA=1\nB=2\n\n[T]\nX=1\n"},
        {"new section at the end", "[S]\r\nA=1\r\n", "T", "K", "v", "[S]\r\nA=1\r\n[T]\r\nK=v\r\n"},
        {"last line without line end", "[S]\nA=1", "S", "B", "2", "[S]\nA=1\nB=2\n"},
        {"new file uses CR LF", "", "S", "K", "v", "[S]\r\nK=v\r\n"},
        {"value with line break written empty", "[S]\nA=1\n", "S", "A", "x\r\n[Evil]\r\nY=1", "[S]\nA=\n"},
        {"blanks at the ends are quoted", "", "S", "P", " dir ", "[S]\r\nP=\" dir \"\r\n"},
        {"quotes at both ends are quoted", "", "S", "P", "\"q\"", "[S]\r\nP=\"\"q\"\"\r\n"},
        {"value beginning with ';'", "", "Dat", "Dat1", ";Received", "[Dat]\r\nDat1=;Received\r\n"},
        {"comment lookalike is not the key", "[S]\n;A=1\n", "S", "A", "2", "[S]\n;A=1\nA=2\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto file = IniFile::Parse(c.before);
        file.SetString(c.section, c.key, c.value);
        EXPECT_EQ(file.Text(), c.after);
        if (c.value.find_first_of("\r\n") == std::string::npos) {
            EXPECT_EQ(IniFile::Parse(file.Text()).Find(c.section, c.key), c.value);
        }
    }
}

TEST(IniFileWrite, DeleteSectionRemovesHeaderAndKeysOnly)
{
    auto file = IniFile::Parse("[A]\nx=1\n[Dat]\nDat1=a\n; c\n[B]\ny=2\n[dat]\nDat9=z\n");
    file.DeleteSection("DAT");
    EXPECT_EQ(file.Text(), "[A]\nx=1\n[B]\ny=2\n");
    EXPECT_FALSE(file.HasSection("Dat"));
}

TEST(IniFileWrite, ReplaceSectionMovesItToTheEnd)
{
    auto file = IniFile::Parse("[Dat]\nDat1=old\n[S]\nA=1\n");
    file.ReplaceSection("Dat", {{"Dat1", "K1"}, {"Dat2", ";K2"}});
    EXPECT_EQ(file.Text(), "[S]\nA=1\n[Dat]\nDat1=K1\nDat2=;K2\n");
    file.ReplaceSection("Dat", {});
    EXPECT_EQ(file.Text(), "[S]\nA=1\n");
}

TEST(WriteProfileString, CreatesFileAndKeepsTheRest)
{
    TempDir dir;
    const auto path = dir.File("n.ini");
    WriteProfileString(path, "norvane", "Path", "/home/Ann/Mail/");
    WriteProfileString(path, "Dat", "Dat1", "Received");
    WriteProfileString(path, "NORVANE", "ChkBFlg", "0x03");
    EXPECT_EQ(ReadFile(path), "[norvane]\r\nPath=/home/Ann/Mail/\r\nChkBFlg=0x03\r\n[Dat]\r\nDat1=Received\r\n");
    DeleteProfileSection(path, "norvane");
    EXPECT_EQ(ReadFile(path), "[Dat]\r\nDat1=Received\r\n");
    DeleteProfileSection(dir.File("absent.ini"), "Dat");
    EXPECT_FALSE(std::filesystem::exists(dir.File("absent.ini")));
}

TEST(WriteProfileString, FailedWriteLeavesFileIntact)
{
    SeamGuard guard;
    TempDir dir;
    const auto path = dir.File("n.ini");
    WriteFile(path, "[S]\nA=1\n");
    TestSeam().failBeforeRename = [](const std::string&) { return true; };
    try {
        WriteProfileString(path, "S", "A", "2");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), FormatMessage(kMsgCannotCreate, path));
    }
    EXPECT_EQ(ReadFile(path), "[S]\nA=1\n");
    EXPECT_EQ(ListFolder(dir.Path()), "n.ini ");
}

TEST(WriteProfileString, RefusesFileItCannotReadOrMayNotWrite)
{
    SeamGuard guard;
    TempDir dir;
    // Unreadable: a folder in the file's place must not be replaced by one key.
    std::filesystem::create_directory(dir.File("folder.ini"));
    EXPECT_THROW(WriteProfileString(dir.File("folder.ini"), "S", "A", "1"), Error);
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.ini")));

    const auto path = dir.File("ro.ini");
    WriteFile(path, "[S]\nA=1\n");
    TestSeam().mayWrite = [](const std::string&) { return false; };
    EXPECT_THROW(WriteProfileString(path, "S", "A", "2"), Error);
    EXPECT_EQ(ReadFile(path), "[S]\nA=1\n");
}

}  // namespace norvane::test
