#pragma once

#include <string_view>

namespace norvane {

// Receives lines one at a time from a stage of the per-file job. The view is
// valid only during the call.
class LineSink {
public:
    virtual ~LineSink() = default;
    virtual void PutLine(std::string_view line) = 0;
};

}  // namespace norvane
