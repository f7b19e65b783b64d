#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace norvane {

// Bytes as a JSON string with its quotes: quote, backslash and control bytes
// escaped, and every ill-formed UTF-8 sequence (each maximal part of one)
// replaced by U+FFFD.
std::string JsonString(std::string_view bytes);

// Bytes as lower-case hexadecimal digits, two per byte.
std::string HexBytes(std::string_view bytes);

// One JSON object written on one line, its members in the order added.
class JsonObject {
public:
    JsonObject& Text(std::string_view name, std::string_view value);
    // A text that may be any bytes: when it is not valid UTF-8, a member
    // hexName follows with its exact bytes in hexadecimal.
    JsonObject& Bytes(std::string_view name, std::string_view value, std::string_view hexName);
    JsonObject& Number(std::string_view name, std::int64_t value);
    JsonObject& Texts(std::string_view name, const std::vector<std::string>& values);
    // The object and a line feed.
    std::string Line() const { return text_ + "}\n"; }

private:
    void Name(std::string_view name);

    std::string text_ = "{";
};

}  // namespace norvane
