#pragma once

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
// boxes, the tool with lines on stderr, tests with a recorder.
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

// Installs a prompt for its lifetime.
class PromptScope {
public:
    explicit PromptScope(Prompt* prompt) { SetPrompt(prompt); }
    ~PromptScope() { SetPrompt(nullptr); }
    PromptScope(const PromptScope&) = delete;
    PromptScope& operator=(const PromptScope&) = delete;
};

// Shows message `code` around text; true only when a question was answered
// Yes. Without a prompt installed nothing is shown and the answer is false.
bool NotifyUser(MessageCode code, std::string_view text);

// Shows text as it stands under the program's message caption (in the
// message language). False without a prompt, or when a question is declined.
bool ShowMessage(PromptKind kind, std::string_view text);

}  // namespace norvane
