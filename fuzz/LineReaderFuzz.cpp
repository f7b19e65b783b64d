// The line reader over any bytes, alone and behind a long line that puts
// them across a block end: the lines with their line ends put back give the
// file again, no line holds CR or LF, a CR LF is one line end, going back
// to where a line began reads the same lines again, and runs taken between
// lines hold exactly the lines Next would have given, each as the rule asks.
#include "engine/FileIo.h"
#include "fuzz/FuzzSupport.h"

#include <cstring>

namespace {

struct ReadLine {
    std::string text;
    std::uint64_t offset;
};

void CheckLines(std::string_view input, std::size_t seekTo)
{
    using namespace norvane;
    const std::size_t size = input.size();
    static const std::string path = fuzz::ScratchPath("lines.txt");
    fuzz::WriteFileBytes(path, input);

    LineReader reader(path);
    std::vector<ReadLine> lines;
    std::string_view line;
    while (reader.Next(line))
        lines.push_back({std::string(line), reader.LineOffset()});

    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto& [text, offset] = lines[i];
        FUZZ_REQUIRE(!std::memchr(text.data(), '\r', text.size()) && !std::memchr(text.data(), '\n', text.size()),
                     "no line holds CR or LF");
        FUZZ_REQUIRE_EQ(static_cast<long long>(joined.size()), static_cast<long long>(offset),
                        "a line begins where the one before it ended");
        joined += text;
        const std::size_t endAt = offset + text.size();
        const std::size_t next = i + 1 < lines.size() ? lines[i + 1].offset : size;
        FUZZ_REQUIRE(next >= endAt, "lines come in file order");
        const std::string_view end = input.substr(endAt, next - endAt);
        const bool lastWithoutEnd = i + 1 == lines.size() && end.empty();
        FUZZ_REQUIRE(lastWithoutEnd || end == "\r\n" || end == "\r" || end == "\n",
                     "between two lines stands exactly one line end");
        FUZZ_REQUIRE(end != "\r" || next >= size || input[next] != '\n', "CR LF is one line end, not two");
        joined += end;
    }
    FUZZ_REQUIRE_EQ(input, joined, "the lines joined with their line ends give the file");

    // Runs taken after each line give the same lines.
    const std::size_t ruleBits = seekTo;
    PlainLineRule rule;
    rule.crLfOnly = (ruleBits & 1) != 0;
    rule.absent = (ruleBits & 2) != 0 ? ':' : '\0';
    rule.notFirst = (ruleBits & 4) != 0 ? std::string_view("\x1a-") : std::string_view();
    rule.notPrefix = (ruleBits & 8) != 0 ? std::string_view("Content-Type") : std::string_view();
    rule.prefixAnyCase = (ruleBits & 16) != 0;
    {
        LineReader mixed(path);
        std::size_t at = 0;
        while (mixed.Next(line)) {
            FUZZ_REQUIRE(at < lines.size() && lines[at].text == line, "between runs Next gives the same lines");
            ++at;
            const LineRun run = mixed.TakeRun(rule);
            if (run.lines == 0)
                continue;
            FUZZ_REQUIRE(at + run.lines <= lines.size(), "a run holds no more lines than the file");
            const std::size_t begin = lines[at].offset;
            at += run.lines;
            const std::size_t end = at < lines.size() ? lines[at].offset : size;
            FUZZ_REQUIRE_EQ(input.substr(begin, end - begin), run.bytes, "a run is the bytes of its lines");
            FUZZ_REQUIRE_EQ(static_cast<long long>(lines[at - 1].offset), static_cast<long long>(mixed.LineOffset()),
                            "after a run the offset is its last line's");
            for (std::size_t i = at - run.lines; i < at; ++i) {
                const std::string& text = lines[i].text;
                FUZZ_REQUIRE(!text.empty() && rule.notFirst.find(text.front()) == std::string_view::npos,
                             "a run holds no empty line and none that begins with an excluded byte");
                FUZZ_REQUIRE(rule.absent == 0 || text.find(rule.absent) == std::string::npos,
                             "a run holds no line with the absent byte");
                FUZZ_REQUIRE(rule.notPrefix.empty() || !text.starts_with(rule.notPrefix),
                             "a run holds no line with the excluded prefix");
            }
        }
        FUZZ_REQUIRE_EQ(static_cast<long long>(lines.size()), static_cast<long long>(at),
                        "runs and lines together reach every line");
    }

    // Going back to a line (as attachment removal does) reads from there on
    // the same lines with the same offsets.
    if (!lines.empty()) {
        const std::size_t from = seekTo % lines.size();
        reader.Seek(lines[from].offset);
        for (std::size_t i = from; i < lines.size(); ++i) {
            FUZZ_REQUIRE(reader.Next(line), "after Seek the reader reaches every later line");
            FUZZ_REQUIRE_EQ(lines[i].text, line, "after Seek the same lines come again");
            FUZZ_REQUIRE_EQ(static_cast<long long>(lines[i].offset), static_cast<long long>(reader.LineOffset()),
                            "after Seek the same offsets come again");
        }
        FUZZ_REQUIRE(!reader.Next(line), "after Seek the reader ends where it ended before");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t seekTo = size > 0 ? data[size - 1] : 0;
    CheckLines(input, seekTo);
    for (const std::size_t blockEnd : norvane::fuzz::kBlockEnds) {
        const std::string text = norvane::fuzz::BehindFiller(input, blockEnd);
        if (!text.empty())
            CheckLines(text, seekTo + 1);
    }
    return 0;
}
