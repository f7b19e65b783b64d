#include "TestFiles.h"
#include "engine/Error.h"
#include "engine/MessageText.h"
#include "engine/Restore.h"
#include "settings/Language.h"
#include "app/Prompt.h"
#include "settings/Settings.h"

#include <cerrno>
#include <map>
#include <set>

namespace norvane::test {

namespace {

using Environment = std::map<std::string, std::string>;

EnvironmentLookup LookupIn(const Environment& environment)
{
    return [&environment](const char* name) -> std::optional<std::string> {
        const auto found = environment.find(name);
        if (found == environment.end())
            return std::nullopt;
        return found->second;
    };
}

// The core's messages in one language for a test's length.
class MessageLanguageScope {
public:
    explicit MessageLanguageScope(Language language) { SetMessageLanguage(language); }
    ~MessageLanguageScope() { SetMessageLanguage(Language::Japanese); }
    MessageLanguageScope(const MessageLanguageScope&) = delete;
    MessageLanguageScope& operator=(const MessageLanguageScope&) = delete;
};

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::size_t Count(std::string_view text, std::string_view part)
{
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

}  // namespace

TEST(ChooseLanguage, AutoFollowsTheFirstLocaleVariableSet)
{
    struct Case {
        const char* name;
        Environment environment;
        Language expected;
    };
    const Case cases[] = {
        {"nothing set", {}, Language::Japanese},
        {"LANG Japanese", {{"LANG", "ja_JP.UTF-8"}}, Language::Japanese},
        {"LANG English", {{"LANG", "en_US.UTF-8"}}, Language::English},
        {"LANG German", {{"LANG", "de_DE.UTF-8"}}, Language::English},
        {"LANG with a modifier", {{"LANG", "ja@cjknarrow"}}, Language::Japanese},
        {"LANG C", {{"LANG", "C"}}, Language::Japanese},
        {"LANG C.UTF-8", {{"LANG", "C.UTF-8"}}, Language::Japanese},
        {"LANG POSIX", {{"LANG", "POSIX"}}, Language::Japanese},
        {"a locale that is not installed", {{"LANG", "xx_YY.UTF-8"}}, Language::English},
        {"LC_MESSAGES before LANG", {{"LANG", "ja_JP.UTF-8"}, {"LC_MESSAGES", "en_GB.UTF-8"}}, Language::English},
        {"LC_ALL before LC_MESSAGES", {{"LC_MESSAGES", "en_GB"}, {"LC_ALL", "ja_JP.eucJP"}}, Language::Japanese},
        {"LANGUAGE before LC_ALL", {{"LC_ALL", "ja_JP.UTF-8"}, {"LANGUAGE", "en_US:ja"}}, Language::English},
        {"LANGUAGE before LANG C", {{"LANG", "C"}, {"LANGUAGE", "fr"}}, Language::English},
        {"only LANGUAGE's first entry", {{"LANGUAGE", "ja:en"}, {"LANG", "en_US"}}, Language::Japanese},
        {"an empty entry of LANGUAGE is skipped", {{"LANGUAGE", ":de:ja"}}, Language::English},
        {"an empty LANGUAGE is not set", {{"LANGUAGE", ""}, {"LANG", "en_US.UTF-8"}}, Language::English},
        {"an empty LC_ALL is not set", {{"LC_ALL", ""}, {"LANG", "ja_JP"}}, Language::Japanese},
        {"LC_CTYPE does not count", {{"LC_CTYPE", "en_US.UTF-8"}}, Language::Japanese},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ChooseLanguage(LanguageChoice::Auto, LookupIn(c.environment)), c.expected);
    }
}

TEST(ChooseLanguage, AStoredLanguageWinsOverTheEnvironment)
{
    const Environment english{{"LANG", "en_US.UTF-8"}};
    const Environment japanese{{"LANGUAGE", "ja"}};
    EXPECT_EQ(ChooseLanguage(LanguageChoice::Japanese, LookupIn(english)), Language::Japanese);
    EXPECT_EQ(ChooseLanguage(LanguageChoice::English, LookupIn(japanese)), Language::English);
    EXPECT_EQ(ChooseLanguage(LanguageChoice::English, LookupIn({})), Language::English);
}

TEST(ReadLanguageChoice, FromTheProgramsSection)
{
    struct Case {
        const char* name;
        std::string text;  // the file's content; empty: no file
        LanguageChoice expected;
    };
    const Case cases[] = {
        {"no file", "", LanguageChoice::Auto},
        {"no key", "[norvane]\r\nChkBFlg=3\r\n", LanguageChoice::Auto},
        {"ja", "[norvane]\nLanguage=ja\n", LanguageChoice::Japanese},
        {"en in capitals, quoted", "[NORVANE]\r\nlanguage = \"EN\"\r\n", LanguageChoice::English},
        {"another section", "[Dat]\r\nLanguage=en\r\n", LanguageChoice::Auto},
        {"a value it does not know", "[norvane]\r\nLanguage=english\r\n", LanguageChoice::Auto},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.File("norvane.ini");
        if (!c.text.empty())
            WriteFile(path, c.text);
        EXPECT_EQ(ReadLanguageChoice(path, "norvane"), c.expected);
    }
}

TEST(CoreMessages, EveryTextTheCoreShowsHasAnEnglishFormWithItsPlaceholders)
{
    std::set<std::string_view> japanese;
    for (const MessageForms& forms : CoreMessageForms()) {
        SCOPED_TRACE(std::string(forms.japanese));
        EXPECT_TRUE(japanese.insert(forms.japanese).second) << "twice in the table";
        EXPECT_TRUE(!forms.english.empty() && IsAscii(forms.english)) << forms.english;
        EXPECT_EQ(Count(forms.english, "%s"), Count(forms.japanese, "%s"));
        EXPECT_EQ(Count(forms.english, "%d"), Count(forms.japanese, "%d"));
    }
    // The table spells each text exactly as the core does.
    for (const auto text : {kMsgCannotOpen, kMsgCannotCreate, kMsgNotRegular, kMsgChanged, kMsgInUse, kMsgFileNotFound,
                            kMsgAccessDenied, kMsgIoError, kMsgNotInteger, kMessageCaption, kMsgSettingsTooLarge,
                            kMsgNoBackup, kMsgSharedBackup})
        EXPECT_EQ(japanese.count(text), 1u) << text;
}

TEST(CoreMessages, AreWrittenInTheMessageLanguage)
{
    const auto notInteger = [] {
        try {
            ParseNumber("12ab");
        } catch (const Error& error) {
            return std::string(error.what());
        }
        return std::string();
    };
    EXPECT_EQ(FormatMessage(kMsgCannotOpen, "/m/a.eml"), "ﾌｧｲﾙ /m/a.eml は開けません");
    EXPECT_EQ(ReadErrorMessage(EIO), "I/O ｴﾗｰ (5)");
    EXPECT_EQ(ComposeMessage(MessageCode::Registered, "X").caption, "確認");

    MessageLanguageScope english(Language::English);
    EXPECT_EQ(FormatMessage(kMsgCannotOpen, "/m/a.eml"), "Cannot open file /m/a.eml");
    EXPECT_EQ(ReadErrorMessage(ENOENT), "File not found");
    EXPECT_EQ(ReadErrorMessage(EIO), "I/O error (5)");
    EXPECT_EQ(notInteger(), "'12AB' is not an integer");
    EXPECT_EQ(SettingsTooLargeMessage("/c/n.ini"), "File /c/n.ini is too large to be read");
    EXPECT_EQ(Localized("not a message"), "not a message");

    const struct {
        MessageCode code;
        std::string text;
    } cases[] = {
        {MessageCode::AskRegister, "X-Key\r\rRegister this key?"},
        {MessageCode::AskAnalyzeAfterVesk, "Vesk done!\r\rAnalyze the files now?"},
        {MessageCode::AlreadyRegistered, "\"X-Key\"\r\rAlready registered!"},
        {MessageCode::SettingsFileMissing, "\"X-Key\"\r\rThere is no settings file!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.code));
        const ComposedMessage message = ComposeMessage(c.code, "X-Key");
        EXPECT_EQ(message.caption, "Confirm");
        EXPECT_EQ(message.text, c.text);
    }
}

}  // namespace norvane::test
