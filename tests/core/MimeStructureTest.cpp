#include "engine/MimeStructure.h"
#include "MailLines.h"

#include <gtest/gtest.h>

namespace norvane::test {

namespace {

// One mark per line: 'm' a message header line, 'p' a part header line, '.'
// any other line; '#' any line inside a signed or encrypted entity, 'P' a
// part header line there; '!' the empty line after which a protected body
// begins (itself outside it).
std::string Marks(std::string_view text)
{
    MimeTracker tracker;
    std::string marks;
    for (const auto& line : Lines(text)) {
        const MimeLine m = tracker.Next(line);
        char mark = '.';
        if (m.block == HeaderBlock::kMessage)
            mark = m.inProtected ? 'M' : 'm';
        else if (m.block == HeaderBlock::kPart)
            mark = m.inProtected ? 'P' : 'p';
        else if (m.inProtected)
            mark = '#';
        else if (m.opensProtected)
            mark = '!';
        marks += mark;
    }
    return marks;
}

struct Case {
    const char* name;
    const char* text;
    const char* marks;
};

void RunCases(const std::vector<Case>& cases)
{
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Marks(c.text), c.marks) << c.text;
    }
}

}  // namespace

TEST(MimeTracker, FindsHeaderBlocks)
{
    RunCases({
        {"the first block", "Subject: s\nto: t\n\nbody\nx-a: b", "mm..."},
        {"first line empty", "\nSubject: s", ".."},
        {"every message of an mbox", "From a\nx: 1\n\nbody\n\nFrom b\ny: 2\n\nFrom c", "mm....m.."},
        {"a From line must follow an empty line", "From a\nx: 1\n\nbody\nFrom b\ny: 2", "mm...."},
        {"a file that does not begin with From is one message", "x: 1\n\nbody\n\nFrom b\ny: 2", "m....."},
        {"parts of any multipart type, boundary folded and in any case",
         "Content-type: Multipart/Alternative;\n\tBOUNDARY=\"a b\"\n\npreamble\n--a b\ncontent-type: text/plain\n"
         "\nbody\n--a b  \nx: 1\n\n--a b--\nepilogue",
         "mm...p...p..."},
        {"nested boundaries, the outer one closes the inner parts",
         "Content-Type: multipart/mixed; boundary=out\n\n--out\nContent-Type: multipart/related; boundary=in\n\n"
         "--in\na: 1\n\n--out\nb: 2\n\nbody\n--out--",
         "m..p..p..p..."},
        {"a delimiter of another boundary, or one with more text, opens nothing",
         "Content-Type: multipart/mixed; boundary=b\n\n--c\nx: 1\n--bb\ny: 2\n--b x\n--b\nz: 3",
         "m.......p"},
        {"a delimiter ends a part header without body",
         "Content-Type: multipart/mixed; boundary=b\n\n--b\nx: 1\n--b\ny: 2", "m..p.p"},
        {"after the closing delimiter its delimiters open nothing",
         "Content-Type: multipart/mixed; boundary=b\n\n--b--\n--b\nx: 1", "m...."},
        {"a multipart without boundary has no parts", "Content-Type: multipart/mixed\n\n--\nx: 1", "m..."},
        {"a boundary ends with the next message",
         "From a\nContent-Type: multipart/mixed; boundary=b\n\n\nFrom c\nx: 1\n\n--b\ny: 2", "mm...m..."},
    });
}

TEST(MimeTracker, FindsSignedAndEncryptedEntities)
{
    RunCases({
        {"the whole message signed",
         "Content-Type: multipart/signed; boundary=s; protocol=x\n\n--s\nContent-Type: text/plain\n\n\n\ntext\n"
         "--s\nContent-Type: application/pkcs7-signature\n\nMIIB\n--s--\n\n",
         "m!#P#####P#####"},
        {"encrypted, in any case, folded",
         "Content-Type: Multipart/ENCRYPTED;\n boundary=\"e\"\n\n--e\nv: 1\n\n--e\n\nQUFB\n--e--",
         "mm!#P#####"},
        {"pkcs7-mime and x-pkcs7-mime",
         "Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: application/pkcs7-mime\n\nQUFB\n\n"
         "--b\nContent-Type: application/x-pkcs7-mime;\n name=smime.p7m\n\nQkJC\n--b\nc: 1\n\nplain\n--b--",
         "m..p!##.pp!#.p..."},
        {"a signed part inside multipart/mixed, the parts after it outside",
         "Content-Type: multipart/mixed; boundary=out\n\n--out\nContent-Type: multipart/signed; boundary=in\n\n"
         "--in\nContent-Type: multipart/mixed; boundary=deep\n\n--deep\nd: 1\n\nx\n--deep--\n--in--\nepilogue\n"
         "--out\nContent-Disposition: attachment\n\nQUFB\n--out--",
         "m..p!#P##P#####.p..."},
        {"a message of an mbox", "From a\nContent-Type: application/pkcs7-mime\n\nQUFB\n\nFrom b\nx: 1\n\nplain",
         "mm!##.m.."},
        {"other types are not protected", "Content-Type: multipart/signedx; boundary=b\n\n--b\nx: 1\n\nbody",
         "m..p.."},
    });
}

TEST(MimeTracker, BoundsTheDepthAndTheBoundary)
{
    std::string text;
    for (std::size_t depth = 0; depth < MimeTracker::kMaxDepth; ++depth)
        text += "Content-Type: multipart/mixed; boundary=b" + std::to_string(depth) + "\n\n--b" +
                std::to_string(depth) + "\n";
    text += "Content-Type: multipart/signed; boundary=deep\n\n--deep\nx: 1\n--b0\ny: 2";
    // Past the depth a multipart is read as a body without parts; a
    // protected type there still protects it, up to a delimiter further out.
    const std::string marks = Marks(text);
    EXPECT_EQ(marks.substr(marks.size() - 6), "p!##.p");

    const std::string longBoundary(MimeTracker::kMaxBoundary + 1, 'x');
    EXPECT_EQ(Marks("Content-Type: multipart/mixed; boundary=" + longBoundary + "\n\n--" + longBoundary + "\nx: 1"),
              "m...");
    const std::string boundary(MimeTracker::kMaxBoundary, 'x');
    EXPECT_EQ(Marks("Content-Type: multipart/mixed; boundary=" + boundary + "\n\n--" + boundary + "\nx: 1"),
              "m..p");
}

}  // namespace norvane::test
