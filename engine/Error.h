#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace norvane {

// What an Error stands for: a failure, or a run the user stopped.
enum class ErrorKind { kFailure, kCancelled };

// The one error type of the core. Its message is the text the user sees,
// complete where it is thrown.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message, ErrorKind kind = ErrorKind::kFailure)
        : std::runtime_error(message), kind_(kind)
    {
    }
    bool Cancelled() const { return kind_ == ErrorKind::kCancelled; }

private:
    ErrorKind kind_;
};

// Replaces the first "%s" of a message pattern, in the message language
// (engine/MessageText.h), by the argument.
std::string FormatMessage(std::string_view pattern, std::string_view argument);

inline constexpr std::string_view kMsgCannotOpen = "ﾌｧｲﾙ %s は開けません";
inline constexpr std::string_view kMsgCannotCreate = "ﾌｧｲﾙ %s を作成できません";
inline constexpr std::string_view kMsgNotRegular = "ﾌｧｲﾙ %s は通常のﾌｧｲﾙではありません";
inline constexpr std::string_view kMsgChanged = "ﾌｧｲﾙ %s は処理中に変更されました";
inline constexpr std::string_view kMsgInUse = "ﾌｧｲﾙ %s は他のﾌﾟﾛｸﾞﾗﾑが使用中です";
inline constexpr std::string_view kMsgCancelled = "処理を中止しました";

inline constexpr std::string_view kMsgFileNotFound = "ﾌｧｲﾙが見つかりません";
inline constexpr std::string_view kMsgAccessDenied = "ﾌｧｲﾙへのｱｸｾｽが拒否されました";
inline constexpr std::string_view kMsgIoError = "I/O ｴﾗｰ (%d)";

// The message of a read error by its cause, in the message language: kMsgFileNotFound for ENOENT and
// ENOTDIR, kMsgAccessDenied for EACCES and EPERM, else kMsgIoError with the
// number.
std::string ReadErrorMessage(int error);

[[noreturn]] void ThrowCannotOpen(std::string_view fileName);
[[noreturn]] void ThrowCannotCreate(std::string_view fileName);
[[noreturn]] void ThrowNotRegular(std::string_view fileName);
[[noreturn]] void ThrowChanged(std::string_view fileName);
[[noreturn]] void ThrowInUse(std::string_view fileName);
// The run was stopped by the user (ErrorKind::kCancelled).
[[noreturn]] void ThrowCancelled();

}  // namespace norvane
