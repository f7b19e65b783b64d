#include "engine/LineSink.h"

namespace norvane {

void LineSink::PutLines(const LineRun& run)
{
    // Every line of a run has its end, and a CR is never its last byte
    // unless it ends the line alone.
    std::string_view line;
    LineEnd end = LineEnd::kNone;
    for (std::size_t at = 0; NextLine(run.bytes, at, line, end);)
        PutLineWithEnd(line, end);
}

}  // namespace norvane
