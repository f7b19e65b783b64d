#include "app/JsonWriter.h"
#include "engine/Charset.h"

#include <gtest/gtest.h>

namespace norvane::test {

TEST(JsonWriter, EscapesAndReplacesIllFormedUtf8)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::string json;
        bool valid;
    } cases[] = {
        {"plain", "a.eml", "\"a.eml\"", true},
        {"quote and backslash", "a\"b\\c", "\"a\\\"b\\\\c\"", true},
        {"line ends and tab", "a\nb\rc\td", "\"a\\nb\\rc\\td\"", true},
        {"other control bytes", std::string("\x01\x1f\x00z", 4), "\"\\u0001\\u001f\\u0000z\"", true},
        {"DEL stays", "\x7f", "\"\x7f\"", true},
        {"two, three and four bytes", "\xc3\xa9\xe3\x81\x82\xf0\x9f\x98\x80", "\"\xc3\xa9\xe3\x81\x82\xf0\x9f\x98\x80\"",
         true},
        {"a lone continuation byte", "a\x80z", "\"a\xef\xbf\xbdz\"", false},
        {"Shift-JIS", "\x83\x81\x81\x5b", "\"\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd[\"", false},
        {"a truncated sequence is one replacement", "\xe3\x81z", "\"\xef\xbf\xbdz\"", false},
        {"truncated at the end", "a\xf0\x9f\x98", "\"a\xef\xbf\xbd\"", false},
        {"overlong forms", "\xc0\xaf\xe0\x80\xaf", "\"\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\"",
         false},
        {"a surrogate", "\xed\xa0\x80", "\"\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\"", false},
        {"above U+10FFFF", "\xf4\x90\x80\x80", "\"\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\"", false},
        {"the largest code point", "\xf4\x8f\xbf\xbf", "\"\xf4\x8f\xbf\xbf\"", true},
        {"a quote after a bad byte is still escaped", "\xff\"", "\"\xef\xbf\xbd\\\"\"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(JsonString(c.bytes), c.json);
        EXPECT_EQ(IsValidUtf8(c.bytes), c.valid);
    }
}

TEST(JsonWriter, WritesOneObjectPerLineWithHexForBadBytes)
{
    struct Case {
        const char* name;
        JsonObject object;
        std::string line;
    } cases[] = {
        {"empty", JsonObject(), "{}\n"},
        {"members in order",
         JsonObject().Bytes("path", "/m/a.eml", "path_hex").Number("bytes", 12).Number("diff", -3).Text("o", "x"),
         "{\"path\": \"/m/a.eml\", \"bytes\": 12, \"diff\": -3, \"o\": \"x\"}\n"},
        {"hex only for ill-formed bytes", JsonObject().Bytes("key", "X-\xe9t\xe9", "key_hex"),
         "{\"key\": \"X-\xef\xbf\xbdt\xef\xbf\xbd\", \"key_hex\": \"582de974e9\"}\n"},
        {"a line feed is escaped, so the line stays one", JsonObject().Bytes("path", "a\nb", "path_hex"),
         "{\"path\": \"a\\nb\"}\n"},
        {"a list", JsonObject().Texts("saved", {"a", "b\"c"}).Texts("none", {}),
         "{\"saved\": [\"a\", \"b\\\"c\"], \"none\": []}\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.object.Line(), c.line);
    }
    EXPECT_EQ(HexBytes(std::string("\x00\xff\x10", 3)), "00ff10");
}

}  // namespace norvane::test
