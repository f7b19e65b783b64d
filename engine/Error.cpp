#include "engine/Error.h"

#include "engine/MessageText.h"

#include <cerrno>

namespace norvane {

std::string FormatMessage(std::string_view pattern, std::string_view argument)
{
    std::string text(Localized(pattern));
    if (const auto at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, argument);
    return text;
}

std::string ReadErrorMessage(int error)
{
    if (error == ENOENT || error == ENOTDIR)
        return std::string(Localized(kMsgFileNotFound));
    if (error == EACCES || error == EPERM)
        return std::string(Localized(kMsgAccessDenied));
    std::string text(Localized(kMsgIoError));
    text.replace(text.find("%d"), 2, std::to_string(error));
    return text;
}

void ThrowCannotOpen(std::string_view fileName)
{
    throw Error(FormatMessage(kMsgCannotOpen, fileName));
}

void ThrowCannotCreate(std::string_view fileName)
{
    throw Error(FormatMessage(kMsgCannotCreate, fileName));
}

void ThrowNotRegular(std::string_view fileName)
{
    throw Error(FormatMessage(kMsgNotRegular, fileName));
}

void ThrowChanged(std::string_view fileName)
{
    throw Error(FormatMessage(kMsgChanged, fileName));
}

void ThrowInUse(std::string_view fileName)
{
    throw Error(FormatMessage(kMsgInUse, fileName));
}

void ThrowCancelled()
{
    throw Error(std::string(Localized(kMsgCancelled)), ErrorKind::kCancelled);
}

}  // namespace norvane
