#pragma once

#include <string_view>

namespace norvane {

// How a line of a file ended.
enum class LineEnd : unsigned char {
    kNone,  // the last line of a file that has no line end
    kLf,
    kCr,
    kCrLf,
};

inline std::string_view LineEndBytes(LineEnd end)
{
    switch (end) {
    case LineEnd::kLf:
        return "\n";
    case LineEnd::kCr:
        return "\r";
    case LineEnd::kCrLf:
        return "\r\n";
    case LineEnd::kNone:
        break;
    }
    return {};
}

// The end to write a line with when lines keep their own ends: an empty line
// ending in LF right after a line ending in a lone CR gets CR LF, because a
// lone LF there would join that CR into one CR LF and the file, read again,
// would hold a line less. previous is the end written last.
inline LineEnd KeptLineEnd(LineEnd previous, std::string_view line, LineEnd end)
{
    return previous == LineEnd::kCr && line.empty() && end == LineEnd::kLf ? LineEnd::kCrLf : end;
}

}  // namespace norvane
