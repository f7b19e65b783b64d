#include "engine/PartHeader.h"
#include "ShownBytes.h"

#include <gtest/gtest.h>

namespace norvane::test {

TEST(PartHeader, CollectsTheFieldsAndTheirFolds)
{
    struct Case {
        std::vector<std::string> lines;
        std::string type;
        std::string disposition;
        std::string encoding;
        bool note;
    } cases[] = {
        {{"Content-Type: application/pdf; name=a.pdf", "Content-Disposition: attachment",
          "Content-Transfer-Encoding: base64"},
         "application/pdf; name=a.pdf", "attachment", "base64", false},
        {{"Content-Type: application/pdf;", "\tname=\"a.pdf\"", " x=1"}, "application/pdf;\tname=\"a.pdf\" x=1", "", "",
         false},
        {{"content-type:text/plain", "CONTENT-DISPOSITION:  inline  ", "content-transfer-encoding:\tQuoted-Printable"},
         "text/plain", "inline", "Quoted-Printable", false},
        {{"Content-Type : text/plain", "Content-Disposition\t: attachment"}, "text/plain", "attachment", "", false},
        {{"Content-Type: a/b", "Content-Type: c/d", " continued"}, "a/b", "", "", false},
        {{"Subject: x", " folded", "Content-Type: a/b", "X-Other: 1", " not the type's"}, "a/b", "", "", false},
        {{"Content-Typeface: x", "Content-Types: y", "Content-Type"}, "", "", "", false},
        {{" Content-Type: a/b"}, "", "", "", false},
        {{"Content-Disposition: attachment", "x-norvane-removed: 3 bytes; sha256=00"}, "", "attachment", "", true},
        {{"Content-Disposition: attachment", "X-Norvane-Removed: 3 bytes", " filename=x"}, "", "attachment", "",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Joined(c.lines));
        PartHeader header;
        for (const auto& line : c.lines)
            header.PutLine(line);
        EXPECT_EQ(header.ContentType(), c.type);
        EXPECT_EQ(header.ContentDisposition(), c.disposition);
        EXPECT_EQ(header.ContentTransferEncoding(), c.encoding);
        EXPECT_EQ(header.HasRemovalNote(), c.note);
    }
}

TEST(PartHeader, LongFieldKeepsItsStart)
{
    PartHeader header;
    header.PutLine("Content-Type: application/pdf;");
    const std::string fold = "\tname*" + std::string(1000, 'x');
    for (int i = 0; i < 100; ++i)
        header.PutLine(fold);
    EXPECT_EQ(header.ContentType().size(), PartHeader::kFieldLimit);
    EXPECT_EQ(header.MediaType(), "application/pdf");
}

TEST(PartHeader, MediaType)
{
    struct Case {
        std::string type;
        std::string expected;
    } cases[] = {
        {"Application/PDF; name=x.pdf", "application/pdf"},
        {"image/jpeg", "image/jpeg"},
        {"text/plain ;charset=us-ascii", "text/plain"},
        {"text / html", "text/html"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        PartHeader header;
        header.PutLine("Content-Type: " + c.type);
        EXPECT_EQ(header.MediaType(), c.expected);
    }
}

TEST(FindParameter, FormsContinuationsAndCharsets)
{
    struct Case {
        std::string field;
        std::string name;
        bool found;
        std::string value;
        std::string charset;
        bool extended;
    } cases[] = {
        {"attachment; filename=\"a b.pdf\"", "filename", true, "a b.pdf", "", false},
        {"attachment; FILENAME=report.pdf", "filename", true, "report.pdf", "", false},
        {"attachment;filename = \"x;y.pdf\" ; size=3", "filename", true, "x;y.pdf", "", false},
        {"attachment; filename=\"a\\\"b\\\\c\"", "filename", true, "a\"b\\c", "", false},
        {"attachment; filename=\"open", "filename", true, "open", "", false},
        {"attachment; filename=my file.pdf ; size=1", "filename", true, "my file.pdf", "", false},
        {"attachment; filename=", "filename", true, "", "", false},
        {"attachment; size=1", "filename", false, "", "", false},
        {"attachment", "filename", false, "", "", false},
        {"filename=no-semicolon-before", "filename", false, "", "", false},
        {"attachment; bare; xfilename=a; filename=b", "filename", true, "b", "", false},
        {"attachment; filename=a; filename=b", "filename", true, "a", "", false},
        {"attachment; filename*=utf-8''%E5%A0%B1.pdf", "filename", true, "\xE5\xA0\xB1.pdf", "utf-8", true},
        {"attachment; Filename*=UTF-8'ja'%e5%a0%b1", "filename", true, "\xE5\xA0\xB1", "UTF-8", true},
        {"attachment; filename*=\"utf-8''%41\"", "filename", true, "A", "utf-8", true},
        {"attachment; filename*=''%41", "filename", true, "A", "", true},
        {"attachment; filename*=%41'", "filename", true, "A'", "", true},
        {"attachment; filename*=utf-8''100%;", "filename", true, "100%", "utf-8", true},
        {"attachment; filename*=utf-8''%4g%4", "filename", true, "%4g%4", "utf-8", true},
        {"attachment; filename*0*=utf-8''%E5%A0; filename*1*=%B1; filename*2=\".p%64f\"", "filename", true,
         "\xE5\xA0\xB1.p%64f", "utf-8", true},
        {"attachment; filename*1=b; filename*0=a; filename*10=d; filename*2=c", "filename", true, "abcd", "", false},
        {"attachment; filename*0=a; filename*0=x; filename*1=b", "filename", true, "ab", "", false},
        {"attachment; filename=\"fallback.pdf\"; filename*=utf-8''real.pdf", "filename", true, "real.pdf", "utf-8",
         true},
        {"attachment; filename*0=part; filename=\"fallback.pdf\"", "filename", true, "part", "", false},
        {"attachment; filename*x=bad; filename*=; filename=ok", "filename", true, "ok", "", false},
        {"attachment; filename*=utf-8''; filename*0=", "filename", true, "", "", false},
        {"attachment; filename*=utf-8''", "filename", true, "", "utf-8", true},
        {"attachment; filename*x=bad; filename*-1=bad; filename=ok", "filename", true, "ok", "", false},
        {"application/pdf; name=\"a.pdf\"", "name", true, "a.pdf", "", false},
        {"application/pdf; filename=\"a.pdf\"", "name", false, "", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        const auto p = FindParameter(c.field, c.name);
        ASSERT_EQ(p.has_value(), c.found);
        if (!p)
            continue;
        EXPECT_EQ(p->value, c.value);
        EXPECT_EQ(p->charset, c.charset);
        EXPECT_EQ(p->extended, c.extended);
    }
}

}  // namespace norvane::test
