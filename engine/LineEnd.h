#pragma once

#include <cstddef>
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

// The line of text that begins at `at`, without its end (CR LF, a lone CR or
// LF; kNone for a last line without one); moves `at` past the end. False
// once `at` has reached the end of text.
inline bool NextLine(std::string_view text, std::size_t& at, std::string_view& line, LineEnd& end)
{
    if (at >= text.size())
        return false;
    const std::size_t stop = text.find_first_of("\r\n", at);
    if (stop == std::string_view::npos) {
        line = text.substr(at);
        end = LineEnd::kNone;
        at = text.size();
        return true;
    }
    line = text.substr(at, stop - at);
    if (text[stop] == '\n')
        end = LineEnd::kLf;
    else
        end = stop + 1 < text.size() && text[stop + 1] == '\n' ? LineEnd::kCrLf : LineEnd::kCr;
    at = stop + LineEndBytes(end).size();
    return true;
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
