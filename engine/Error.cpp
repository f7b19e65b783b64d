#include "engine/Error.h"

namespace norvane {

std::string FormatMessage(std::string_view pattern, std::string_view argument)
{
    std::string text(pattern);
    if (const auto at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, argument);
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

}  // namespace norvane
