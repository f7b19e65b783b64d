#pragma once

#include "engine/KeyList.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace norvane::fuzz {

// A folder of this process for the files a target works on, in memory when
// the machine has one (every run rewrites files and flushes them). Made on
// first use and removed at exit; libFuzzer calls a target many times, so
// targets reuse fixed paths inside it.
const std::string& ScratchFolder();

// A path inside the scratch folder (sub-folders are made as needed).
std::string ScratchPath(std::string_view relative);

// Plain stdio, independent of the engine's own file code.
void WriteFileBytes(const std::string& path, std::string_view bytes);
std::string ReadFileBytes(const std::string& path);

// The lines of a text split at CR LF, lone CR and lone LF; a final line end
// adds no empty line (the line reader's rule).
std::vector<std::string> SplitMailLines(std::string_view text);
// Every line followed by CR LF, as the engine writes mail.
std::string JoinCrLf(const std::vector<std::string>& lines);

// The input behind one long header line, placed so that the input's middle
// byte stands at blockEnd: a reader working in blocks of a power of two up to
// blockEnd (or doubling its buffer for the long line) meets a block end
// inside the input. Empty when the input is too long for that.
std::string BehindFiller(std::string_view input, std::size_t blockEnd);
// Block ends the targets place inputs at: 16 KiB and 64 KiB.
inline constexpr std::size_t kBlockEnds[] = {1 << 14, 1 << 16};

// The key list the mail targets strip with: ticked keys in several letter
// cases, kept keys, and no "Content-Type", so folded charset lines are joined.
const KeyList& MailKeys();

// The keys a stripping run registers unticked: every header key of the lines
// it searches (the first header block, or with allText every line under the
// strict separator) that keyList lacks, once per key in the case first met.
std::vector<std::string> ExpectedRegisteredKeys(const std::vector<std::string>& lines, const KeyList& keyList,
                                                bool allText);

// Control bytes shown as escapes, cut to a readable length.
std::string Shown(std::string_view bytes);

// Reports a broken property and aborts, so libFuzzer keeps the input as a
// crash; the second form shows where the two results part.
[[noreturn]] void Fail(const char* file, int line, std::string_view property);
[[noreturn]] void FailUnequal(const char* file, int line, std::string_view property, std::string_view expected,
                              std::string_view actual);
[[noreturn]] void FailUnequal(const char* file, int line, std::string_view property,
                              const std::vector<std::string>& expected, const std::vector<std::string>& actual);
[[noreturn]] void FailUnequal(const char* file, int line, std::string_view property, long long expected,
                              long long actual);

}  // namespace norvane::fuzz

// A property that must hold for every input.
#define FUZZ_REQUIRE(condition, property)                                            \
    do {                                                                             \
        if (!(condition))                                                            \
            ::norvane::fuzz::Fail(__FILE__, __LINE__, property);                     \
    } while (false)

// Two results that must be equal (texts, lists of lines or numbers).
#define FUZZ_REQUIRE_EQ(expected, actual, property)                                  \
    do {                                                                             \
        if (!((expected) == (actual)))                                               \
            ::norvane::fuzz::FailUnequal(__FILE__, __LINE__, property, expected, actual); \
    } while (false)
