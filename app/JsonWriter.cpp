#include "app/JsonWriter.h"

#include "engine/Charset.h"

namespace norvane {

namespace {

constexpr char kHex[] = "0123456789abcdef";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

}  // namespace

std::string JsonString(std::string_view bytes)
{
    std::string json = "\"";
    json.reserve(bytes.size() + 2);
    while (!bytes.empty()) {
        std::size_t stop = 0;
        const std::size_t length = Utf8SequenceLength(bytes, &stop);
        if (length == 0) {
            json += kReplacement;
            bytes.remove_prefix(stop);
            continue;
        }
        const char c = bytes.front();
        const auto code = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (c == '\n') {
            json += "\\n";
        } else if (c == '\r') {
            json += "\\r";
        } else if (c == '\t') {
            json += "\\t";
        } else if (code < 0x20) {
            json += "\\u00";
            json += kHex[code >> 4];
            json += kHex[code & 0xF];
        } else {
            json.append(bytes.substr(0, length));
        }
        bytes.remove_prefix(length);
    }
    json += '"';
    return json;
}

std::string HexBytes(std::string_view bytes)
{
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto code = static_cast<unsigned char>(c);
        hex += kHex[code >> 4];
        hex += kHex[code & 0xF];
    }
    return hex;
}

void JsonObject::Name(std::string_view name)
{
    if (text_.size() > 1)
        text_ += ", ";
    text_ += JsonString(name);
    text_ += ": ";
}

JsonObject& JsonObject::Text(std::string_view name, std::string_view value)
{
    Name(name);
    text_ += JsonString(value);
    return *this;
}

JsonObject& JsonObject::Bytes(std::string_view name, std::string_view value, std::string_view hexName)
{
    Text(name, value);
    if (!IsValidUtf8(value))
        Text(hexName, HexBytes(value));
    return *this;
}

JsonObject& JsonObject::Number(std::string_view name, std::int64_t value)
{
    Name(name);
    text_ += std::to_string(value);
    return *this;
}

JsonObject& JsonObject::Texts(std::string_view name, const std::vector<std::string>& values)
{
    Name(name);
    text_ += '[';
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            text_ += ", ";
        text_ += JsonString(values[i]);
    }
    text_ += ']';
    return *this;
}

}  // namespace norvane
