#pragma once

#include "engine/TextRules.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace norvane {

// The caption of every message box.
inline constexpr std::string_view kMessageCaption = "確認";

// The program's fixed messages by their catalogue codes; a negative code asks
// a question, any other gives a notice.
enum class MessageCode : int {
    AskRegister = -3,         // "登録して宜しいですか" about a key from the file grid
    AskDelete = -2,           // "削除して宜しいですか" about the selected key
    AskAnalyzeAfterVesk = -1, // "ヴェスクしました！" then "確認しますか"
    AlreadyRegistered = 1,    // "既に、登録されています"
    NotRegistered = 2,        // "登録されていません"
    SettingsFileMissing = 3,  // "初期化ﾌｧｲﾙが、有りません" naming the file
    Registered = 4,           // "登録しました"
};

enum class PromptKind {
    Question,  // Yes and No buttons, question icon
    Notice,    // OK button, exclamation icon
};

// One of the program's fixed messages, ready to show. CR bytes in the text
// stand for line breaks.
struct ComposedMessage {
    PromptKind kind = PromptKind::Notice;
    std::string caption;
    std::string text;
};

// Builds the message for a code: a question is the text, CR CR, the fixed
// line and "？" (AskAnalyzeAfterVesk shows "ヴェスクしました！" in place of the
// text); a notice is the text in double quotes, CR CR, the fixed line and
// "！". A code outside the catalogue gives a notice without a fixed line.
ComposedMessage ComposeMessage(MessageCode code, std::string_view text);

// Shows messages to the user; the window implements it with modal message
// boxes, tests with a recorder.
class Prompt {
public:
    virtual ~Prompt() = default;
    // Returns true only when a question was answered Yes.
    virtual bool Show(PromptKind kind, std::string_view caption, std::string_view text) = 0;
};

// Installs the prompt NotifyUser shows through (nullptr: none). The prompt
// must outlive its installation.
void SetPrompt(Prompt* prompt);
Prompt* CurrentPrompt();

// Shows message `code` around text; true only when a question was answered
// Yes. Without a prompt installed nothing is shown and the answer is false.
bool NotifyUser(MessageCode code, std::string_view text);

// Cursor identities of the busy-cursor state.
inline constexpr std::int16_t kDefaultCursor = 0;
inline constexpr std::int16_t kCustomBusyCursor = 1;  // the screen's custom cursor slot 1
inline constexpr std::int16_t kHourGlassCursor = -11;  // the toolkit's standard busy cursor
inline constexpr std::int16_t kBusyCursorUnresolved = -1;

// The application-wide cursor override; the window implements it.
class CursorScreen {
public:
    virtual ~CursorScreen() = default;
    virtual std::int16_t Cursor() const = 0;
    virtual void SetCursor(std::int16_t cursor) = 0;
    // Installs a custom busy cursor as custom cursor 1 when there is one;
    // false when there is none (the standard busy cursor then serves).
    virtual bool LoadCustomBusyCursor() = 0;
};

// Installs the screen SetBusyCursor works on (nullptr: none; then
// SetBusyCursor does nothing). The screen must outlive its installation.
void SetCursorScreen(CursorScreen* screen);

// On: remembers the cursor in force (only when the busy cursor is not shown
// already) and shows the busy cursor; the custom cursor is looked for once
// per run. Off: restores the remembered cursor. No nesting count.
void SetBusyCursor(bool on);
std::int16_t BusyCursorId();
std::int16_t CursorBeforeBusy();
// Back to the state at program start (for tests).
void ResetBusyCursorState();

// Shows the busy cursor for its lifetime.
class BusyCursorGuard {
public:
    BusyCursorGuard() { SetBusyCursor(true); }
    ~BusyCursorGuard() { SetBusyCursor(false); }
    BusyCursorGuard(const BusyCursorGuard&) = delete;
    BusyCursorGuard& operator=(const BusyCursorGuard&) = delete;
};

// ASCII capitals to lower case; under double-byte rules a lead byte and the
// byte after it pass unchanged.
std::string LowerCaseAscii(std::string_view text, const TextRules& rules = HostRules());

// "text: count", replacing everything from the text's first ": " on.
std::string SetCountSuffix(std::string_view text, long long count);

}  // namespace norvane
