#include "app/BusyCursor.h"
#include "app/DisplayText.h"
#include "app/Prompt.h"
#include "app/WindowGeometry.h"

#include "engine/Error.h"
#include "engine/FileIo.h"
#include "TestFiles.h"

#include <vector>

namespace norvane::test {

namespace {

struct RecordingPrompt : Prompt {
    bool answer = true;
    std::vector<ComposedMessage> shown;
    bool Show(PromptKind kind, std::string_view caption, std::string_view text) override
    {
        shown.push_back({kind, std::string(caption), std::string(text)});
        return answer;
    }
};


struct FakeScreen : CursorScreen {
    std::int16_t cursor = kDefaultCursor;
    bool hasCustom = false;
    int lookups = 0;
    std::vector<std::int16_t> sets;
    std::int16_t Cursor() const override { return cursor; }
    void SetCursor(std::int16_t c) override
    {
        cursor = c;
        sets.push_back(c);
    }
    bool LoadCustomBusyCursor() override
    {
        ++lookups;
        return hasCustom;
    }
};

struct ScreenGuard {
    explicit ScreenGuard(CursorScreen* screen)
    {
        ResetBusyCursorState();
        SetCursorScreen(screen);
    }
    ~ScreenGuard()
    {
        SetCursorScreen(nullptr);
        ResetBusyCursorState();
    }
};

// Records the bounds set on it, in order.
struct FakeWindow : WindowGeometry {
    int left = 200, top = 95, width = 333, height = 292;
    std::string sets;
    int Left() const override { return left; }
    int Top() const override { return top; }
    int Width() const override { return width; }
    int Height() const override { return height; }
    void SetLeft(int v) override { Set("L", left, v); }
    void SetTop(int v) override { Set("T", top, v); }
    void SetWidth(int v) override { Set("W", width, v); }
    void SetHeight(int v) override { Set("H", height, v); }

private:
    void Set(const char* name, int& field, int value)
    {
        field = value;
        sets += name + std::to_string(value) + " ";
    }
};

// A fresh settings state with its file in a temporary folder.
struct SettingsFile : ::testing::Test {
    TempDir dir;
    std::string file = dir.File("norvane.ini");
    FakeWindow window;

