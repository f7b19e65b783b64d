#include "engine/Charset.h"
#include "ShownBytes.h"

#include <clocale>

#include <gtest/gtest.h>

namespace norvane::test {

namespace {

std::string ShownOptional(const std::optional<std::string>& text)
{
    return text ? Shown(*text) : "(none)";
}

}  // namespace

TEST(ToUtf8, CharsetsAndBadBytes)
{
    struct Case {
        std::string text;
        std::string charset;
        std::optional<std::string> expected;
    } cases[] = {
        {"\x83\x65\x83\x58\x83\x67", "Shift_JIS", "テスト"},
        {"\x87\x40\x81\x60", "shift_jis", "①～"},
        {"\x87\x40", "CP932", "①"},
        {"\x1b$B%F%9%H\x1b(B.pdf", "ISO-2022-JP", "テスト.pdf"},
        {"\x1b$B-!\x1b(B", "iso-2022-jp", "①"},
        {"\x1b(I1\x1b(Bx", "ISO-2022-JP", "ｱx"},
        {"\x1b$B%F%", "ISO-2022-JP", "テ_"},
        {"a\x1b$Zb", "ISO-2022-JP", "a_$Zb"},
        {"a\xA4\xA2", "ISO-2022-JP", "a_"},
        {"\xA5\xC6", "euc-jp", "テ"},
        {"caf\xE9", "ISO-8859-1", "café"},
        {"caf\xC3\xA9", "utf-8", "café"},
        {"a\xFF\xFE" "b", "UTF-8", "a_b"},
        {"a\xFF" "b\xFF" "c", "UTF-8", "a_b_c"},
        {"ab\xE3\x81", "UTF-8", "ab_"},
        {"\x83", "Shift_JIS", "_"},
        {"", "UTF-8", ""},
        {"abc", "x-unknown", std::nullopt},
        {"abc", "", std::nullopt},
        {"abc", "UTF-8//IGNORE", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.charset + " " + Shown(c.text));
        EXPECT_EQ(ShownOptional(ToUtf8(c.text, c.charset)), ShownOptional(c.expected));
    }
}

TEST(FromUtf8, OnlyWhatTheCharsetHolds)
{
    struct Case {
        std::string utf8;
        std::string charset;
        std::optional<std::string> expected;
    } cases[] = {
        {"テスト", "SHIFT_JIS", "\x83\x65\x83\x58\x83\x67"},
        {"テスト", "EUC-JP", "\xA5\xC6\xA5\xB9\xA5\xC8"},
        {"café", "ISO-8859-1", "caf\xE9"},
        {"テ", "ISO-8859-1", std::nullopt},
        {"a😀", "EUC-JP", std::nullopt},
        {"テ", "UTF-8", "テ"},
        {"テスト", "ISO-2022-JP", "\x1b$B%F%9%H\x1b(B"},
        {"x", "nonsense", std::nullopt},
        {"", "EUC-JP", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.charset + " " + c.utf8);
        EXPECT_EQ(ShownOptional(FromUtf8(c.utf8, c.charset)), ShownOptional(c.expected));
    }
}

TEST(CharacterStarts, ByCharset)
{
    struct Case {
        std::string text;
        std::string charset;
        std::vector<std::size_t> expected;
    } cases[] = {
        {"", "UTF-8", {}},
        {"a\xE3\x83\x86" "b", "UTF-8", {0, 1, 4}},
        {"a\xFF\xE3\x81", "UTF-8", {0, 1, 2, 3}},
        {"\xF0\x9F\x98\x80!", "utf8", {0, 4}},
        // The second byte of this Shift_JIS character is "\".
        {"\x95\x5C" "a\\", "SHIFT_JIS", {0, 2, 3}},
        {"\xFF" "a", "SHIFT_JIS", {0, 1}},
        {"\xA5\xC6x", "EUC-JP", {0, 2}},
        {"\xA5\xC6x", "", {0, 1, 2}},
        {"\xA5\xC6x", "nonsense", {0, 1, 2}},
        {"caf\xE9", "ISO-8859-1", {0, 1, 2, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.charset + " " + Shown(c.text));
        EXPECT_EQ(CharacterStarts(c.text, c.charset), c.expected);
    }
}

TEST(IsValidUtf8, RejectsOverlongSurrogatesAndOutOfRange)
{
    struct Case {
        std::string text;
        bool expected;
    } cases[] = {
        {"", true},
        {"plain", true},
        {"テスト", true},
        {"\xF0\x9F\x98\x80", true},
        {"\xF4\x8F\xBF\xBF", true},
        {"\xC0\xAF", false},
        {"\xE0\x80\xAF", false},
        {"\xED\xA0\x80", false},
        {"\xF4\x90\x80\x80", false},
        {"\xE3\x83", false},
        {"\x83\x65", false},
        {"\xFF", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Shown(c.text));
        EXPECT_EQ(IsValidUtf8(c.text), c.expected);
    }
}

TEST(FileNameCharset, AsciiLocalesWriteUtf8)
{
    const std::string saved = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C"), nullptr);
    EXPECT_EQ(FileNameCharset(), "UTF-8");
    if (std::setlocale(LC_CTYPE, "C.UTF-8")) {
        EXPECT_EQ(FileNameCharset(), "UTF-8");
    }
    std::setlocale(LC_CTYPE, saved.c_str());
}

}  // namespace norvane::test
