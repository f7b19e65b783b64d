#include "app/ExtraOptions.h"
#include "app/VeskJob.h"
#include "app/WindowGeometry.h"
#include "settings/IniFile.h"
#include "engine/VeskFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace norvane::test {

namespace {

constexpr std::uint8_t kAllTextBit = OptionBit(Option::AllText);

std::string Shown(const ExtraOptions& extra)
{
    static const char* const kScopes[] = {"first", "messages", "all"};
    return std::string("signed=") + (extra.protectSigned ? "1" : "0") + " case=" + (extra.anyCase ? "1" : "0") +
           " scope=" + kScopes[static_cast<int>(extra.scope)] + " ends=" + (extra.keepLineEnds ? "1" : "0");
}

struct Bounds : WindowGeometry {
    int Left() const override { return 1; }
    int Top() const override { return 2; }
    int Width() const override { return 300; }
    int Height() const override { return 200; }
    void SetLeft(int) override {}
    void SetTop(int) override {}
    void SetWidth(int) override {}
    void SetHeight(int) override {}
};

struct ExtraSettingsFile : ::testing::Test {
    TempDir dir;
    std::string file = dir.File("norvane.ini");
    Bounds window;

    ExtraSettingsFile()
    {
        ResetSettings();
        SetSettingsLocation(file, "norvane");
    }
    ~ExtraSettingsFile() override { ResetSettings(); }

    ExtraOptions Load()
    {
        ExtraOptions extra;
        extra.keepLineEnds = !extra.keepLineEnds;  // proves the load sets every field
        (void)LoadSettings(window, extra);
        return extra;
    }
};

}  // namespace

