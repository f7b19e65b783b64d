#include "settings/Messages.h"

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

struct BusyCursorState {
    std::int16_t busyCursorId = kBusyCursorUnresolved;
    std::int16_t cursorBeforeBusy = kDefaultCursor;
    CursorScreen* screen = nullptr;
};

BusyCursorState& BusyState()
{
    static BusyCursorState state;
    return state;
}

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

void SetCursorScreen(CursorScreen* screen)
{
    BusyState().screen = screen;
}

void SetBusyCursor(bool on)
{
    auto& state = BusyState();
    if (state.screen == nullptr)
        return;
    if (!on) {
        state.screen->SetCursor(state.cursorBeforeBusy);
        return;
    }
    // A second "on" must not take the busy cursor for the one to restore.
    if (state.screen->Cursor() == state.busyCursorId)
        return;
    state.cursorBeforeBusy = state.screen->Cursor();
    if (state.busyCursorId == kBusyCursorUnresolved)
        state.busyCursorId = state.screen->LoadCustomBusyCursor() ? kCustomBusyCursor : kHourGlassCursor;
    state.screen->SetCursor(state.busyCursorId);
}

std::int16_t BusyCursorId()
{
    return BusyState().busyCursorId;
}

std::int16_t CursorBeforeBusy()
{
    return BusyState().cursorBeforeBusy;
}

void ResetBusyCursorState()
{
    auto& state = BusyState();
    state.busyCursorId = kBusyCursorUnresolved;
    state.cursorBeforeBusy = kDefaultCursor;
}

std::string LowerCaseAscii(std::string_view text, const TextRules& rules)
{
    std::string result(text);
    for (std::size_t i = 0; i < result.size(); ++i) {
        const auto c = static_cast<unsigned char>(result[i]);
        if (rules.doubleByte && IsLeadByte(c)) {
            ++i;
            continue;
        }
        result[i] = FoldAscii(result[i]);
    }
    return result;
}

std::string SetCountSuffix(std::string_view text, long long count)
{
    std::string result(text.substr(0, text.find(": ")));
    result += ": ";
    result += std::to_string(count);
    return result;
}

}  // namespace norvane
