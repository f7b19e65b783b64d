#include "engine/LineSink.h"

namespace norvane {

void LineSink::PutLines(const LineRun& run)
{
    std::string_view rest = run.bytes;
    while (!rest.empty()) {
        // Every line of a run has its end, and a CR is never its last byte
        // unless it ends the line alone.
        const std::size_t at = rest.find_first_of("\r\n");
        LineEnd end = LineEnd::kLf;
        std::size_t next = at + 1;
        if (rest[at] == '\r') {
            end = next < rest.size() && rest[next] == '\n' ? LineEnd::kCrLf : LineEnd::kCr;
            next += end == LineEnd::kCrLf ? 1 : 0;
        }
        PutLineWithEnd(rest.substr(0, at), end);
        rest.remove_prefix(next);
    }
}

}  // namespace norvane
