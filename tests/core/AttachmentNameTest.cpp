#include "engine/AttachmentName.h"
#include "ShownBytes.h"

#include <gtest/gtest.h>

namespace norvane::test {

namespace {

// 報告書 in UTF-8 and in EUC-JP.
const std::string kReport = "\xE5\xA0\xB1\xE5\x91\x8A\xE6\x9B\xB8";
const std::string kReportEucJp = "\xCA\xF3\xB9\xF0\xBD\xF1";

FileName NameOf(const std::vector<std::string>& lines, std::string_view target)
{
    PartHeader header;
    for (const auto& line : lines)
        header.PutLine(line);
    return AttachmentFileName(header, target);
}

struct Case {
    std::vector<std::string> lines;
    std::string expected;
};

void CheckUtf8(const std::vector<Case>& cases)
{
    for (const auto& c : cases) {
        SCOPED_TRACE(Joined(c.lines));
        const FileName name = NameOf(c.lines, "UTF-8");
        EXPECT_EQ(name.name, c.expected);
        EXPECT_EQ(name.charset, "UTF-8");
    }
}

}  // namespace

TEST(AttachmentFileName, WhereTheNameComesFrom)
{
    CheckUtf8({
        {{"Content-Type: application/pdf", "Content-Disposition: attachment; filename=\"a.pdf\""}, "a.pdf"},
        {{"Content-Type: application/pdf; name=\"b.pdf\"", "Content-Disposition: attachment"}, "b.pdf"},
        {{"Content-Type: application/pdf; name=b.pdf", "Content-Disposition: attachment; filename=a.pdf"}, "a.pdf"},
        {{"Content-Type: application/pdf; name=b.pdf", "Content-Disposition: attachment; filename=\"\""}, "b.pdf"},
        {{"CONTENT-DISPOSITION: ATTACHMENT; FILENAME=\"C.PDF\""}, "C.PDF"},
        {{"Content-Disposition: attachment;", "\tfilename=\"folded.pdf\""}, "folded.pdf"},
        {{"Content-Disposition: attachment; size=3"}, ""},
        {{"Content-Type: application/octet-stream"}, ""},
        {{}, ""},
    });
}

TEST(AttachmentFileName, ContinuationsAndCharsets)
{
    CheckUtf8({
        {{"Content-Disposition: attachment; filename*=utf-8''%E5%A0%B1%E5%91%8A%E6%9B%B8.pdf"}, kReport + ".pdf"},
        {{"Content-Disposition: attachment; filename*=UTF-8'ja'%E5%A0%B1%E5%91%8A%E6%9B%B8"}, kReport},
        {{"Content-Disposition: attachment; filename*=Shift_JIS''%95%F1%8D%90%8F%91.pdf"}, kReport + ".pdf"},
        {{"Content-Disposition: attachment;", " filename*0*=utf-8''%E5%A0%B1%E5%91;",
          " filename*1*=%8A%E6%9B%B8; filename*2=\".pdf\""},
         kReport + ".pdf"},
        {{"Content-Disposition: attachment; filename*1=\"-part2.txt\";", "\tFILENAME*0=\"part1\""},
         "part1-part2.txt"},
        {{"Content-Disposition: attachment; filename=\"old.pdf\"; filename*=utf-8''new.pdf"}, "new.pdf"},
        {{"Content-Type: text/plain; NAME*=iso-8859-1''caf%E9.txt"}, "caf\xC3\xA9.txt"},
    });
}

TEST(AttachmentFileName, EncodedWords)
{
    CheckUtf8({
        {{"Content-Disposition: attachment; filename=\"=?UTF-8?B?5aCx5ZGK5pu4?=.pdf\""}, kReport + ".pdf"},
        {{"Content-Disposition: attachment; filename=\"=?utf-8?b?5aCx5ZGK5pu4?=\""}, kReport},
        {{"Content-Disposition: attachment; filename=\"=?UTF-8?Q?=E5=A0=B1=e5=91=8a=E6=9B=B8.pdf?=\""},
         kReport + ".pdf"},
        {{"Content-Disposition: attachment; filename=\"=?utf-8?q?my_file?=.txt\""}, "my file.txt"},
        {{"Content-Disposition: attachment; filename=\"=?ISO-2022-JP?B?GyRCSnM5cD1xGyhC?=.pdf\""}, kReport + ".pdf"},
        {{"Content-Disposition: attachment; filename=\"=?iso-2022-jp?B?GyRCLSEbKEI=?=\""}, "\xE2\x91\xA0"},
        {{"Content-Disposition: attachment; filename=\"=?Shift_JIS?B?lfGNkI+R?=.pdf\""}, kReport + ".pdf"},
        {{"Content-Disposition: attachment; filename=\"=?shift_jis?B?h0AucGRm?=\""}, "\xE2\x91\xA0.pdf"},
        {{"Content-Disposition: attachment; filename=\"=?UTF-8*ja?Q?=E5=A0=B1?=\""}, "\xE5\xA0\xB1"},
        // A character split between two words, the words on two lines.
        {{"Content-Type: application/pdf; name=\"=?UTF-8?B?5aCx5Q==?=", "\t=?UTF-8?B?kYrmm7g=?=.pdf\""},
         kReport + ".pdf"},
        {{"Content-Type: application/pdf; name=\"=?UTF-8?Q?a?=  \t =?ISO-2022-JP?B?GyRCSnM5cD1xGyhC?=\""},
         "a" + kReport},
        {{"Content-Type: application/pdf; name=\"=?UTF-8?Q?a?= b =?UTF-8?Q?c?=\""}, "a b c"},
        {{"Content-Type: application/pdf; name=\"x =?UTF-8?Q?y?=.pdf\""}, "x y.pdf"},
        {{"Content-Type: application/pdf; name==?UTF-8?B?5aCx5ZGK5pu4?="}, kReport},
        {{"Content-Type: application/pdf; name=\"=?UTF-8?Q?" "?=\""}, ""},
    });
}

TEST(AttachmentFileName, BrokenEncodingsKeptAsSensiblyAsPossible)
{
    CheckUtf8({
        // Invalid base64 and unknown charsets: the word as written.
        {{"Content-Disposition: attachment; filename=\"=?UTF-8?B?5aC*x?=.pdf\""}, "=?UTF-8?B?5aC*x?=.pdf"},
        {{"Content-Disposition: attachment; filename=\"=?UTF-8?B?5aCx5?=\""}, "=?UTF-8?B?5aCx5?="},
        {{"Content-Disposition: attachment; filename=\"=?x-nonsense?B?5aCx?= =?UTF-8?Q?a?=\""},
         "=?x-nonsense?B?5aCx?= a"},
        {{"Content-Disposition: attachment; filename=\"=?UTF-8?X?abc?=\""}, "=?UTF-8?X?abc?="},
        {{"Content-Disposition: attachment; filename=\"=?UTF-8?B?5aCx\""}, "=?UTF-8?B?5aCx"},
        {{"Content-Disposition: attachment; filename=\"=? UTF-8?Q?a?=\""}, "=? UTF-8?Q?a?="},
        // Bytes not valid in their charset: one "_" per run.
        {{"Content-Disposition: attachment; filename=\"=?UTF-8?B?/w==?=.pdf\""}, "_.pdf"},
        {{"Content-Disposition: attachment; filename=\"=?UTF-8?Q?a=FF=FEb=E5=A0?=\""}, "a_b_"},
        {{"Content-Disposition: attachment; filename*=utf-8''a%FF%FEb"}, "a_b"},
        {{"Content-Disposition: attachment; filename=\"=?ISO-2022-JP?B?GyRCSnM5?=\""}, "\xE5\xA0\xB1_"},
        // Unknown or missing charset of an extended value: its bytes as they are.
        {{"Content-Disposition: attachment; filename*=x-nonsense''%41%42.txt"}, "AB.txt"},
        {{"Content-Disposition: attachment; filename*=''%E5%A0%B1.txt"}, "\xE5\xA0\xB1.txt"},
        // Undeclared 8-bit text stays byte for byte.
        {{"Content-Disposition: attachment; filename=\"\x95\xF1.pdf\""}, "\x95\xF1.pdf"},
        {{"Content-Disposition: attachment; filename=\"" + kReport + ".pdf\""}, kReport + ".pdf"},
    });
}

TEST(AttachmentFileName, ConvertedToTheTargetCharset)
{
    struct Row {
        std::vector<std::string> lines;
        std::string target;
        std::string name;
        std::string charset;
    } rows[] = {
        {{"Content-Disposition: attachment; filename=\"=?UTF-8?B?5aCx5ZGK5pu4?=.pdf\""}, "EUC-JP",
         kReportEucJp + ".pdf", "EUC-JP"},
        {{"Content-Disposition: attachment; filename*=Shift_JIS''%95%F1%8D%90%8F%91"}, "EUC-JP", kReportEucJp,
         "EUC-JP"},
        {{"Content-Disposition: attachment; filename=\"=?UTF-8?Q?caf=C3=A9?=.txt\""}, "ISO-8859-1", "caf\xE9.txt",
         "ISO-8859-1"},
        // The target cannot hold it: UTF-8 instead.
        {{"Content-Disposition: attachment; filename=\"=?UTF-8?B?5aCx5ZGK5pu4?=.pdf\""}, "ISO-8859-1",
         kReport + ".pdf", "UTF-8"},
        // Undeclared bytes go as they are, into either.
        {{"Content-Disposition: attachment; filename=\"\xCA\xF3=?UTF-8?Q?caf=C3=A9?=\""}, "ISO-8859-1",
         "\xCA\xF3" "caf\xE9", "ISO-8859-1"},
        {{"Content-Disposition: attachment; filename=\"\xCA\xF3=?UTF-8?B?5aCx?=\""}, "ISO-8859-1",
         "\xCA\xF3\xE5\xA0\xB1", "UTF-8"},
        {{"Content-Disposition: attachment; filename=\"a.pdf\""}, "", "a.pdf", "UTF-8"},
        {{"Content-Disposition: attachment"}, "EUC-JP", "", "EUC-JP"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(Joined(r.lines) + " to " + r.target);
        const FileName name = NameOf(r.lines, r.target);
        EXPECT_EQ(name.name, r.name);
        EXPECT_EQ(name.charset, r.charset);
    }
}

}  // namespace norvane::test
