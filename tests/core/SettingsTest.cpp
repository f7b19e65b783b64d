#include "engine/Error.h"
#include "engine/FileIo.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "TestFiles.h"

#include <cstdlib>
#include <optional>

namespace norvane::test {

namespace {

constexpr WindowRect kDesigned{200, 95, 333, 292};

// The designed bounds with the stored fields in place of theirs.
WindowRect Applied(const StoredWindowRect& stored)
{
    return {stored.left.value_or(kDesigned.left), stored.top.value_or(kDesigned.top),
            stored.width.value_or(kDesigned.width), stored.height.value_or(kDesigned.height)};
}

// A fresh program state with a settings file in a temporary folder.
struct SettingsFixture : ::testing::Test {
    TempDir dir;
    WindowRect window = kDesigned;
    std::string file = dir.File("norvane.ini");

    SettingsFixture()
    {
        ResetSettings();
        SetSettingsLocation(file, "norvane");
    }
    ~SettingsFixture() override { ResetSettings(); }
};

// Sets an environment variable for one test.
class EnvGuard {
public:
    EnvGuard(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~EnvGuard()
    {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace

TEST(SettingsFileFor, NameAndSectionFromTheExecutable)
{
    struct Case {
        const char* name;
        std::string exe;
        const TextRules& rules;
        NameCase nameCase;
        std::string file;
        std::string section;
    } cases[] = {
        {"no extension", "/opt/Norvane/norvane", HostRules(), NameCase::Sensitive, "/opt/Norvane/norvane.ini",
         "norvane"},
        {"extension replaced", "/usr/bin/Tool.bin", HostRules(), NameCase::Sensitive, "/usr/bin/Tool.ini", "Tool"},
        {"dot in a folder name", "/home/ann/my.apps/norvane", HostRules(), NameCase::Sensitive,
         "/home/ann/my.apps/norvane.ini", "norvane"},
        {"case kept here", "/home/Ann/Bin/Norvane", HostRules(), NameCase::Sensitive, "/home/Ann/Bin/Norvane.ini",
         "Norvane"},
        {"no-case names lower-case the file", "C:\\Apps\\Tool.EXE", kShiftJisBackslashRules, NameCase::Insensitive,
         "c:\\apps\\tool.ini", "Tool"},
        {"drive colon separates", "C:Tool.EXE", kShiftJisBackslashRules, NameCase::Insensitive, "c:tool.ini", "Tool"},
        {"trail byte 0x5C is no separator", "C:\\\x95\x5C.d\\\x83\x5C\x83X.EXE", kShiftJisBackslashRules,
         NameCase::Insensitive, "c:\\\x95\x5C.d\\\x83\x5C\x83X.ini", "\x83\x5C\x83X"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SettingsFileFor(c.exe, c.rules, c.nameCase), c.file);
        EXPECT_EQ(SettingsSectionFor(c.exe, c.rules), c.section);
    }
}

TEST(LocateSettingsFile, BesideTheExecutableOrTheConfigFolder)
{
    TempDir dir;
    const auto exe = dir.File("bin/norvane");
    std::filesystem::create_directory(dir.File("bin"));
    const auto config = dir.File("config");
    EnvGuard xdg("XDG_CONFIG_HOME", config.c_str());
    const auto writable = [](const std::string&) { return true; };
    const auto readOnly = [](const std::string&) { return false; };

    EXPECT_EQ(LocateSettingsFile(exe, writable), dir.File("bin/norvane.ini"));
    EXPECT_FALSE(std::filesystem::exists(config));

    EXPECT_EQ(LocateSettingsFile(exe, readOnly), config + "/norvane/norvane.ini");
    EXPECT_TRUE(std::filesystem::is_directory(config + "/norvane"));

    // An existing file beside the executable wins even in a locked folder.
    WriteFile(dir.File("bin/norvane.ini"), "[norvane]\n");
    EXPECT_EQ(LocateSettingsFile(exe, readOnly), dir.File("bin/norvane.ini"));
}

TEST(LocateSettingsFile, DefaultConfigFolderUnderHome)
{
    TempDir dir;
    EnvGuard xdg("XDG_CONFIG_HOME", nullptr);
    EnvGuard home("HOME", dir.Path().c_str());
    InitSettingsLocation("/nonexistent-folder/norvane", [](const std::string&) { return false; });
    EXPECT_EQ(SettingsFile(), dir.File(".config/norvane/norvane.ini"));
    EXPECT_EQ(SettingsSection(), "norvane");
    ResetSettings();
}

TEST(LowerCaseAscii, LowersOnlyAsciiCapitals)
{
    struct Case {
        const char* name;
        std::string text;
        bool doubleByte;
        std::string expected;
    } cases[] = {
        {"ascii", "C:\\Apps\\Tool.EXE", true, "c:\\apps\\tool.exe"},
        {"trail byte in A-Z kept", "A\x83\x41Z", true, "a\x83\x41z"},
        {"trail byte after lead kept even if backslash", "\x95\x5CX", true, "\x95\x5Cx"},
        {"lead byte last", "AB\x83", true, "ab\x83"},
        {"without double-byte rules every capital", "A\x83\x41Z", false, "a\x83\x61z"},
        {"utf-8 untouched", "Ä/Mail", false, "Ä/mail"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TextRules rules;
        rules.doubleByte = c.doubleByte;
        EXPECT_EQ(LowerCaseAscii(c.text, rules), c.expected);
    }
}

TEST(ParseNumber, TableOfResults)
{
    struct Case {
        const char* text;
        int result;
        const char* error;  // nullptr: no error
    } cases[] = {
        {" 200", 200, nullptr},
        {"0x1f", 31, nullptr},
        {"$10", 16, nullptr},
        {"-8", -8, nullptr},
        {"95,333", 95, nullptr},
        {"x12", 0, nullptr},
        {"", 0, nullptr},
        {"\t\r 7 \n", 7, nullptr},
        {"+4", 4, nullptr},
        {"2147483647", 2147483647, nullptr},
        {"-2147483648", -2147483647 - 1, nullptr},
        {"$FFFFFFFF", -1, nullptr},
        {"12AB", 0, "'12AB' は整数ではありません"},
        {"12ab", 0, "'12AB' は整数ではありません"},
        {"0x", 0, "'$' は整数ではありません"},
        {"-", 0, "'-' は整数ではありません"},
        {"+,5", 0, "'+' は整数ではありません"},
        {"2147483648", 0, "'2147483648' は整数ではありません"},
        {"0x100000000", 0, "'$100000000' は整数ではありません"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        if (c.error) {
            EXPECT_EQ(ErrorText([&] { ParseNumber(c.text); }), c.error);
        } else {
            EXPECT_EQ(ParseNumber(c.text), c.result);
        }
    }
}

TEST_F(SettingsFixture, ReadWindowRectReadsLeadingFields)
{
    // After each comma only the next 80 characters are looked at.
    const std::string farComma = "1,2" + std::string(78, ' ') + ",3,4";
    const std::string nearComma = "1,2" + std::string(77, ' ') + ",3,4";
    struct Case {
        const char* value;
        int left, top, width, height;
    } cases[] = {
        {farComma.c_str(), 1, 2, 333, 292},
        {nearComma.c_str(), 1, 2, 3, 292},  // ",4" lies beyond the 80
        {"10,20,300,200", 10, 20, 300, 200},
        {"10,20", 10, 20, 333, 292},
        {"0x10,20,300,200", 16, 20, 300, 200},
        {"5,,7", 5, 0, 7, 292},
        {"5,", 5, 95, 333, 292},
        {"-4, 6 ,7,8,9", -4, 6, 7, 8},
        {"", 200, 95, 333, 292},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        WriteFile(file, std::string("[Norvane]\nXYWH=") + c.value + "\n");
        const auto stored = ReadWindowRect(file, "norvane", "");
        EXPECT_FALSE(stored.error);
        const auto w = Applied(stored);
        EXPECT_EQ(w.left, c.left);
        EXPECT_EQ(w.top, c.top);
        EXPECT_EQ(w.width, c.width);
        EXPECT_EQ(w.height, c.height);
    }
}

TEST_F(SettingsFixture, WindowRectRoundTrip)
{
    window.left = -20;
    window.top = 40;
    window.width = 500;
    window.height = 310;
    WriteWindowRect(file, "norvane", "Pos", window);
    EXPECT_EQ(ReadFile(file), "[norvane]\r\nPos=-20,40,500,310\r\n");
    const auto back = ReadWindowRect(file, "NORVANE", "pos");
    EXPECT_EQ(back.left, -20);
    EXPECT_EQ(back.height, 310);
}

TEST_F(SettingsFixture, MissingFileKeepsDefaultsAndIsReportedToTheCaller)
{
    const auto read = ReadSettings();
    EXPECT_EQ(read.status, SettingsRead::FileMissing);
    EXPECT_EQ(OptionFlags(), 0x03);
    EXPECT_EQ(IntegerSettings().OpnWait, 2000);
    EXPECT_EQ(TextSettings().Filter, "*.eml|*.eml|*.txt|*.txt|*.*|*.*");
    EXPECT_FALSE(read.windowRect.left);
    EXPECT_FALSE(read.windowRect.height);

    // An empty file is a settings file all the same.
    WriteFile(file, "");
    EXPECT_EQ(ReadSettings().status, SettingsRead::FromFile);
}

TEST_F(SettingsFixture, TooLargeFileKeepsDefaultsAndIsNeverWrittenOver)
{
    WriteFile(file, "[norvane]\r\nOpnWait=5\r\n");
    std::filesystem::resize_file(file, kSettingsFileLimit + 1);
    EXPECT_EQ(ReadSettings().status, SettingsRead::TooLarge);
    EXPECT_EQ(IntegerSettings().OpnWait, 2000);
    EXPECT_EQ(SettingsTooLargeMessage(file), "ﾌｧｲﾙ " + file + " は大きすぎるので読み込めません");
    EXPECT_THROW(WriteSettings(WindowRect{}), Error);
    EXPECT_EQ(std::filesystem::file_size(file), kSettingsFileLimit + 1);

    std::filesystem::resize_file(file, kSettingsFileLimit);
    EXPECT_EQ(ReadSettings().status, SettingsRead::FromFile);
    EXPECT_EQ(IntegerSettings().OpnWait, 5);
}

TEST_F(SettingsFixture, WriteSettingsTakesTheSettingsLock)
{
    WriteFile(file, "[norvane]\r\nPath=\r\n");
    // A lock file that cannot be had: a planted link is never followed.
    std::filesystem::create_symlink(dir.File("elsewhere"), file + ".lock");
    EXPECT_EQ(ErrorText([&] { WriteSettings(window); }), FormatMessage(kMsgCannotCreate, file));
    EXPECT_EQ(ReadFile(file), "[norvane]\r\nPath=\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("elsewhere")));
}

TEST_F(SettingsFixture, ReadsEverySetting)
{
    WriteFile(file,
              "[norvane]\r\nXYWH=1,2,3,4\r\nChkBFlg=0x3C\r\nPath=/home/Ann/Mail/\r\n"
              "Filter=*.mbox|*.mbox\r\nOpnWait=0\r\nHntPaus=100\r\nHHdPaus=0x10\r\nHStPaus=7\r\n");
    const auto read = ReadSettings();
    EXPECT_EQ(read.status, SettingsRead::FromFile);
    EXPECT_EQ(read.windowRect.left, 1);
    EXPECT_EQ(read.windowRect.height, 4);
    EXPECT_EQ(OptionFlags(), 0x3C);
    EXPECT_EQ(TextSettings().Path, "/home/Ann/Mail/");
    EXPECT_EQ(TextSettings().Filter, "*.mbox|*.mbox");
    const auto& i = IntegerSettings();
    EXPECT_EQ(i.OpnWait, 0);
    EXPECT_EQ(i.HntPaus, 100);
    EXPECT_EQ(i.HHdPaus, 16);
    EXPECT_EQ(i.HStPaus, 7);
}

TEST_F(SettingsFixture, IntegerSettingsKeepLow16BitsOrTheirDefault)
{
    struct Case {
        const char* value;
        std::uint16_t opnWait;
        std::uint8_t flags;
    } cases[] = {
        {"70000", 4464, 0x70},      // 70000 = 0x11170
        {"0x103", 0x103, 0x03},
        {"0xC1", 0xC1, 0xC1},
        {"-1", 2000, 0x03},         // negative: default kept
        {"fast", 2000, 0x03},       // no digits: default kept
        {"99999999999", 2000, 0x03},  // beyond 32 bits: default kept
        {"0xFFFFFFFF", 2000, 0x03},   // -1 as a 32-bit number: default kept
        {"2147483647", 0xFFFF, 0xFF},
        {"", 2000, 0x03},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        ResetSettings();
        SetSettingsLocation(file, "norvane");
        WriteFile(file, std::string("[norvane]\nOpnWait=") + c.value + "\nChkBFlg=" + c.value + "\n");
        EXPECT_EQ(ReadSettings().status, SettingsRead::FromFile);
        EXPECT_EQ(IntegerSettings().OpnWait, c.opnWait);
        EXPECT_EQ(OptionFlags(), c.flags);
    }
}

TEST(OptionBit, OptionNIsBitNMinusOneOfTheStoredFlags)
{
    struct Case {
        Option option;
        std::uint8_t bit;
    } cases[] = {
        {Option::BackUp, 0x01},
        {Option::Hint, 0x02},
        {Option::AllText, 0x04},
        {Option::AutoRegister, 0x08},
        {Option::RemoveAttachments, 0x10},
        {Option::RemoveTraces, 0x20},
    };
    ASSERT_EQ(std::size(kOptions), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(static_cast<int>(c.option));
        EXPECT_EQ(kOptions[i], c.option);
        EXPECT_EQ(OptionBit(c.option), c.bit);
        EXPECT_TRUE(HasOption(static_cast<std::uint8_t>(c.bit | kFreeOptionBits), c.option));
        EXPECT_FALSE(HasOption(static_cast<std::uint8_t>(~c.bit), c.option));
    }
}

TEST_F(SettingsFixture, OptionBitsSixAndSevenRoundTrip)
{
    WriteFile(file, "[norvane]\nChkBFlg=0xC1\n");
    EXPECT_EQ(ReadSettings().status, SettingsRead::FromFile);
    EXPECT_EQ(OptionFlags(), 0xC1);
    WriteSettings(window);
    EXPECT_EQ(ReadFile(file), "[norvane]\nChkBFlg=0xC1\nXYWH=200,95,333,292\nPath=\n");
}

TEST_F(SettingsFixture, MalformedGeometryComesBackWithTheRestRead)
{
    WriteFile(file, "[norvane]\nXYWH=10,2B,30,40\nChkBFlg=0x11\nPath=/m/\nHntPaus=9\n");
    const auto read = ReadSettings();
    EXPECT_EQ(read.status, SettingsRead::FromFile);
    ASSERT_TRUE(read.windowRect.error);
    EXPECT_STREQ(read.windowRect.error->what(), "'2B' は整数ではありません");
    EXPECT_EQ(read.windowRect.left, 10);
    EXPECT_FALSE(read.windowRect.top);
    EXPECT_FALSE(read.windowRect.width);
    EXPECT_EQ(OptionFlags(), 0x11);
    EXPECT_EQ(TextSettings().Path, "/m/");
    EXPECT_EQ(IntegerSettings().HntPaus, 9);
}

TEST_F(SettingsFixture, LongTextSettingIsCut)
{
    WriteFile(file, "[norvane]\nPath=" + std::string(300, 'p') + "\n");
    EXPECT_EQ(ReadSettings().status, SettingsRead::FromFile);
    EXPECT_EQ(TextSettings().Path, std::string(254, 'p'));
}

TEST_F(SettingsFixture, WriteSettingsCreatesTheFileAndKeepsOthers)
{
    SetOptionFlags(0x03);
    TextSettings().Path = "/home/Ann/Mail/";
    window.left = 12;
    WriteSettings(window);
    EXPECT_EQ(ReadFile(file), "[norvane]\r\nXYWH=12,95,333,292\r\nChkBFlg=0x03\r\nPath=/home/Ann/Mail/\r\n");

    WriteFile(file, "[Dat]\nDat1=Received\n[norvane]\nOpnWait=10\nChkBFlg=0x3\n");
    SetOptionFlags(0x0A);
    TextSettings().Path = "/x\r\n[Dat]\r\nDat1=Evil";  // a line break never reaches the file
    WriteSettings(window);
    EXPECT_EQ(ReadFile(file),
              "[Dat]\nDat1=Received\n[norvane]\nOpnWait=10\nChkBFlg=0x0A\nXYWH=12,95,333,292\nPath=\n");
}

TEST_F(SettingsFixture, WriteSettingsFailureNamesTheFile)
{
    SeamGuard guard;
    WriteFile(file, "[norvane]\nChkBFlg=0x03\n");
    TestSeam().mayWrite = [](const std::string&) { return false; };
    EXPECT_EQ(ErrorText([&] { WriteSettings(window); }), "ﾌｧｲﾙ " + file + " を作成できません");
    EXPECT_EQ(ReadFile(file), "[norvane]\nChkBFlg=0x03\n");
}

}  // namespace norvane::test
