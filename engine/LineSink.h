#pragma once

#include "engine/LineEnd.h"

#include <string_view>

namespace norvane {

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
