#include "settings/Messages.h"

#include <gtest/gtest.h>

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

struct PromptGuard {
    explicit PromptGuard(Prompt* prompt) { SetPrompt(prompt); }
    ~PromptGuard() { SetPrompt(nullptr); }
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

}  // namespace

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
    PromptGuard guard(&prompt);
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
