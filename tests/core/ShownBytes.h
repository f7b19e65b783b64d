#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace norvane::test {

// Bytes as a readable trace or failure message: bytes outside printable
// ASCII as <XX>.
inline std::string Shown(std::string_view bytes)
{
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 32 || b >= 127) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "<%02X>", b);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

// Lines shown one after another, each in brackets.
inline std::string Joined(const std::vector<std::string>& lines)
{
    std::string out;
    for (const auto& line : lines)
        out += "[" + Shown(line) + "]";
    return out;
}

}  // namespace norvane::test