TEST(ExtraOptionsFrom, StoredKeysOrTheirDefaults)
{
    struct Case {
        const char* name;
        SettingsValues values;
        std::uint8_t flags;
        const char* expected;
    } cases[] = {
        {"no keys: defaults", {}, 0, "signed=1 case=1 scope=first ends=0"},
        {"all-text bit alone", {}, kAllTextBit, "signed=1 case=1 scope=all ends=0"},
        {"every key off", {{"ProtectSigned", "0"}, {"AnyCase", "0"}, {"EveryMessage", "0"}, {"KeepLineEnds", "0"}},
         0, "signed=0 case=0 scope=first ends=0"},
        {"every key on", {{"ProtectSigned", "1"}, {"AnyCase", "1"}, {"EveryMessage", "1"}, {"KeepLineEnds", "1"}},
         0, "signed=1 case=1 scope=messages ends=1"},
        {"EveryMessage wins over the all-text bit", {{"EveryMessage", "1"}}, kAllTextBit,
         "signed=1 case=1 scope=messages ends=0"},
        {"EveryMessage 0 keeps the all-text bit", {{"EveryMessage", "0"}}, kAllTextBit,
         "signed=1 case=1 scope=all ends=0"},
        {"any number but 0 is on", {{"KeepLineEnds", "0x10"}, {"AnyCase", "-1"}}, 0,
         "signed=1 case=1 scope=first ends=1"},
        {"no number: default", {{"ProtectSigned", "off"}, {"KeepLineEnds", ""}}, 0,
         "signed=1 case=1 scope=first ends=0"},
        {"keys in any case", {{"protectsigned", "0"}, {"KEEPLINEENDS", "1"}}, 0,
         "signed=0 case=1 scope=first ends=1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Shown(ExtraOptionsFrom(c.values, c.flags)), c.expected);
    }
}

TEST(ExtraOptionsFrom, EveryCombinationReadsBackAsWritten)
{
    for (int bits = 0; bits < 8; ++bits) {
        for (const HeaderScope scope : {HeaderScope::kFirst, HeaderScope::kMessages, HeaderScope::kAll}) {
            const ExtraOptions extra{.protectSigned = (bits & 1) != 0,
                                     .anyCase = (bits & 2) != 0,
                                     .scope = scope,
                                     .keepLineEnds = (bits & 4) != 0};
            SCOPED_TRACE(Shown(extra));
            SettingsValues values;
            for (const auto& [key, value] : ExtraOptionEntries(extra))
                values.emplace(key, value);
            EXPECT_EQ(values.size(), 7u);
            // Whatever the bit was before, the stored bits carry the scope.
            for (const std::uint8_t before : {std::uint8_t{0}, kAllTextBit}) {
                const auto flags = StoredOptionFlags(before | 0x11, extra);
                EXPECT_EQ(flags & ~kAllTextBit, 0x11);
                EXPECT_EQ(Shown(ExtraOptionsFrom(values, flags)), Shown(extra));
            }
        }
    }
}

TEST(ExtraSwitches, EveryMessageOffLeavesTheAllScope)
{
    const auto* every = FindExtraSwitch("EveryMessage");
    ASSERT_NE(every, nullptr);
    struct Case {
        HeaderScope before;
        bool on;
        HeaderScope after;
    } cases[] = {
        {HeaderScope::kFirst, true, HeaderScope::kMessages}, {HeaderScope::kAll, true, HeaderScope::kMessages},
        {HeaderScope::kMessages, false, HeaderScope::kFirst}, {HeaderScope::kAll, false, HeaderScope::kAll},
        {HeaderScope::kFirst, false, HeaderScope::kFirst},
    };
    for (const auto& c : cases) {
        ExtraOptions extra;
        extra.scope = c.before;
        SCOPED_TRACE(Shown(extra) + (c.on ? " on" : " off"));
        every->set(extra, c.on);
        EXPECT_EQ(extra.scope, c.after);
        EXPECT_EQ(every->get(extra), c.after == HeaderScope::kMessages);
    }
}

TEST(ApplyExtraOptions, TheScopeSetsAllTextAndTheOtherOptionsStay)
{
    for (const HeaderScope scope : {HeaderScope::kFirst, HeaderScope::kMessages, HeaderScope::kAll}) {
        ExtraOptions extra;
        extra.scope = scope;
        SCOPED_TRACE(Shown(extra));
        VeskOptions options;
        options.backup = options.removeAttachments = options.removeTraces = options.autoRegister = true;
        options.allText = scope != HeaderScope::kAll;
        ApplyExtraOptions(extra, options);
        EXPECT_EQ(options.allText, scope == HeaderScope::kAll);
        EXPECT_TRUE(options.backup && options.removeAttachments && options.removeTraces && options.autoRegister);
    }
}

TEST_F(ExtraSettingsFile, AFileWithoutTheKeysOrNoFileGivesTheDefaults)
{
    EXPECT_EQ(Shown(Load()), Shown(ExtraOptions{}));
    WriteFile(file, "[norvane]\r\nChkBFlg=0x04\r\n[other]\r\nAnyCase=0\r\n");
    EXPECT_EQ(Shown(Load()), "signed=1 case=1 scope=all ends=0");
}

TEST_F(ExtraSettingsFile, WrittenAtCloseAndReadAtStart)
{
    WriteFile(file, "[norvane]\r\nChkBFlg=0x05\r\nAnyCase=1\r\nOpnWait=7\r\n");
    EXPECT_EQ(Shown(Load()), "signed=1 case=1 scope=all ends=0");
    const ExtraOptions changed{
        .protectSigned = false, .anyCase = false, .scope = HeaderScope::kMessages, .keepLineEnds = true};
    SaveSettings(window, changed);
    // The all-text bit is written as 0 beside EveryMessage=1; the other keys stay.
    EXPECT_EQ(ReadFile(file),
              "[norvane]\r\nChkBFlg=0x01\r\nAnyCase=0\r\nOpnWait=7\r\nXYWH=1,2,300,200\r\nPath=\r\n"
              "ProtectSigned=0\r\nEveryMessage=1\r\nKeepLineEnds=1\r\nSaveAttachments=0\r\nRemovalNote=1\r\n"
              "AttachmentFolder=\r\n");
    ResetSettings();
    SetSettingsLocation(file, "norvane");
    EXPECT_EQ(Shown(Load()), Shown(changed));
    EXPECT_EQ(OptionFlags(), 0x01);
}

// Saving, the note and the folder as shown by the tests below.
std::string ShownSaving(const ExtraOptions& extra)
{
    return std::string("save=") + (extra.saveAttachments ? "1" : "0") + " note=" + (extra.removalNote ? "1" : "0") +
           " folder=[" + extra.attachmentFolder + "]";
}

TEST(ExtraOptionsFrom, SavingNoteAndFolderFromTheirKeys)
{
    struct Case {
        const char* name;
        SettingsValues values;
        const char* expected;
    } cases[] = {
        {"no keys: defaults", {}, "save=0 note=1 folder=[]"},
        {"every key", {{"SaveAttachments", "1"}, {"RemovalNote", "0"}, {"AttachmentFolder", "/m/saved"}},
         "save=1 note=0 folder=[/m/saved]"},
        {"keys in any case", {{"saveattachments", "2"}, {"REMOVALNOTE", "0x0"}, {"attachmentfolder", "d"}},
         "save=1 note=0 folder=[d]"},
        {"no number: default", {{"SaveAttachments", "yes"}, {"RemovalNote", ""}}, "save=0 note=1 folder=[]"},
        {"the folder is no number", {{"AttachmentFolder", "0"}}, "save=0 note=1 folder=[0]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ExtraOptions extra = ExtraOptionsFrom(c.values, 0);
        EXPECT_EQ(ShownSaving(extra), c.expected);
        EXPECT_EQ(Shown(extra), "signed=1 case=1 scope=first ends=0");
    }
}

TEST(ApplyExtraOptions, SavingAndTheNoteTakeEffectOnlyWithRemoval)
{
    struct Case {
        const char* name;
        std::uint8_t flags;
        bool save;
        bool note;
    } cases[] = {
        {"no removal", 0, false, false},
        {"traces without removal", OptionBit(Option::RemoveTraces), false, false},
        {"removal, traces kept", OptionBit(Option::RemoveAttachments), true, true},
        {"removal and traces", OptionBit(Option::RemoveAttachments) | OptionBit(Option::RemoveTraces), true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool on : {false, true}) {
            ExtraOptions extra;
            extra.saveAttachments = on;
            extra.removalNote = on;
            extra.attachmentFolder = "out";
            VeskOptions options = VeskOptionsFrom(c.flags);
            ApplyExtraOptions(extra, options);
            EXPECT_EQ(options.saveAttachments, on && c.save);
            EXPECT_EQ(options.removalNote, on && c.note);
            EXPECT_EQ(options.attachmentFolder, "out");
        }
    }
}

TEST_F(ExtraSettingsFile, TheAttachmentFolderComesBackByteForByte)
{
    const std::string cases[] = {
        "",
        "/home/ann/Mail/saved",
        "relative/dir",
        "  blanks at both ends  ",
        "\t\ttabs",
        "a=b;c=d",
        ";starts like a comment",
        "\"quoted at both ends\"",
        "\"",
        "[not a section]",
        "\xE6\xB7\xBB\xE4\xBB\x98/\x82\xA0 sjis \xFF\xFE",
        std::string(300, 'x') + "/\xE3\x81\x82",  // longer than a text setting is read
    };
    for (const auto& folder : cases) {
        SCOPED_TRACE(folder);
        ExtraOptions extra;
        extra.saveAttachments = true;
        extra.attachmentFolder = folder;
        SaveSettings(window, extra);
        ResetSettings();
        SetSettingsLocation(file, "norvane");
        const ExtraOptions back = Load();
        EXPECT_EQ(back.attachmentFolder, folder);
        EXPECT_TRUE(back.saveAttachments);
    }
}

TEST_F(ExtraSettingsFile, ATooLargeFileGivesTheDefaults)
{
    WriteFile(file, "[norvane]\r\nAnyCase=0\r\n" + std::string(kSettingsFileLimit, ';'));
    EXPECT_EQ(Shown(Load()), Shown(ExtraOptions{}));
}

}  // namespace norvane::test