    SettingsFile()
    {
        ResetSettings();
        SetSettingsLocation(file, "norvane");
    }
    ~SettingsFile() override { ResetSettings(); }
};

}  // namespace

TEST(ApplyWindowRect, SetsTheStoredBoundsInOrderThenRaisesAMalformedOne)
{
    struct Case {
        const char* name;
        StoredWindowRect stored;
        const char* sets;
        const char* error;
    } cases[] = {
        {"all four", {1, 2, 3, 4, {}}, "L1 T2 W3 H4 ", "(no error)"},
        {"leading two", {-5, 6, {}, {}, {}}, "L-5 T6 ", "(no error)"},
        {"none", {}, "", "(no error)"},
        {"malformed third", {10, 20, {}, {}, Error("'2B' は整数ではありません")}, "L10 T20 ",
         "'2B' は整数ではありません"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeWindow window;
        EXPECT_EQ(ErrorText([&] { ApplyWindowRect(c.stored, window); }), c.error);
        EXPECT_EQ(window.sets, c.sets);
    }
}

TEST_F(SettingsFile, LoadSettingsAppliesTheBoundsAndRaisesAMalformedOneAfterTheRest)
{
    WriteFile(file, "[norvane]\nXYWH=10,2B,30,40\nChkBFlg=0x11\nPath=/m/\nHntPaus=9\n");
    ExtraOptions extra;
    EXPECT_EQ(ErrorText([&] { (void)LoadSettings(window, extra); }), "'2B' は整数ではありません");
    EXPECT_EQ(window.sets, "L10 ");
    EXPECT_EQ(window.top, 95);
    EXPECT_EQ(OptionFlags(), 0x11);
    EXPECT_EQ(TextSettings().Path, "/m/");
    EXPECT_EQ(IntegerSettings().HntPaus, 9);

    FakeWindow untouched;
    std::remove(file.c_str());
    EXPECT_EQ(LoadSettings(untouched, extra), SettingsRead::FileMissing);
    EXPECT_EQ(untouched.sets, "");
}

TEST_F(SettingsFile, SaveSettingsStoresTheBoundsOfTheWindow)
{
    window.left = 12;
    window.height = -3;
    SaveSettings(window, ExtraOptions{});
    EXPECT_EQ(ReadFile(file), "[norvane]\r\nXYWH=12,95,333,-3\r\nChkBFlg=0x00\r\nPath=\r\n"
                              "ProtectSigned=1\r\nAnyCase=1\r\nEveryMessage=0\r\nKeepLineEnds=0\r\n"
                              "SaveAttachments=0\r\nRemovalNote=1\r\nAttachmentFolder=\r\n");
    FakeWindow back;
    ExtraOptions extra;
    EXPECT_EQ(LoadSettings(back, extra), SettingsRead::FromFile);
    EXPECT_EQ(back.sets, "L12 T95 W333 H-3 ");
}

TEST(NotifyUser, ComposesEveryCodeExactly)
{
    struct Case {
        MessageCode code;
        const char* text;
        PromptKind kind;
        const char* expected;
    } cases[] = {
        {MessageCode::AskRegister, "X-Mailer", PromptKind::Question, "X-Mailer\r\r登録して宜しいですか？"},
        {MessageCode::AskDelete, "Received", PromptKind::Question, "Received\r\r削除して宜しいですか？"},
        {MessageCode::AskDelete, "", PromptKind::Question, "\r\r削除して宜しいですか？"},
        {MessageCode::AskAnalyzeAfterVesk, "never shown", PromptKind::Question, "ヴェスクしました！\r\r確認しますか？"},
        {MessageCode::AlreadyRegistered, "Subject", PromptKind::Notice, "\"Subject\"\r\r既に、登録されています！"},
        {MessageCode::NotRegistered, "Subject", PromptKind::Notice, "\"Subject\"\r\r登録されていません！"},
        {MessageCode::SettingsFileMissing, "/opt/Norvane/norvane.ini", PromptKind::Notice,
         "\"/opt/Norvane/norvane.ini\"\r\r初期化ﾌｧｲﾙが、有りません！"},
        {MessageCode::Registered, "a\"b", PromptKind::Notice, "\"a\"b\"\r\r登録しました！"},
        // Outside the catalogue: a notice without a fixed line.
        {static_cast<MessageCode>(0), "x", PromptKind::Notice, "\"x\"\r\r！"},
        {static_cast<MessageCode>(-4), "x", PromptKind::Question, "x\r\r？"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.code));
        const auto message = ComposeMessage(c.code, c.text);
        EXPECT_EQ(message.kind, c.kind);
        EXPECT_EQ(message.caption, "確認");
        EXPECT_EQ(message.text, c.expected);
    }
}

TEST(NotifyUser, AnswersThroughThePrompt)
{
    RecordingPrompt prompt;
    PromptScope scope(&prompt);
    prompt.answer = true;
    EXPECT_TRUE(NotifyUser(MessageCode::AskAnalyzeAfterVesk, "x"));
    EXPECT_FALSE(NotifyUser(MessageCode::Registered, "Key"));  // a notice is never "Yes"
    prompt.answer = false;
    EXPECT_FALSE(NotifyUser(MessageCode::AskDelete, ""));
    ASSERT_EQ(prompt.shown.size(), 3u);
    EXPECT_EQ(prompt.shown[1].kind, PromptKind::Notice);
    EXPECT_EQ(prompt.shown[1].text, "\"Key\"\r\r登録しました！");
    EXPECT_EQ(prompt.shown[2].kind, PromptKind::Question);
}

TEST(NotifyUser, WithoutPromptAnswersNo)
{
    SetPrompt(nullptr);
    EXPECT_FALSE(NotifyUser(MessageCode::AskAnalyzeAfterVesk, ""));
}

TEST(SetBusyCursor, SavesOnceAndRestoresOnFirstOff)
{
    FakeScreen screen;
    ScreenGuard guard(&screen);
    screen.cursor = 5;  // some cursor in force before the work
    SetBusyCursor(true);
    EXPECT_EQ(screen.cursor, kHourGlassCursor);
    EXPECT_EQ(BusyCursorId(), kHourGlassCursor);
    SetBusyCursor(true);  // second "on" keeps the saved cursor
    EXPECT_EQ(CursorBeforeBusy(), 5);
    SetBusyCursor(false);
    EXPECT_EQ(screen.cursor, 5);
    SetBusyCursor(false);  // no nesting count: stays restored
    EXPECT_EQ(screen.cursor, 5);
    SetBusyCursor(true);
    SetBusyCursor(false);
    EXPECT_EQ(screen.lookups, 1);  // the custom cursor is looked for once per run
}

TEST(SetBusyCursor, OffBeforeAnyOnSetsTheDefaultCursor)
{
    FakeScreen screen;
    ScreenGuard guard(&screen);
    screen.cursor = 7;
    SetBusyCursor(false);
    EXPECT_EQ(screen.cursor, kDefaultCursor);
    EXPECT_EQ(BusyCursorId(), kBusyCursorUnresolved);
}

TEST(SetBusyCursor, CustomCursorWhenOneLoads)
{
    FakeScreen screen;
    ScreenGuard guard(&screen);
    screen.hasCustom = true;
    {
        BusyCursorGuard busy;
        EXPECT_EQ(screen.cursor, kCustomBusyCursor);
    }
    EXPECT_EQ(screen.cursor, kDefaultCursor);
    screen.hasCustom = false;  // its outcome stays for the run
    SetBusyCursor(true);
    EXPECT_EQ(screen.cursor, kCustomBusyCursor);
    SetBusyCursor(false);
}

TEST(SetBusyCursor, GuardRestoresWhenWorkThrows)
{
    FakeScreen screen;
    ScreenGuard guard(&screen);
    try {
        BusyCursorGuard busy;
        throw 1;
    } catch (int) {
    }
    EXPECT_EQ(screen.sets, (std::vector<std::int16_t>{kHourGlassCursor, kDefaultCursor}));
}

TEST(SetCountSuffix, ReplacesFromTheFirstColonBlank)
{
    struct Case {
        const char* text;
        long long count;
        const char* expected;
    } cases[] = {
        {"FileName", 3, "FileName: 3"},
        {"FileName: 3", 2, "FileName: 2"},
        {"", 0, ": 0"},
        {"A: B: C", 5, "A: 5"},
        {"Key:x", -1, "Key:x: -1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SetCountSuffix(c.text, c.count), c.expected);
    }
}

}  // namespace norvane::test
