#include "app/JsonWriter.h"

#include "engine/Charset.h"

namespace norvane {

namespace {

constexpr char kHex[] = "0123456789abcdef";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// The length of the well-formed UTF-8 sequence at the start of bytes, or 0
// when it is ill-formed; stop then is the length of its maximal part, which
// one U+FFFD replaces.
std::size_t SequenceLength(std::string_view bytes, std::size_t& stop)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(0);
    stop = 1;
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong form
        high = lead == 0xED ? 0x9F : 0xBF;  // no surrogate
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (i >= bytes.size())
            return 0;
        const unsigned char c = byte(i);
        if (c < (i == 1 ? low : 0x80) || c > (i == 1 ? high : 0xBF))
            return 0;
        stop = i + 1;
    }
    return length;
}

}  // namespace

std::string JsonString(std::string_view bytes)
{
    std::string json = "\"";
    json.reserve(bytes.size() + 2);
    while (!bytes.empty()) {
        std::size_t stop = 0;
        const std::size_t length = SequenceLength(bytes, stop);
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
