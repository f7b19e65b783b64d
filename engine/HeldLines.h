#pragma once

#include "engine/LineSink.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace norvane {

// Lines held back in order until it is known whether they are passed on or
// dropped (trailing empty and end-of-file-mark lines). Up to a fixed
// allowance they stay in memory; past it they go to an unnamed temporary
// file and are read back when passed on, so a file of millions of such lines
// holds no more than the allowance plus the longest line.
class HeldLines {
public:
    static constexpr std::size_t kDefaultAllowance = 1024 * 1024;

    explicit HeldLines(std::size_t allowance = kDefaultAllowance) : allowance_(allowance) {}
    ~HeldLines();
    HeldLines(const HeldLines&) = delete;
    HeldLines& operator=(const HeldLines&) = delete;

    // The line must hold neither CR nor LF (a line never does).
    void Add(std::string_view line, LineEnd end = LineEnd::kCrLf);
    // Passes every held line on to out in order, with its end, and forgets
    // them.
    void PassOn(LineSink& out);
    // Forgets every held line.
    void Clear();

    bool Empty() const { return count_ == 0; }
    std::uint64_t Count() const { return count_; }
    // Bytes held in memory, for tests of the allowance.
    std::size_t MemoryHeld() const { return memory_.capacity(); }

private:
    void Spill();

    std::size_t allowance_;
    std::string memory_;  // the lines, each followed by its end's code and LF
    std::FILE* spill_ = nullptr;
    std::uint64_t spilled_ = 0;  // bytes in the spill file
    std::uint64_t count_ = 0;
};

}  // namespace norvane
