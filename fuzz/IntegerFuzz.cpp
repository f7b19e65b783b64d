// Number parsing over any text, under each policy the program uses and under
// policies built from the input's first bytes: the token read stands after
// skipped bytes only, an accepted number's digits give its value, and the
// value lies within the policy's range. The geometry reader ParseNumber
// returns that value, 0 for no number, or raises the error.
#include "engine/Error.h"
#include "fuzz/FuzzSupport.h"
#include "settings/Integer.h"
#include "settings/Settings.h"

#include <cstdint>
#include <limits>

namespace {

using norvane::IntegerPolicy;

bool IsSkipped(char c, IntegerPolicy::Skip skip)
{
    const auto byte = static_cast<unsigned char>(c);
    switch (skip) {
    case IntegerPolicy::Skip::SpaceTab: return c == ' ' || c == '\t';
    case IntegerPolicy::Skip::Controls: return byte <= 32;
    case IntegerPolicy::Skip::Whitespace: return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    }
    return false;
}

// The digit's value in base 16 or 10, or -1.
int Digit(char c, unsigned base)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void CheckParse(std::string_view text, const IntegerPolicy& policy)
{
    using namespace norvane;
    const ParsedInteger parsed = ParseInteger(text, policy);
    if (parsed.status == IntegerStatus::NoNumber) {
        FUZZ_REQUIRE(parsed.token.empty(), "no number reads no token");
        return;
    }
    FUZZ_REQUIRE(!parsed.token.empty(), "a number or a malformed one reads a token");
    FUZZ_REQUIRE(parsed.token.data() >= text.data() &&
                     parsed.token.data() + parsed.token.size() <= text.data() + text.size(),
                 "the token lies in the text");
    const auto start = static_cast<std::size_t>(parsed.token.data() - text.data());
    for (const char c : text.substr(0, start))
        FUZZ_REQUIRE(IsSkipped(c, policy.skip), "only skipped bytes stand before the token");
    if (parsed.status != IntegerStatus::Ok)
        return;

    std::string_view digits = parsed.token;
    const bool negative = digits.front() == '-';
    if (digits.front() == '-' || digits.front() == '+')
        digits.remove_prefix(1);
    unsigned base = 10;
    if (digits.starts_with('$') || digits.starts_with("0x") || digits.starts_with("0X")) {
        // A decimal token never holds '$' or 'x'.
        base = 16;
        digits.remove_prefix(digits.front() == '$' ? 1 : 2);
    }
    FUZZ_REQUIRE(!digits.empty(), "an accepted number has digits");
    std::uint64_t magnitude = 0;
    for (const char c : digits) {
        const int digit = Digit(c, base);
        FUZZ_REQUIRE(digit >= 0, "an accepted number holds only digits of its base");
        FUZZ_REQUIRE(magnitude <= (std::numeric_limits<std::uint64_t>::max() - digit) / base,
                     "an accepted number fits 64 bits");
        magnitude = magnitude * base + static_cast<unsigned>(digit);
    }
    const std::uint64_t limit = negative ? policy.maxNegative : base == 16 ? policy.maxHex : policy.maxPositive;
    FUZZ_REQUIRE(magnitude <= limit, "an accepted number lies within the policy's range");
    FUZZ_REQUIRE_EQ(std::to_string(negative ? 0 - magnitude : magnitude), std::to_string(parsed.bits),
                    "the value is the token's digits");
    if (policy.digits == IntegerPolicy::Digits::WholeText)
        FUZZ_REQUIRE(start + parsed.token.size() == text.size(), "a whole-text number runs to the end");
}

void CheckParseNumber(std::string_view text)
{
    using namespace norvane;
    const ParsedInteger parsed = ParseInteger(text, kGeometryInteger);
    try {
        const int value = ParseNumber(text);
        FUZZ_REQUIRE(parsed.status == IntegerStatus::Ok || parsed.status == IntegerStatus::NoNumber,
                     "a malformed geometry number raises its error");
        const long long expected = parsed.status == IntegerStatus::Ok
                                       ? static_cast<long long>(static_cast<std::int32_t>(parsed.bits))
                                       : 0;
        FUZZ_REQUIRE_EQ(expected, static_cast<long long>(value), "a geometry number is its 32 bits, or 0");
    } catch (const Error& error) {
        FUZZ_REQUIRE(parsed.status == IntegerStatus::Malformed || parsed.status == IntegerStatus::OutOfRange,
                     "only a malformed geometry number raises an error");
        FUZZ_REQUIRE(std::string_view(error.what()).size() > 0, "the error has a message");
    }
}

// A policy from two bytes of the input, the largest magnitudes from a few
// that matter.
IntegerPolicy PolicyFrom(std::uint8_t shape, std::uint8_t limits)
{
    constexpr std::uint64_t kLimits[] = {0, 9, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF,
                                         std::numeric_limits<std::int64_t>::max(),
                                         std::numeric_limits<std::uint64_t>::max(), 1000};
    IntegerPolicy policy;
    policy.skip = static_cast<IntegerPolicy::Skip>(shape % 3);
    policy.zeroX = static_cast<IntegerPolicy::ZeroX>(shape / 3 % 3);
    policy.digits = static_cast<IntegerPolicy::Digits>(shape / 9 % 3);
    policy.dollarHex = (shape / 27 % 2) != 0;
    policy.signedHex = (shape / 54 % 2) != 0;
    policy.maxPositive = kLimits[limits % 8];
    policy.maxNegative = kLimits[limits / 8 % 8];
    policy.maxHex = kLimits[(limits / 64 + shape / 108) % 8];
    return policy;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace norvane;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    for (const IntegerPolicy& policy : {kSettingsValueInteger, kGeometryInteger, kCommandLineInteger})
        CheckParse(input, policy);
    CheckParseNumber(input);
    if (size >= 2)
        CheckParse(input.substr(2), PolicyFrom(data[0], data[1]));
    return 0;
}
