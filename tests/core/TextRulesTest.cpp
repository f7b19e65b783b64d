#include "engine/TextRules.h"

#include <gtest/gtest.h>

namespace norvane {
namespace {

TEST(LowerAscii, FoldsOnlyAsciiCapitals)
{
    struct Case {
        std::string_view text;
        std::string_view expected;
    };
    const Case cases[] = {
        {"", ""},
        {"X-Mailer", "x-mailer"},
        {"AZaz09-", "azaz09-"},
        {"@[`{", "@[`{"},                          // next to the letter ranges
        {"\xC1\xDA\x81\x41", "\xC1\xDA\x81\x61"},  // high bytes are never letters
        {std::string_view("A\0B", 3), std::string_view("a\0b", 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text));
        EXPECT_EQ(LowerAscii(c.text), c.expected);
    }
}

}  // namespace
}  // namespace norvane
