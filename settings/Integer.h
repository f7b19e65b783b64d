#pragma once

#include <cstdint>
#include <limits>
#include <string_view>

namespace norvane {

// How a text is read as an integer. Every reader of numbers in the program
// takes an optional sign and decimal digits; these are the points in which
// they differ.
struct IntegerPolicy {
    enum class Skip {
        SpaceTab,    // blanks and tabs before the number
        Controls,    // every byte up to 32 before the number
        Whitespace,  // space, tab, LF, VT, FF and CR before the number
    };
    enum class ZeroX {
        Never,
        WithDigit,  // "0x" is a prefix only when a hexadecimal digit follows
        Always,     // "0x" is a prefix even without digits (then malformed)
    };
    enum class Digits {
        Leading,     // the number ends at the first byte that is no digit of its base
        HexLooking,  // the number takes in every hexadecimal digit; letters make a
                     // decimal number malformed
        WholeText,   // the digits must run to the end of the text
    };

    Skip skip = Skip::SpaceTab;
    ZeroX zeroX = ZeroX::Never;
    bool dollarHex = false;  // "$" introduces hexadecimal digits
    bool signedHex = false;  // a sign may stand before a hexadecimal prefix
    Digits digits = Digits::Leading;
    // The largest magnitude accepted without a sign or after "+", after "-",
    // and of an unsigned hexadecimal number (which spells the bits directly).
    std::uint64_t maxPositive = std::numeric_limits<std::int64_t>::max();
    std::uint64_t maxNegative = std::numeric_limits<std::int64_t>::max();
    std::uint64_t maxHex = std::numeric_limits<std::int64_t>::max();
};

enum class IntegerStatus {
    Ok,
    NoNumber,    // no sign, prefix or digit where the number should start
    Malformed,   // a sign or prefix without digits, or digits the policy refuses
    OutOfRange,  // more than the policy's largest magnitude
};

struct ParsedInteger {
    IntegerStatus status = IntegerStatus::NoNumber;
    // The value in two's complement: a negative number wraps modulo 2^64.
    std::uint64_t bits = 0;
    // The sign, prefix and digits as they stand in the text (empty with
    // NoNumber); for messages that name what was read.
    std::string_view token;

    std::int64_t Signed() const { return static_cast<std::int64_t>(bits); }
};

ParsedInteger ParseInteger(std::string_view text, const IntegerPolicy& policy);

// A settings-file value: blanks skipped, decimal or "0x" hexadecimal (either
// may be signed), digits up to the first other byte, a signed 64-bit value.
inline constexpr IntegerPolicy kSettingsValueInteger{
    .skip = IntegerPolicy::Skip::SpaceTab,
    .zeroX = IntegerPolicy::ZeroX::WithDigit,
    .signedHex = true,
};

// A field of the window's geometry: control bytes skipped, signed decimal or
// unsigned hexadecimal after "0x" or "$"; a letter A-F in a decimal number
// is malformed. Decimal is a signed 32-bit value; hexadecimal spells the 32
// bits directly, so "$FFFFFFFF" is -1.
inline constexpr IntegerPolicy kGeometryInteger{
    .skip = IntegerPolicy::Skip::Controls,
    .zeroX = IntegerPolicy::ZeroX::Always,
    .dollarHex = true,
    .digits = IntegerPolicy::Digits::HexLooking,
    .maxPositive = 0x7FFFFFFF,
    .maxNegative = 0x80000000,
    .maxHex = 0xFFFFFFFF,
};

// A number on the command line: the whole argument, signed decimal, 64 bits;
// a negative number wraps.
inline constexpr IntegerPolicy kCommandLineInteger{
    .skip = IntegerPolicy::Skip::Whitespace,
    .digits = IntegerPolicy::Digits::WholeText,
    .maxPositive = std::numeric_limits<std::uint64_t>::max(),
    .maxNegative = std::numeric_limits<std::uint64_t>::max(),
};

}  // namespace norvane
