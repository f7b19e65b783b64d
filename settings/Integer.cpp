#include "settings/Integer.h"

#include "engine/TextRules.h"

namespace norvane {

namespace {

bool IsSkipped(char c, IntegerPolicy::Skip skip)
{
    const auto byte = static_cast<unsigned char>(c);
    switch (skip) {
    case IntegerPolicy::Skip::SpaceTab: return c == ' ' || c == '\t';
    case IntegerPolicy::Skip::Controls: return byte <= 32;
    case IntegerPolicy::Skip::Whitespace: return c == ' ' || (c >= '\t' && c <= '\r');
    }
    return false;
}

bool IsDecimalDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c)
{
    return HexDigitValue(c) >= 0;
}

// The length of a hexadecimal prefix at the start of text, or 0.
std::size_t HexPrefix(std::string_view text, const IntegerPolicy& policy)
{
    if (policy.dollarHex && text.starts_with('$'))
        return 1;
    if (policy.zeroX == IntegerPolicy::ZeroX::Never || text.size() < 2 || text[0] != '0' ||
        (text[1] != 'x' && text[1] != 'X'))
        return 0;
    if (policy.zeroX == IntegerPolicy::ZeroX::WithDigit && (text.size() < 3 || !IsHexDigit(text[2])))
        return 0;
    return 2;
}

}  // namespace

ParsedInteger ParseInteger(std::string_view text, const IntegerPolicy& policy)
{
    std::size_t start = 0;
    while (start < text.size() && IsSkipped(text[start], policy.skip))
        ++start;
    std::size_t i = start;
    const bool sign = i < text.size() && (text[i] == '+' || text[i] == '-');
    const bool negative = sign && text[i] == '-';
    if (sign)
        ++i;
    std::size_t prefix = 0;
    if (!sign || policy.signedHex)
        prefix = HexPrefix(text.substr(i), policy);
    i += prefix;
    const bool hex = prefix > 0;

    const std::size_t digitsStart = i;
    const bool hexRun = hex || policy.digits == IntegerPolicy::Digits::HexLooking;
    while (i < text.size() && (hexRun ? IsHexDigit(text[i]) : IsDecimalDigit(text[i])))
        ++i;
    ParsedInteger result;
    result.token = text.substr(start, i - start);
    if (i == digitsStart) {
        result.status = (sign || hex) ? IntegerStatus::Malformed : IntegerStatus::NoNumber;
        return result;
    }
    if (policy.digits == IntegerPolicy::Digits::WholeText && i != text.size()) {
        result.status = IntegerStatus::Malformed;
        return result;
    }

    const unsigned base = hex ? 16 : 10;
    std::uint64_t magnitude = 0;
    bool overflow = false;
    for (const char c : text.substr(digitsStart, i - digitsStart)) {
        if (!hex && !IsDecimalDigit(c)) {
            result.status = IntegerStatus::Malformed;
            return result;
        }
        const auto digit = static_cast<unsigned>(HexDigitValue(c));
        if (magnitude > (std::numeric_limits<std::uint64_t>::max() - digit) / base)
            overflow = true;
        magnitude = magnitude * base + digit;
    }
    const std::uint64_t limit = negative ? policy.maxNegative : (hex ? policy.maxHex : policy.maxPositive);
    if (overflow || magnitude > limit) {
        result.status = IntegerStatus::OutOfRange;
        return result;
    }
    result.status = IntegerStatus::Ok;
    result.bits = negative ? 0 - magnitude : magnitude;
    return result;
}

}  // namespace norvane
