#include "engine/Charset.h"
#include "engine/SafeName.h"
#include "ShownBytes.h"

#include <set>

#include <gtest/gtest.h>

namespace norvane::test {

namespace {

std::string Repeat(std::string_view piece, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

const std::string kA = "\xE3\x81\x82";          // あ, 3 bytes in UTF-8
const std::string kSmile = "\xF0\x9F\x98\x80";  // 4 bytes in UTF-8
const std::string kTeEucJp = "\xA5\xC6";        // テ in EUC-JP
const std::string kHyoSjis = "\x95\x5C";        // 表 in Shift_JIS: its second byte is "\"

}  // namespace

TEST(SafeFileName, PathsDotsDashesAndControlBytes)
{
    struct Case {
        std::string name;
        std::string charset;
        std::string expected;
    } cases[] = {
        {"report.pdf", "UTF-8", "report.pdf"},
        {"ok name (1).pdf", "UTF-8", "ok name (1).pdf"},
        {"../x", "UTF-8", "x"},
        {"/etc/passwd", "UTF-8", "passwd"},
        {"a/../b", "UTF-8", "b"},
        {"C:\\Users\\me\\evil.exe", "UTF-8", "evil.exe"},
        {"..\\..\\x.txt", "UTF-8", "x.txt"},
        {"dir/", "UTF-8", ""},
        {"../", "UTF-8", ""},
        {".bashrc", "UTF-8", "bashrc"},
        {"-rf", "UTF-8", "rf"},
        {"--.-x-.", "UTF-8", "x-."},
        {"  - .hidden  ", "UTF-8", "hidden"},
        {".", "UTF-8", ""},
        {"..", "UTF-8", ""},
        {"", "UTF-8", ""},
        {"   ", "UTF-8", ""},
        {std::string("a\0b.txt", 7), "UTF-8", "a_b.txt"},
        {std::string("\0", 1), "UTF-8", "_"},
        {"a\tb\x1F\x7F.txt", "UTF-8", "a_b__.txt"},
        {"\n.bashrc", "UTF-8", "_.bashrc"},
        {"x/\r\n", "UTF-8", "__"},
        {"\xE5\xA0\xB1.pdf", "UTF-8", "\xE5\xA0\xB1.pdf"},
        {"caf\xE9.txt", "ISO-8859-1", "caf\xE9.txt"},
        // In Shift_JIS that "\" is half of a character, not a separator.
        {"x/" + kHyoSjis + ".pdf", "SHIFT_JIS", kHyoSjis + ".pdf"},
        {kHyoSjis + ".pdf", "UTF-8", "pdf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Shown(c.name) + " in " + c.charset);
        EXPECT_EQ(Shown(SafeFileName(c.name, c.charset)), Shown(c.expected));
    }
}

TEST(SafeFileName, LongNamesShortenedAtCharacterBoundaries)
{
    struct Case {
        std::string name;
        std::string charset;
        std::size_t nameMax;
        std::string expected;
    } cases[] = {
        {std::string(255, 'a'), "UTF-8", 255, std::string(255, 'a')},
        {std::string(256, 'a'), "UTF-8", 255, std::string(255, 'a')},
        {std::string(300, 'a'), "UTF-8", 255, std::string(255, 'a')},
        {std::string(300, 'a') + ".pdf", "UTF-8", 255, std::string(251, 'a') + ".pdf"},
        {std::string(300, 'a') + ".pdf", "UTF-8", 100, std::string(96, 'a') + ".pdf"},
        {std::string(300, 'a') + ".pdf", "UTF-8", 10, std::string(kMinNameMax - 4, 'a') + ".pdf"},
        {Repeat(kA, 100), "UTF-8", 255, Repeat(kA, 85)},
        {Repeat(kA, 100) + ".pdf", "UTF-8", 255, Repeat(kA, 83) + ".pdf"},
        {Repeat(kSmile, 80), "UTF-8", 255, Repeat(kSmile, 63)},
        {Repeat(kA, 90) + "." + Repeat(kA, 3), "UTF-8", 255, Repeat(kA, 81) + "." + Repeat(kA, 3)},
        {Repeat(kTeEucJp, 200) + ".txt", "EUC-JP", 255, Repeat(kTeEucJp, 125) + ".txt"},
        {"a" + Repeat(kTeEucJp, 200), "EUC-JP", 255, "a" + Repeat(kTeEucJp, 127)},
        {Repeat(kHyoSjis, 200), "SHIFT_JIS", 255, Repeat(kHyoSjis, 127)},
        // Too long to be an extension: cut like the rest.
        {"a." + std::string(300, 'b'), "UTF-8", 255, "a." + std::string(253, 'b')},
        {std::string(300, 'a') + "." + std::string(33, 'x'), "UTF-8", 255, std::string(255, 'a')},
        {std::string(300, 'a') + "." + std::string(31, 'x'), "UTF-8", 255,
         std::string(223, 'a') + "." + std::string(31, 'x')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.name.size()) + " bytes in " + c.charset + ", limit " +
                     std::to_string(c.nameMax));
        const std::string safe = SafeFileName(c.name, c.charset, c.nameMax);
        EXPECT_EQ(Shown(safe), Shown(c.expected));
        EXPECT_LE(safe.size(), std::max(c.nameMax, kMinNameMax));
        if (c.charset == "UTF-8") {
            EXPECT_TRUE(IsValidUtf8(safe));
        }
    }
}

TEST(MediaTypeExtension, WellKnownTypesOnly)
{
    struct Case {
        std::string type;
        std::string expected;
    } cases[] = {
        {"application/pdf", ".pdf"},
        {"image/jpeg", ".jpg"},
        {"image/png", ".png"},
        {"image/gif", ".gif"},
        {"text/plain", ".txt"},
        {"text/html", ".html"},
        {"application/zip", ".zip"},
        {"application/msword", ".doc"},
        {"application/vnd.openxmlformats-officedocument.wordprocessingml.document", ".docx"},
        {"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet", ".xlsx"},
        {"application/vnd.openxmlformats-officedocument.presentationml.presentation", ".pptx"},
        {"message/rfc822", ".eml"},
        {"text/calendar", ".ics"},
        {"IMAGE/JPEG", ".jpg"},
        {"application/octet-stream", ""},
        {"application/x-unheard-of", ""},
        {"text/plai", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(MediaTypeExtension(c.type), c.expected);
    }
}

TEST(PartFileName, SafeNameNumberOrEncodedSuffix)
{
    struct Case {
        FileName decoded;
        int number;
        std::string type;
        bool known;
        std::string expected;
    } cases[] = {
        {{"../report.pdf", "UTF-8"}, 1, "application/pdf", true, "report.pdf"},
        {{"", "UTF-8"}, 3, "image/png", true, "attachment-3.png"},
        {{"...", "UTF-8"}, 4, "application/pdf", true, "attachment-4.pdf"},
        {{"", "UTF-8"}, 12, "application/octet-stream", true, "attachment-12"},
        {{"", "UTF-8"}, 5, "", true, "attachment-5"},
        {{"report.pdf", "UTF-8"}, 1, "application/pdf", false, "report.pdf.encoded"},
        {{"", "UTF-8"}, 2, "application/pdf", false, "attachment-2.pdf.encoded"},
        {{std::string(300, 'a') + ".pdf", "UTF-8"}, 1, "application/pdf", false,
         std::string(243, 'a') + ".pdf.encoded"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.decoded.name.substr(0, 20) + " #" + std::to_string(c.number));
        EXPECT_EQ(PartFileName(c.decoded, c.number, c.type, c.known), c.expected);
    }
}

TEST(NumberedName, NumberBeforeTheExtension)
{
    struct Case {
        std::string name;
        int number;
        std::string charset;
        std::string expected;
    } cases[] = {
        {"report.pdf", 2, "UTF-8", "report-2.pdf"},
        {"report", 3, "UTF-8", "report-3"},
        {"archive.tar.gz", 2, "UTF-8", "archive.tar-2.gz"},
        {"a.pdf.encoded", 2, "UTF-8", "a.pdf-2.encoded"},
        {"a." + std::string(40, 'b'), 2, "UTF-8", "a." + std::string(40, 'b') + "-2"},
        {std::string(251, 'a') + ".pdf", 2, "UTF-8", std::string(249, 'a') + "-2.pdf"},
        {std::string(251, 'a') + ".pdf", 100000, "UTF-8", std::string(244, 'a') + "-100000.pdf"},
        {std::string(255, 'a'), 10, "UTF-8", std::string(252, 'a') + "-10"},
        {Repeat(kA, 83) + ".pdf", 2, "UTF-8", Repeat(kA, 83) + "-2.pdf"},
        {Repeat(kA, 83) + ".pdf", 100, "UTF-8", Repeat(kA, 82) + "-100.pdf"},
        {Repeat(kTeEucJp, 125) + ".txt", 2, "EUC-JP", Repeat(kTeEucJp, 124) + "-2.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.substr(0, 20) + " " + std::to_string(c.number));
        const std::string numbered = NumberedName(c.name, c.number, c.charset);
        EXPECT_EQ(Shown(numbered), Shown(c.expected));
        EXPECT_LE(numbered.size(), kNameMax);
    }
}

TEST(FirstFreeName, DuplicatesNumberedInTurn)
{
    struct Case {
        std::string name;
        std::set<std::string, std::less<>> taken;
        std::string expected;
    } cases[] = {
        {"report.pdf", {}, "report.pdf"},
        {"report.pdf", {"report.pdf"}, "report-2.pdf"},
        {"report.pdf", {"report.pdf", "report-2.pdf"}, "report-3.pdf"},
        {"report.pdf", {"report.pdf", "report-3.pdf"}, "report-2.pdf"},
        {"report.pdf", {"report-2.pdf"}, "report.pdf"},
        {"README", {"README", "README-2"}, "README-3"},
        {std::string(255, 'x'), {std::string(255, 'x')}, std::string(253, 'x') + "-2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.substr(0, 20));
        const auto taken = [&](std::string_view n) { return c.taken.count(n) > 0; };
        EXPECT_EQ(FirstFreeName(c.name, taken, "UTF-8"), c.expected);
    }

    // Saving the same name three times in one folder.
    std::set<std::string, std::less<>> folder;
    const auto inFolder = [&](std::string_view n) { return folder.count(n) > 0; };
    for (int i = 0; i < 3; ++i)
        folder.insert(FirstFreeName("report.pdf", inFolder, "UTF-8"));
    EXPECT_EQ(folder, (std::set<std::string, std::less<>>{"report-2.pdf", "report-3.pdf", "report.pdf"}));

    int asked = 0;
    const auto allTaken = [&](std::string_view) {
        ++asked;
        return true;
    };
    EXPECT_EQ(FirstFreeName("x.pdf", allTaken, "UTF-8"), "");
    EXPECT_EQ(asked, kMaxNameNumber);
}

}  // namespace norvane::test
