#include "app/DisplayText.h"

namespace norvane {

std::string SetCountSuffix(std::string_view text, long long count)
{
    std::string result(text.substr(0, text.find(": ")));
    result += ": ";
    result += std::to_string(count);
    return result;
}

}  // namespace norvane
