#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norvane {

// Converts text from a charset named in mail (any letter case) to UTF-8
// with the C library's iconv; nullopt when no such charset is known. A run
// of bytes that are not valid in the charset becomes one "_".
// Shift_JIS and its aliases are read as code page 932, the superset that
// mail labelled Shift_JIS is written in, and ISO-2022-JP likewise, so the
// circled numbers and other vendor rows of such names survive.
std::optional<std::string> ToUtf8(std::string_view text, std::string_view charset);

// True when ToUtf8 can read the charset.
bool IsKnownCharset(std::string_view charset);

// Converts valid UTF-8 into charset; nullopt when the charset is unknown or
// cannot hold a character of the text.
std::optional<std::string> FromUtf8(std::string_view utf8, std::string_view charset);

bool IsValidUtf8(std::string_view text);

// The length of the well-formed UTF-8 sequence at the start of text (not
// empty), or 0 when it is ill-formed; maximalPart, when given, receives the
// length of its maximal well-formed start (at least 1), which one U+FFFD
// replaces.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t* maximalPart = nullptr);

// True for the names of UTF-8 ("UTF-8", "utf8" in any case).
bool IsUtf8Charset(std::string_view charset);

// The offsets at which the characters of text begin when it is written in
// charset. In UTF-8 a valid sequence is one character; in other charsets
// the C library's conversion decides. A byte that begins no valid character
// stands alone, and so does every byte when the charset is empty or unknown.
std::vector<std::size_t> CharacterStarts(std::string_view text, std::string_view charset);

// The charset to write file names in: the codeset of the environment's locale, or
// UTF-8 where the locale holds nothing but ASCII (as under "C").
std::string FileNameCharset();

}  // namespace norvane
