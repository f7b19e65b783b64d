#include "settings/Integer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace norvane::test {
namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

TEST(ParseInteger, StatusValueAndTokenByPolicy)
{
    struct Case {
        const char* name;
        const IntegerPolicy& policy;
        std::string text;
        IntegerStatus status;
        std::uint64_t bits;  // checked only when Ok
        const char* token;
    } cases[] = {
        {"settings: signed hex, rest ignored", kSettingsValueInteger, " \t-0x1Fz", IntegerStatus::Ok, 0 - 31ULL, "-0x1F"},
        {"settings: 0x without digit is 0", kSettingsValueInteger, "0xg", IntegerStatus::Ok, 0, "0"},
        {"settings: lone sign", kSettingsValueInteger, "-", IntegerStatus::Malformed, 0, "-"},
        {"settings: no number", kSettingsValueInteger, "abc", IntegerStatus::NoNumber, 0, ""},
        {"settings: CR is not skipped", kSettingsValueInteger, "\r5", IntegerStatus::NoNumber, 0, ""},
        {"settings: LF is not skipped", kSettingsValueInteger, "\n5", IntegerStatus::NoNumber, 0, ""},
        {"settings: largest", kSettingsValueInteger, "9223372036854775807", IntegerStatus::Ok,
         0x7FFFFFFFFFFFFFFFULL, "9223372036854775807"},
        {"settings: one past", kSettingsValueInteger, "9223372036854775808", IntegerStatus::OutOfRange, 0,
         "9223372036854775808"},
        {"settings: smallest negative", kSettingsValueInteger, "-9223372036854775807", IntegerStatus::Ok,
         0x8000000000000001ULL, "-9223372036854775807"},
        {"settings: beyond 64 bits", kSettingsValueInteger, "0x10000000000000000", IntegerStatus::OutOfRange, 0,
         "0x10000000000000000"},

        {"geometry: control bytes skipped", kGeometryInteger, "\x01\r\n $7fffffff", IntegerStatus::Ok, 0x7FFFFFFF,
         "$7fffffff"},
        {"geometry: no sign before hex", kGeometryInteger, "-0x10", IntegerStatus::Ok, 0, "-0"},
        {"geometry: sign before $", kGeometryInteger, "+$5", IntegerStatus::Malformed, 0, "+"},
        {"geometry: 0x alone", kGeometryInteger, "0x,5", IntegerStatus::Malformed, 0, "0x"},
        {"geometry: letters in decimal", kGeometryInteger, "12ab,3", IntegerStatus::Malformed, 0, "12ab"},
        {"geometry: hex spells 32 bits", kGeometryInteger, "0xFFFFFFFF", IntegerStatus::Ok, 0xFFFFFFFF,
         "0xFFFFFFFF"},
        {"geometry: hex beyond 32 bits", kGeometryInteger, "$100000000", IntegerStatus::OutOfRange, 0,
         "$100000000"},
        {"geometry: decimal beyond", kGeometryInteger, "4294967295", IntegerStatus::OutOfRange, 0, "4294967295"},
        {"geometry: smallest", kGeometryInteger, "-2147483648", IntegerStatus::Ok, 0 - 0x80000000ULL,
         "-2147483648"},
        {"geometry: below smallest", kGeometryInteger, "-2147483649", IntegerStatus::OutOfRange, 0, "-2147483649"},
        {"geometry: no number", kGeometryInteger, "x12", IntegerStatus::NoNumber, 0, ""},

        {"command line: negative wraps", kCommandLineInteger, "-5", IntegerStatus::Ok, 0 - 5ULL, "-5"},
        {"command line: CR LF skipped before", kCommandLineInteger, "\r\n7", IntegerStatus::Ok, 7, "7"},
        {"command line: trailing blank", kCommandLineInteger, "12 ", IntegerStatus::Malformed, 0, "12"},
        {"command line: no hex", kCommandLineInteger, "0x10", IntegerStatus::Malformed, 0, "0"},
        {"command line: largest", kCommandLineInteger, "18446744073709551615", IntegerStatus::Ok, kMax,
         "18446744073709551615"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto number = ParseInteger(c.text, c.policy);
        EXPECT_EQ(number.status, c.status);
        if (c.status == IntegerStatus::Ok) {
            EXPECT_EQ(number.bits, c.bits);
        }
        EXPECT_EQ(number.token, c.token);
    }
}

// The command line's numbers read exactly as strtoull reads a whole argument.
TEST(ParseInteger, CommandLineReadsAsStrtoull)
{
    const char* texts[] = {
        "0", "5", " 7", "\t\n42", "\v\f\r9", "+9", "-1", "-0", "007",
        "18446744073709551615", "18446744073709551616", "-18446744073709551615", "-18446744073709551616",
        "99999999999999999999999", "", " ", "+", "-", "+-1", "5 ", "5\n", "0x10", "12a", "1 2", "\x01" "3",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        char* end = nullptr;
        errno = 0;
        const unsigned long long expected = std::strtoull(text, &end, 10);
        const bool valid = errno == 0 && end != text && *end == '\0';
        const auto number = ParseInteger(text, kCommandLineInteger);
        EXPECT_EQ(number.status == IntegerStatus::Ok, valid);
        if (valid) {
            EXPECT_EQ(number.bits, expected);
        }
    }
}

}  // namespace
}  // namespace norvane::test
