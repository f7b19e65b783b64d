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

TEST(FindAsciiNoCase, MatchesLettersInEitherCaseOnly)
{
    struct Case {
        std::string_view text;
        std::string_view word;
        std::size_t at;
    };
    const Case cases[] = {
        {"\tCharSet=x", "charset=", 1},
        {"format=flowed; CHARSET=y; charset=z", "charset=", 15},
        {"charset-x", "charset=", std::string_view::npos},
        {"chars", "charset=", std::string_view::npos},
        {"@[`{", "`[@{", std::string_view::npos},  // next to the letter ranges
        {"\xE3\xC3", "\xC3", 1},                   // high bytes match only themselves
        {"\xE3", "\xC3", std::string_view::npos},
        {"abc", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + std::string(c.word));
        EXPECT_EQ(FindAsciiNoCase(c.text, c.word), c.at);
        EXPECT_EQ(StartsWithAsciiNoCase(c.text, c.word), c.at == 0);
    }
}

TEST(AsciiNoCaseHash, FoldsExactlyTheCapitalsAtEveryPlaceOfAWord)
{
    const AsciiNoCaseHash hash;
    // Each byte value at each of the places of two words and a tail.
    for (std::size_t at = 0; at < 19; ++at) {
        for (int b = 0; b < 256; ++b) {
            std::string text(19, 'k');
            text[at] = static_cast<char>(b);
            std::string folded = text;
            folded[at] = FoldAscii(folded[at]);
            std::string flipped = text;
            flipped[at] = static_cast<char>(b ^ 0x20);
            const bool letter = (b | 0x20) >= 'a' && (b | 0x20) <= 'z';
            ASSERT_EQ(hash(text), hash(folded)) << at << " " << b;
            ASSERT_EQ(hash(text) == hash(flipped), letter) << at << " " << b;
            ASSERT_EQ(hash(text.substr(0, at + 1)) == hash(flipped.substr(0, at + 1)), letter) << at << " " << b;
        }
    }
    EXPECT_NE(hash("ab"), hash(std::string_view("ab\0", 3)));
}

}  // namespace
}  // namespace norvane
