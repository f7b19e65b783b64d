#include "engine/MessageText.h"

#include <atomic>

namespace norvane {

namespace {

// Each Japanese text must be spelled exactly as where it is used (Error.h,
// Settings.h, Messages.cpp); a test checks every one of them has its entry,
// and that the window's translation file holds the same English forms.
constexpr MessageForms kForms[] = {
    {NORVANE_CORE_TEXT("CoreMessage", "ﾌｧｲﾙ %s は開けません"), "Cannot open file %s"},
    {NORVANE_CORE_TEXT("CoreMessage", "ﾌｧｲﾙ %s を作成できません"), "Cannot create file %s"},
    {NORVANE_CORE_TEXT("CoreMessage", "ﾌｧｲﾙ %s は通常のﾌｧｲﾙではありません"), "File %s is not a regular file"},
    {NORVANE_CORE_TEXT("CoreMessage", "ﾌｧｲﾙ %s は処理中に変更されました"), "File %s was changed while it was processed"},
    {NORVANE_CORE_TEXT("CoreMessage", "ﾌｧｲﾙ %s は他のﾌﾟﾛｸﾞﾗﾑが使用中です"), "File %s is in use by another program"},
    {NORVANE_CORE_TEXT("CoreMessage", "処理を中止しました"), "The run was cancelled"},
    {NORVANE_CORE_TEXT("CoreMessage", "ﾌｧｲﾙが見つかりません"), "File not found"},
    {NORVANE_CORE_TEXT("CoreMessage", "ﾌｧｲﾙへのｱｸｾｽが拒否されました"), "Access to the file was denied"},
    {NORVANE_CORE_TEXT("CoreMessage", "I/O ｴﾗｰ (%d)"), "I/O error (%d)"},
    {NORVANE_CORE_TEXT("CoreMessage", "'%s' は整数ではありません"), "'%s' is not an integer"},
    {NORVANE_CORE_TEXT("CoreMessage", "ﾌｧｲﾙ %s は大きすぎるので読み込めません"), "File %s is too large to be read"},
    {NORVANE_CORE_TEXT("CoreMessage", "ﾌｧｲﾙ %s のﾊﾞｯｸｱｯﾌﾟがありません"), "File %s has no backup"},
    {NORVANE_CORE_TEXT("CoreMessage", "ﾊﾞｯｸｱｯﾌﾟ %s は他のﾌｧｲﾙのものかもしれません"),
     "Backup %s may belong to another file"},
    {NORVANE_CORE_TEXT("CoreMessage", "確認"), "Confirm"},
    {NORVANE_CORE_TEXT("CoreMessage", "？"), "?"},
    {NORVANE_CORE_TEXT("CoreMessage", "！"), "!"},
    {NORVANE_CORE_TEXT("CoreMessage", "ヴェスクしました！"), "Vesk done!"},
    {NORVANE_CORE_TEXT("CoreMessage", "登録して宜しいですか"), "Register this key"},
    {NORVANE_CORE_TEXT("CoreMessage", "削除して宜しいですか"), "Delete this key"},
    {NORVANE_CORE_TEXT("CoreMessage", "確認しますか"), "Analyze the files now"},
    {NORVANE_CORE_TEXT("CoreMessage", "既に、登録されています"), "Already registered"},
    {NORVANE_CORE_TEXT("CoreMessage", "登録されていません"), "Not registered"},
    {NORVANE_CORE_TEXT("CoreMessage", "初期化ﾌｧｲﾙが、有りません"), "There is no settings file"},
    {NORVANE_CORE_TEXT("CoreMessage", "登録しました"), "Registered"},
};

std::atomic<Language> g_language{Language::Japanese};

}  // namespace

std::span<const MessageForms> CoreMessageForms()
{
    return kForms;
}

void SetMessageLanguage(Language language)
{
    g_language.store(language, std::memory_order_relaxed);
}

Language MessageLanguage()
{
    return g_language.load(std::memory_order_relaxed);
}

std::string_view Localized(std::string_view japanese)
{
    if (MessageLanguage() == Language::Japanese)
        return japanese;
    for (const MessageForms& forms : kForms)
        if (forms.japanese == japanese)
            return forms.english;
    return japanese;
}

}  // namespace norvane
