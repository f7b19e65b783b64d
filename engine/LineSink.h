#pragma once

#include "engine/LineEnd.h"

#include <cstddef>
#include <string_view>

namespace norvane {

// Whole lines as a file holds them, in one piece: each with its end, none
// empty, none without an end.
struct LineRun {
    std::string_view bytes;
    std::size_t lines = 0;
    LineEnd lastEnd = LineEnd::kNone;
    bool allCrLf = true;  // every line ends in CR LF
};

// Receives lines one at a time from a stage of the per-file job. The view is
// valid only during the call.
class LineSink {
public:
    virtual ~LineSink() = default;
    virtual void PutLine(std::string_view line) = 0;
    // The line with the end it had in the file; a sink that does not keep
    // line ends takes the line alone.
    virtual void PutLineWithEnd(std::string_view line, LineEnd end)
    {
        static_cast<void>(end);
        PutLine(line);
    }
    // The run's lines one by one with their ends; a sink that writes them as
    // they are takes the run in one piece.
    virtual void PutLines(const LineRun& run);
};

// Passes lines on, each with the end KeptLineEnd gives, so that what it
// passes on is what a file written from it would give when read again.
class KeptEndsFilter final : public LineSink {
public:
    explicit KeptEndsFilter(LineSink& out) : out_(out) {}
    void PutLine(std::string_view line) override { PutLineWithEnd(line, LineEnd::kCrLf); }
    void PutLineWithEnd(std::string_view line, LineEnd end) override
    {
        previous_ = KeptLineEnd(previous_, line, end);
        out_.PutLineWithEnd(line, previous_);
    }

private:
    LineSink& out_;
    LineEnd previous_ = LineEnd::kNone;
};

}  // namespace norvane
