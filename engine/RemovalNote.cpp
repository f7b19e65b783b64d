#include "engine/RemovalNote.h"

#include "engine/TextRules.h"

namespace norvane {

std::string EscapeNotePath(std::string_view path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (const char c : path) {
        const auto b = static_cast<unsigned char>(c);
        // '%' too, so that a saved path always decodes back to itself.
        if (b < 32 || b >= 127 || c == '"' || c == '\\' || c == ';' || c == '%') {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

std::string RemovalNoteLine(std::uint64_t decodedSize, std::string_view sha256Hex,
                            std::optional<std::string_view> savedPath, std::string_view lineEnd)
{
    std::string line(kRemovalNoteKey);
    line += ": ";
    line += std::to_string(decodedSize);
    line += " bytes; sha256=";
    line += sha256Hex;
    if (savedPath) {
        line += "; saved=\"";
        line += EscapeNotePath(*savedPath);
        line += '"';
    }
    line += lineEnd;
    return line;
}

bool IsRemovalNoteLine(std::string_view line)
{
    return line.size() > kRemovalNoteKey.size() && line[kRemovalNoteKey.size()] == ':' &&
           EqualsAsciiNoCase(line.substr(0, kRemovalNoteKey.size()), kRemovalNoteKey);
}

}  // namespace norvane
