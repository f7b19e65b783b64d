#pragma once

#include <string>
#include <string_view>

namespace norvane {

// "text: count", replacing everything from the text's first ": " on.
std::string SetCountSuffix(std::string_view text, long long count);

}  // namespace norvane
