#include "engine/HeaderKey.h"

namespace norvane {

namespace {

bool IsKeyByte(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

}  // namespace

bool IsHeaderKeyText(std::string_view text)
{
    if (text.empty())
        return false;
    for (const char c : text)
        if (!IsKeyByte(static_cast<unsigned char>(c)))
            return false;
    return true;
}

HeaderKeyResult ExtractHeaderKey(std::string_view line, bool strict, FirstLetter firstLetter)
{
    HeaderKeyResult out;
    if (line.empty())
        return out;
    out.result = true;
    const auto first = static_cast<unsigned char>(line.front());
    const bool lower = first >= 'a' && first <= 'z';
    if ((first < 'A' || first > 'Z') && !(lower && firstLetter == FirstLetter::kAnyCase))
        return out;
    const std::size_t sep = line.find(strict ? std::string_view(": ") : std::string_view(":"));
    if (sep == std::string_view::npos)
        return out;
    const std::string_view key = line.substr(0, sep);
    if (IsHeaderKeyText(key))
        out.key = key;
    return out;
}

}  // namespace norvane
