#include "engine/HeaderKey.h"

#include <gtest/gtest.h>

namespace norvane {

TEST(IsHeaderKeyText, AcceptsOnlyLettersDigitsAndHyphen)
{
    struct Case {
        std::string text;
        bool expected;
    } cases[] = {
        {"", false},
        {"Content-Type", true},
        {"x-9", true},
        {"-", true},
        {"X_Custom", false},
        {"Sub ject", false},
        {"Subject:", false},
        {"Subject\t", false},
        {"X-\xE9t\xE9", false},
        {std::string("A\0B", 3), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsHeaderKeyText(c.text), c.expected);
    }
}

TEST(ExtractHeaderKey, BothSeparatorModes)
{
    struct Case {
        std::string line;
        bool result;
        std::string ordinaryKey;
        std::string strictKey;
    } cases[] = {
        {"Date: Mon, 1 Jan 2000 10:00:00 +0900", true, "Date", "Date"},
        {"X-Mailer:tool", true, "X-Mailer", ""},
        {"Note:see below", true, "Note", ""},
        {"received: from host", true, "", ""},
        {"From nobody Mon Jan 1 00:00:00 2000", true, "", ""},
        {"X_Custom: 1", true, "", ""},
        {"X-\xE9t\xE9: 1", true, "", ""},
        {"\x82\xA0: shift-jis first byte", true, "", ""},
        {"Subject", true, "", ""},
        {"", false, "", ""},
        {"\tcharset=iso-2022-jp", true, "", ""},
        {" Subject: x", true, "", ""},
        {"1Date: x", true, "", ""},
        {": value", true, "", ""},
        {"Subject:: x", true, "Subject", ""},
        {"Subject : x", true, "", ""},
        {"Re:Subject: x", true, "Re", ""},
        {"A: b", true, "A", "A"},
        {"X-Spam-Score: 9.9 (a:b)", true, "X-Spam-Score", "X-Spam-Score"},
        {"Subject:", true, "Subject", ""},
        {"Subject: ", true, "Subject", "Subject"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("line '" + c.line + "'");
        const HeaderKeyResult ordinary = ExtractHeaderKey(c.line, false);
        EXPECT_EQ(ordinary.result, c.result);
        EXPECT_EQ(ordinary.key, c.ordinaryKey);
        const HeaderKeyResult strict = ExtractHeaderKey(c.line, true);
        EXPECT_EQ(strict.result, c.result);
        EXPECT_EQ(strict.key, c.strictKey);
    }
}

TEST(ExtractHeaderKey, TakesALowerCaseFirstLetterWhenAsked)
{
    // Every first byte: only 'a'..'z' joins 'A'..'Z'.
    for (int first = 0; first < 256; ++first) {
        SCOPED_TRACE(first);
        const std::string line = std::string(1, static_cast<char>(first)) + "-key: value";
        const bool letter = (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z');
        const HeaderKeyResult any = ExtractHeaderKey(line, true, FirstLetter::kAnyCase);
        EXPECT_EQ(any.key, letter ? line.substr(0, 5) : "");
        EXPECT_EQ(ExtractHeaderKey(line, false, FirstLetter::kUpperCase).key,
                  first >= 'A' && first <= 'Z' ? line.substr(0, 5) : "");
    }
    struct Case {
        std::string line;
        std::string ordinaryKey;
        std::string strictKey;
    } cases[] = {
        {"x-relay-organization-scl: 1", "x-relay-organization-scl", "x-relay-organization-scl"},
        {"thread-index:AQ", "thread-index", ""},
        {"note to self: buy milk", "", ""},
        {"x_custom: 1", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(ExtractHeaderKey(c.line, false, FirstLetter::kAnyCase).key, c.ordinaryKey);
        EXPECT_EQ(ExtractHeaderKey(c.line, true, FirstLetter::kAnyCase).key, c.strictKey);
    }
}

TEST(ExtractHeaderKey, KeyPointsIntoTheLine)
{
    const std::string line = "Subject: x";
    const HeaderKeyResult r = ExtractHeaderKey(line, true);
    EXPECT_EQ(r.key.data(), line.data());
    EXPECT_EQ(r.key.size(), 7u);
}

}  // namespace norvane
