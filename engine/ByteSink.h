#pragma once

#include <string>
#include <string_view>

namespace norvane {

// Receives decoded bytes in pieces. The view is valid only during the call.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void Write(std::string_view bytes) = 0;
};

// Keeps everything written to it, for small contents and tests.
class StringByteSink final : public ByteSink {
public:
    void Write(std::string_view bytes) override { text.append(bytes); }
    std::string text;
};

}  // namespace norvane
