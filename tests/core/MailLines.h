#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace norvane::test {

// Lines written one per '\n'-separated piece: "a\n" is the two lines "a", "".
inline std::vector<std::string> Lines(std::string_view text)
{
    std::vector<std::string> lines;
    if (text.empty())
        return lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        lines.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos)
            return lines;
        start = end + 1;
    }
}

// The bytes of a file holding the lines, each followed by eol.
inline std::string FileBytes(const std::vector<std::string>& lines, std::string_view eol)
{
    std::string bytes;
    for (const auto& line : lines) {
        bytes += line;
        bytes += eol;
    }
    return bytes;
}

// A text written with LF line ends, each LF replaced by end.
inline std::string WithEnds(std::string_view text, std::string_view end)
{
    std::string out;
    for (const char c : text)
        c == '\n' ? out.append(end) : out.append(1, c);
    return out;
}

inline std::string CrLf(std::string_view text)
{
    return FileBytes(Lines(text), "\r\n");
}

struct LineEnd {
    const char* name;
    std::string_view eol;
};
inline constexpr LineEnd kLineEnds[] = {{"CR LF", "\r\n"}, {"LF", "\n"}, {"CR", "\r"}};

}  // namespace norvane::test
