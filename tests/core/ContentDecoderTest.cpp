#include "engine/ContentDecoder.h"
#include "engine/FileIo.h"
#include "MailLines.h"
#include "TestFiles.h"
#include "ShownBytes.h"

#include <random>

namespace norvane::test {

namespace {

std::string Decode(TransferEncoding encoding, const std::vector<std::string>& lines)
{
    StringByteSink sink;
    ContentDecoder decoder(encoding, sink);
    for (const auto& line : lines)
        decoder.PutLine(line);
    decoder.Finish();
    EXPECT_EQ(decoder.DecodedSize(), sink.text.size());
    return sink.text;
}

struct Case {
    std::vector<std::string> lines;
    std::string expected;
};

void Check(TransferEncoding encoding, const std::vector<Case>& cases)
{
    for (const auto& c : cases) {
        SCOPED_TRACE(Joined(c.lines));
        EXPECT_EQ(Shown(Decode(encoding, c.lines)), Shown(c.expected));
    }
}

std::string RandomBytes(std::size_t size, std::mt19937& rng)
{
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(byte(rng));
    return bytes;
}

// Random text without CR: printable, 8-bit, blanks and TABs (also at line
// ends), one line of every length from 0 to 200 in random order.
std::string RandomText(std::mt19937& rng, bool finalLf)
{
    std::vector<std::size_t> lengths(201);
    for (std::size_t i = 0; i < lengths.size(); ++i)
        lengths[i] = i;
    std::shuffle(lengths.begin(), lengths.end(), rng);
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<int> printable(33, 126);
    std::uniform_int_distribution<int> high(128, 255);
    std::string text;
    for (const std::size_t length : lengths) {
        for (std::size_t i = 0; i < length; ++i) {
            const int k = kind(rng);
            text += k < 6 ? static_cast<char>(printable(rng)) : k < 8 ? static_cast<char>(high(rng)) : k == 8 ? ' ' : '\t';
        }
        text += '\n';
    }
    if (!finalLf)
        text.pop_back();
    return text;
}

// Quoted-printable as a sender writes it: "=" as =3D, 8-bit bytes either
// literal or =XX in either case, blanks literal, soft breaks where a line
// would pass 76 characters and now and then anywhere else.
std::string QpEncode(std::string_view text, std::string_view eol, std::mt19937& rng)
{
    std::uniform_int_distribution<int> coin(0, 19);
    std::string out;
    std::size_t lineLength = 0;
    for (const char c : text) {
        if (c == '\n') {
            out += eol;
            lineLength = 0;
            continue;
        }
        std::string token(1, c);
        const auto b = static_cast<unsigned char>(c);
        if (c == '=' || (b >= 128 && coin(rng) < 10)) {
            char hex[4];
            std::snprintf(hex, sizeof hex, coin(rng) < 15 ? "=%02X" : "=%02x", b);
            token = hex;
        }
        if (lineLength + token.size() > 75 || coin(rng) == 0) {
            out += "=";
            out += eol;
            lineLength = 0;
        }
        out += token;
        lineLength += token.size();
    }
    return out;
}

// The body as it stands in a mail file, followed by its delimiter, read
// back line by line as the mail pass reads it and decoded up to the
// delimiter.
std::string DecodeFromFile(const TempDir& dir, TransferEncoding encoding, std::string_view body, std::string_view eol,
                           std::size_t chunkSize = ContentDecoder::kChunkSize)
{
    const std::string delimiter = "--=_part--";
    const std::string path = dir.File("body");
    WriteFile(path, std::string(body) + std::string(eol) + delimiter + std::string(eol));
    StringByteSink sink;
    ContentDecoder decoder(encoding, sink, chunkSize);
    LineReader reader(path);
    std::string_view line;
    while (reader.Next(line) && line != delimiter)
        decoder.PutLine(line);
    decoder.Finish();
    return sink.text;
}

}  // namespace

TEST(ParseTransferEncoding, NamesInAnyCase)
{
    struct Row {
        std::string value;
        TransferEncoding expected;
    } rows[] = {
        {"", TransferEncoding::Identity},
        {"7bit", TransferEncoding::Identity},
        {" 8BIT ", TransferEncoding::Identity},
        {"Binary", TransferEncoding::Identity},
        {"base64", TransferEncoding::Base64},
        {"\tBASE64", TransferEncoding::Base64},
        {"base64 (sent by a gateway)", TransferEncoding::Base64},
        {"Quoted-Printable", TransferEncoding::QuotedPrintable},
        {"quoted-printable;", TransferEncoding::QuotedPrintable},
        {"x-uuencode", TransferEncoding::Unknown},
        {"base-64", TransferEncoding::Unknown},
        {"base64x", TransferEncoding::Unknown},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE("'" + r.value + "'");
        EXPECT_EQ(ParseTransferEncoding(r.value), r.expected);
    }
}

TEST(ContentDecoder, IdentityJoinsLinesWithLf)
{
    const std::vector<Case> cases = {
        {{}, ""},
        {{""}, ""},
        {{"a"}, "a"},
        {{"a", ""}, "a\n"},
        {{"", "a"}, "\na"},
        {{"a", "b"}, "a\nb"},
        {{"a", "", ""}, "a\n\n"},
        {{std::string("\0\xFF\x1A", 3), "=41"}, std::string("\0\xFF\x1A\n=41", 7)},
    };
    Check(TransferEncoding::Identity, cases);
    // An unknown encoding is kept as it stands, the same way.
    Check(TransferEncoding::Unknown, cases);
}

TEST(ContentDecoder, Base64Tolerance)
{
    Check(TransferEncoding::Base64, {
                                        {{}, ""},
                                        {{""}, ""},
                                        {{"QUJD"}, "ABC"},
                                        {{"QU", "JD"}, "ABC"},
                                        {{"Q", "", "UJ", "D"}, "ABC"},
                                        {{" Q U*J!D\t"}, "ABC"},
                                        {{"QUJD", "", "REVG"}, "ABCDEF"},
                                        {{"QQ=="}, "A"},
                                        {{"QUI="}, "AB"},
                                        {{"QQ"}, "A"},
                                        {{"QUI"}, "AB"},
                                        {{"QUJDR"}, "ABC"},
                                        {{"QQ==QkM="}, "ABC"},
                                        {{"QQ=", "=QkM"}, "ABC"},
                                        {{"=QUJD"}, "ABC"},
                                        {{"QQ======"}, "A"},
                                        {{"QUJD\xE3\x81\x82"}, "ABC"},
                                        {{"////"}, "\xFF\xFF\xFF"},
                                        {{"AAAA"}, std::string(3, '\0')},
                                    });
}

TEST(ContentDecoder, QuotedPrintableLines)
{
    Check(TransferEncoding::QuotedPrintable, {
                                                 {{}, ""},
                                                 {{""}, ""},
                                                 {{"abc"}, "abc"},
                                                 {{"a", "b"}, "a\nb"},
                                                 {{"a", ""}, "a\n"},
                                                 {{"a", "", ""}, "a\n\n"},
                                                 {{"a=", "b"}, "ab"},
                                                 {{"a=", ""}, "a"},
                                                 {{"a= \t", "b"}, "ab"},
                                                 {{"=", "=", "x"}, "x"},
                                                 {{"a  ", "b\t"}, "a  \nb\t"},
                                                 {{"a \t=", "b"}, "a \tb"},
                                                 {{"=41=4a=4A=3d=3D"}, "AJJ=="},
                                                 {{"=E9=e9\xE9"}, "\xE9\xE9\xE9"},
                                                 {{"=0D=0A=00"}, std::string("\r\n\0", 3)},
                                                 {{"a=G1b"}, "a=G1b"},
                                                 {{"a=4"}, "a=4"},
                                                 {{"a=4", "b"}, "a=4\nb"},
                                                 {{"=4=41"}, "=4A"},
                                                 {{"a==", "b"}, "a=b"},
                                                 {{"=3D=", "=3D"}, "=="},
                                             });
}

TEST(ContentDecoder, CutOffContentIsNeverWritten)
{
    StringByteSink sink;
    ContentDecoder decoder(TransferEncoding::Identity, sink);
    decoder.PutLine("held until the part is known to end");
    EXPECT_EQ(sink.text, "");
    EXPECT_EQ(decoder.DecodedSize(), 35u);
}

TEST(ContentDecoder, PassesBytesOnInChunks)
{
    struct Pieces : ByteSink {
        void Write(std::string_view bytes) override { pieces.emplace_back(bytes); }
        std::vector<std::string> pieces;
    };
    std::mt19937 rng(7);
    const std::string data = RandomBytes(10500, rng);
    const std::string encoded = Base64Encode(data, 76, "\n");
    Pieces sink;
    ContentDecoder decoder(TransferEncoding::Base64, sink, 1000);
    for (const auto& line : Lines(encoded))
        decoder.PutLine(line);
    // Each chunk is passed on once it holds 1000 bytes: at most one line's
    // 57 bytes more.
    ASSERT_EQ(sink.pieces.size(), 10u);
    for (const auto& piece : sink.pieces) {
        EXPECT_GE(piece.size(), 1000u);
        EXPECT_LT(piece.size(), 1057u);
    }
    decoder.Finish();
    std::string joined;
    for (const auto& piece : sink.pieces)
        joined += piece;
    EXPECT_EQ(joined, data);

    // A line longer than a chunk goes on as one piece, in order.
    Pieces identity;
    ContentDecoder plain(TransferEncoding::Identity, identity, 4);
    plain.PutLine("ab");
    plain.PutLine("cdefghij");
    plain.Finish();
    ASSERT_EQ(identity.pieces.size(), 2u);
    EXPECT_EQ(identity.pieces[0], "ab\n");
    EXPECT_EQ(identity.pieces[1], "cdefghij");
}

TEST(ContentDecoder, Base64RoundTrip)
{
    TempDir dir;
    std::mt19937 rng(20240515);
    for (const std::size_t size : {0u, 1u, 57u, 4096u, 100000u}) {
        const std::string data = RandomBytes(size, rng);
        for (const std::size_t width : {60u, 72u, 76u}) {
            for (const auto& end : kLineEnds) {
                SCOPED_TRACE(std::to_string(size) + " bytes, width " + std::to_string(width) + ", " + end.name);
                const std::string body = Base64Encode(data, width, end.eol);
                // Small chunks for one width, so chunk ends fall everywhere.
                const std::size_t chunk = width == 72 ? 100 : ContentDecoder::kChunkSize;
                EXPECT_TRUE(DecodeFromFile(dir, TransferEncoding::Base64, body, end.eol, chunk) == data);
            }
        }
    }
}

TEST(ContentDecoder, QuotedPrintableRoundTrip)
{
    TempDir dir;
    std::mt19937 rng(1505);
    for (const bool finalLf : {false, true}) {
        for (int round = 0; round < 3; ++round) {
            const std::string text = RandomText(rng, finalLf);
            for (const auto& end : kLineEnds) {
                SCOPED_TRACE(std::string(finalLf ? "final LF, " : "no final LF, ") + end.name);
                const std::string body = QpEncode(text, end.eol, rng);
                const std::string decoded = DecodeFromFile(dir, TransferEncoding::QuotedPrintable, body, end.eol);
                EXPECT_EQ(decoded.size(), text.size());
                EXPECT_TRUE(decoded == text);
            }
        }
    }
}

TEST(ContentDecoder, IdentityRoundTrip)
{
    TempDir dir;
    std::mt19937 rng(8);
    for (const bool finalLf : {false, true}) {
        const std::string text = RandomText(rng, finalLf);
        for (const auto& end : kLineEnds) {
            SCOPED_TRACE(std::string(finalLf ? "final LF, " : "no final LF, ") + end.name);
            std::string withEnds;
            for (const char c : text)
                withEnds += c == '\n' ? std::string(end.eol) : std::string(1, c);
            for (const auto encoding : {TransferEncoding::Identity, TransferEncoding::Unknown})
                EXPECT_TRUE(DecodeFromFile(dir, encoding, withEnds, end.eol) == text);
        }
    }
}

}  // namespace norvane::test
