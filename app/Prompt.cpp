#include "app/Prompt.h"

#include "engine/MessageText.h"

namespace norvane {

namespace {

constexpr std::string_view kQuestionMark = "？";
constexpr std::string_view kExclamationMark = "！";
constexpr std::string_view kVeskDone = "ヴェスクしました！";
constexpr std::string_view kTwoBreaks = "\r\r";

std::string_view FixedLine(MessageCode code)
{
    switch (code) {
    case MessageCode::AskRegister: return "登録して宜しいですか";
    case MessageCode::AskDelete: return "削除して宜しいですか";
    case MessageCode::AskAnalyzeAfterVesk: return "確認しますか";
    case MessageCode::AlreadyRegistered: return "既に、登録されています";
    case MessageCode::NotRegistered: return "登録されていません";
    case MessageCode::SettingsFileMissing: return "初期化ﾌｧｲﾙが、有りません";
    case MessageCode::Registered: return "登録しました";
    }
    return {};
}

Prompt* g_prompt = nullptr;

}  // namespace

// The fixed texts come in the message language (engine/MessageText.h).
ComposedMessage ComposeMessage(MessageCode code, std::string_view text)
{
    ComposedMessage message;
    message.caption = Localized(kMessageCaption);
    const auto line = Localized(FixedLine(code));
    if (static_cast<int>(code) < 0) {
        message.kind = PromptKind::Question;
        message.text = code == MessageCode::AskAnalyzeAfterVesk ? Localized(kVeskDone) : text;
        message.text += kTwoBreaks;
        message.text += line;
        message.text += Localized(kQuestionMark);
    } else {
        message.kind = PromptKind::Notice;
        message.text = "\"";
        message.text += text;
        message.text += "\"";
        message.text += kTwoBreaks;
        message.text += line;
        message.text += Localized(kExclamationMark);
    }
    return message;
}

void SetPrompt(Prompt* prompt)
{
    g_prompt = prompt;
}

Prompt* CurrentPrompt()
{
    return g_prompt;
}

bool NotifyUser(MessageCode code, std::string_view text)
{
    const auto message = ComposeMessage(code, text);
    if (g_prompt == nullptr)
        return false;
    const bool yes = g_prompt->Show(message.kind, message.caption, message.text);
    return message.kind == PromptKind::Question && yes;
}

bool ShowMessage(PromptKind kind, std::string_view text)
{
    Prompt* prompt = CurrentPrompt();
    return prompt && prompt->Show(kind, Localized(kMessageCaption), text);
}

}  // namespace norvane
