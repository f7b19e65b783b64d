#include "engine/RemovalNote.h"
#include "engine/Sha256.h"

#include <gtest/gtest.h>

namespace norvane {

TEST(RemovalNoteLine, SizeDigestAndSavedPath)
{
    const std::string digest = Sha256Hex("abc");
    struct Case {
        std::uint64_t size;
        std::optional<std::string> saved;
        std::string lineEnd;
        std::string expected;
    } cases[] = {
        {3, std::nullopt, "\r\n", "X-Norvane-Removed: 3 bytes; sha256=" + digest + "\r\n"},
        {3, std::nullopt, "\n", "X-Norvane-Removed: 3 bytes; sha256=" + digest + "\n"},
        {0, std::nullopt, "", "X-Norvane-Removed: 0 bytes; sha256=" + digest},
        {104857600, "a.eml.attachments/report.pdf", "\r\n",
         "X-Norvane-Removed: 104857600 bytes; sha256=" + digest + "; saved=\"a.eml.attachments/report.pdf\"\r\n"},
        {18446744073709551615u, "/abs/x", "\r",
         "X-Norvane-Removed: 18446744073709551615 bytes; sha256=" + digest + "; saved=\"/abs/x\"\r"},
        {1, "d/\xE5\xA0\xB1\xE5\x91\x8A.pdf", "\r\n",
         "X-Norvane-Removed: 1 bytes; sha256=" + digest + "; saved=\"d/%E5%A0%B1%E5%91%8A.pdf\"\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(RemovalNoteLine(c.size, digest, c.saved, c.lineEnd), c.expected);
    }
}

TEST(EscapeNotePath, EscapesQuotesBackslashSemicolonPercentControlAndHighBytes)
{
    struct Case {
        std::string path;
        std::string expected;
    } cases[] = {
        {"", ""},
        {"plain-name_1.pdf", "plain-name_1.pdf"},
        {"a b/c'd=e,f%g", "a b/c'd=e,f%25g"},
        {"say \"hi\".txt", "say %22hi%22.txt"},
        {"a\\b;c", "a%5Cb%3Bc"},
        {std::string("\0\x01\t\n\r\x1F\x7F", 7), "%00%01%09%0A%0D%1F%7F"},
        {"\x80\xFF\xE9", "%80%FF%E9"},
        {" !~", " !~"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(EscapeNotePath(c.path), c.expected);
    }
    // Every byte: escaped exactly when it is one of the listed ones.
    for (int b = 0; b < 256; ++b) {
        const std::string escaped = EscapeNotePath(std::string(1, static_cast<char>(b)));
        const bool listed = b < 32 || b >= 127 || b == '"' || b == '\\' || b == ';' || b == '%';
        SCOPED_TRACE(b);
        EXPECT_EQ(escaped.size(), listed ? 3u : 1u);
    }
}

TEST(IsRemovalNoteLine, KeyInAnyCase)
{
    struct Case {
        std::string line;
        bool expected;
    } cases[] = {
        {"X-Norvane-Removed: 3 bytes; sha256=00", true},
        {"x-norvane-removed: 3 bytes", true},
        {"X-NORVANE-REMOVED:", true},
        {"X-Norvane-Removed:x", true},
        {"X-Norvane-Removed : 3 bytes", false},
        {"X-Norvane-Removed", false},
        {"X-Norvane-Removed-Other: 1", false},
        {" X-Norvane-Removed: 1", false},
        {"\tX-Norvane-Removed: 1", false},
        {"X-Norvane-Remove: 1", false},
        {"Content-Type: text/plain", false},
        {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(IsRemovalNoteLine(c.line), c.expected);
    }
    // The note a run writes is recognised by the next run.
    EXPECT_TRUE(IsRemovalNoteLine(RemovalNoteLine(1, Sha256Hex("x"), "p", "")));
}

}  // namespace norvane
