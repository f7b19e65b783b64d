#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace norvane {

inline constexpr std::string_view kRemovalNoteKey = "X-Norvane-Removed";

// The header line left where an attachment's body was removed, followed by
// lineEnd: "X-Norvane-Removed: N bytes; sha256=HEX", then, only when the
// content was saved, "; saved=\"PATH\"" with PATH written by EscapeNotePath.
// N is the decoded size, HEX the decoded content's SHA-256 digest.
std::string RemovalNoteLine(std::uint64_t decodedSize, std::string_view sha256Hex,
                            std::optional<std::string_view> savedPath, std::string_view lineEnd);

// The path as the note writes it: '"', '\', ';', '%', bytes below 32, 127 and
// bytes of 128 and above as "%XX" in upper-case hexadecimal, every other
// byte as it stands.
std::string EscapeNotePath(std::string_view path);

// True for a header line carrying the note (its key in any letter case):
// such a part was handled by an earlier run.
bool IsRemovalNoteLine(std::string_view line);

}  // namespace norvane
