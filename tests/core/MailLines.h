#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
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

// Base64 of data in lines of width characters joined by eol, with no eol
// after the last.
inline std::string Base64Encode(std::string_view data, std::size_t width, std::string_view eol)
{
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string flat;
    for (std::size_t i = 0; i < data.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, data.size() - i);
        std::uint32_t v = 0;
        for (std::size_t k = 0; k < 3; ++k)
            v = v << 8 | (k < n ? static_cast<unsigned char>(data[i + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k)
            flat += k <= n ? kAlphabet[(v >> (18 - 6 * k)) & 63] : '=';
    }
    std::string out;
    for (std::size_t i = 0; i < flat.size(); i += width) {
        if (i > 0)
            out += eol;
        out += flat.substr(i, width);
    }
    return out;
}

// count lines drawn from vocabulary, each ended by CR LF, LF or CR at random;
// picked, when given, receives the lines drawn.
inline std::string RandomLines(std::mt19937& random, const std::vector<std::string>& vocabulary, std::size_t count,
                               std::vector<std::string>* picked = nullptr)
{
    static constexpr std::string_view kEnds[] = {"\r\n", "\n", "\r"};
    std::string bytes;
    std::string_view previous;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& line = vocabulary[random() % vocabulary.size()];
        std::string_view eol = kEnds[random() % 3];
        // CR and then an empty line ended by LF would read as one CR LF.
        if (line.empty() && previous == "\r" && eol == "\n")
            eol = "\r";
        bytes += line;
        bytes += eol;
        previous = eol;
        if (picked)
            picked->push_back(line);
    }
    return bytes;
}

// A mail of several MiB with LF line ends, so that its reading is reported
// in steps; its key X-Large tells it apart from small mails.
inline std::string LargeMail()
{
    std::string mail = "Received: r\nX-Large: l\nSubject: large\n\n";
    const std::string line(78, 'z');
    for (int i = 0; i < 40000; ++i)
        mail += line + "\n";
    return mail;
}

struct LineEnd {
    const char* name;
    std::string_view eol;
};
inline constexpr LineEnd kLineEnds[] = {{"CR LF", "\r\n"}, {"LF", "\n"}, {"CR", "\r"}};

}  // namespace norvane::test
