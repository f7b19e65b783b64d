#include "bench/Corpus.h"
#include "TestFiles.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace norvane::test {

using bench::CorpusOptions;
using bench::CorpusStats;
using bench::WriteEmlFolder;
using bench::WriteMbox;

namespace {

std::vector<std::string_view> SplitLf(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto lf = text.find('\n');
        lines.push_back(text.substr(0, lf));
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
    }
    return lines;
}

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// What a reader of the mbox finds in it, counted independently of the
// generator's own tally.
struct MboxShape {
    std::uint64_t messages = 0;
    std::uint64_t mixed = 0;
    std::uint64_t attachments = 0;
    std::uint64_t closed = 0;  // multipart messages whose closing delimiter was found
    std::vector<std::size_t> attachmentBytes;
    std::string fault;
};

MboxShape ReadShape(std::string_view text, bool mbox = true)
{
    MboxShape shape;
    const auto lines = SplitLf(text);
    std::string boundary;
    std::string delimiter;
    std::string closing;
    bool inAttachment = false;
    bool attachmentHeaders = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto line = lines[i];
        if (mbox && StartsWith(line, "From ")) {
            if (i > 0 && !lines[i - 1].empty())
                shape.fault = "separator without empty line before it at line " + std::to_string(i);
            ++shape.messages;
            continue;
        }
        if (StartsWith(line, "Content-Type: multipart/mixed;")) {
            ++shape.mixed;
            auto source = line.find("boundary=\"") != std::string_view::npos ? line : lines[i + 1];
            const auto at = source.find("boundary=\"");
            if (at == std::string_view::npos || source.back() != '"') {
                shape.fault = "boundary not found or not closed at line " + std::to_string(i);
                continue;
            }
            boundary = std::string(source.substr(at + 10, source.size() - at - 11));
            delimiter = "--" + boundary;
            closing = delimiter + "--";
            continue;
        }
        if (!boundary.empty() && line == closing) {
            ++shape.closed;
            boundary.clear();
            inAttachment = false;
            continue;
        }
        if (!boundary.empty() && line == delimiter) {
            inAttachment = false;
            continue;
        }
        if (StartsWith(line, "Content-Disposition: attachment;")) {
            ++shape.attachments;
            shape.attachmentBytes.push_back(0);
            attachmentHeaders = true;
            continue;
        }
        if (attachmentHeaders && line.empty()) {
            attachmentHeaders = false;
            inAttachment = true;
            continue;
        }
        if (inAttachment && !line.empty()) {
            if (line.size() > 76 || line.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklm"
                                                           "nopqrstuvwxyz0123456789+/") !=
                                        std::string_view::npos)
                shape.fault = "attachment line not base64 at line " + std::to_string(i);
            shape.attachmentBytes.back() += line.size();
        }
    }
    return shape;
}

}  // namespace

TEST(BenchCorpus, SameSeedSameBytesOtherSeedOtherBytes)
{
    TempDir dir;
    CorpusOptions options;
    options.attachmentMin = 500;
    options.attachmentMax = 5000;
    WriteMbox(dir.File("a.mbox"), 200000, options);
    WriteMbox(dir.File("b.mbox"), 200000, options);
    std::filesystem::create_directory(dir.File("ea"));
    std::filesystem::create_directory(dir.File("eb"));
    WriteEmlFolder(dir.File("ea"), 5, options);
    WriteEmlFolder(dir.File("eb"), 5, options);
    options.seed += 1;
    WriteMbox(dir.File("c.mbox"), 200000, options);

    EXPECT_EQ(ReadFile(dir.File("a.mbox")), ReadFile(dir.File("b.mbox")));
    EXPECT_NE(ReadFile(dir.File("a.mbox")), ReadFile(dir.File("c.mbox")));
    ASSERT_EQ(ListFolder(dir.File("ea")), "00000.eml 00001.eml 00002.eml 00003.eml 00004.eml ");
    for (const char* name : {"00000.eml", "00004.eml"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ReadFile(dir.File(std::string("ea/") + name)),
                  ReadFile(dir.File(std::string("eb/") + name)));
    }
    // The folder is not the mbox's first messages again.
    EXPECT_NE(ReadFile(dir.File("ea/00000.eml")), ReadFile(dir.File("ea/00001.eml")));
}

TEST(BenchCorpus, MboxHasTheRequestedSizeAndShape)
{
    TempDir dir;
    CorpusOptions options;
    options.attachmentMin = 300;
    options.attachmentMax = 3000;
    const std::uint64_t target = 1500000;
    const CorpusStats stats = WriteMbox(dir.File("m.mbox"), target, options);
    const std::string text = ReadFile(dir.File("m.mbox"));

    EXPECT_EQ(stats.bytes, text.size());
    EXPECT_GE(text.size(), target);
    EXPECT_LT(text.size(), target + 40000);  // at most one message more than needed
    EXPECT_EQ(text.find('\r'), std::string::npos) << "LF line ends only";
    EXPECT_EQ(text.find('\0'), std::string::npos);
    EXPECT_TRUE(StartsWith(text, "From "));

    const MboxShape shape = ReadShape(text);
    EXPECT_EQ(shape.fault, "");
    EXPECT_EQ(shape.messages, stats.messages);
    EXPECT_EQ(shape.mixed, stats.multipartMixed);
    EXPECT_EQ(shape.closed, stats.multipartMixed);
    EXPECT_EQ(shape.attachments, stats.attachments);
    ASSERT_GT(stats.messages, 200u);
    const double share = static_cast<double>(stats.multipartMixed) / static_cast<double>(stats.messages);
    EXPECT_GT(share, 0.25);
    EXPECT_LT(share, 0.42);
    for (const auto bytes : shape.attachmentBytes) {
        EXPECT_GE(bytes, options.attachmentMin);
        EXPECT_LE(bytes, options.attachmentMax);
    }
    // The headers the benchmark strips are there, folded where they fold.
    EXPECT_NE(text.find("\nReceived: from "), std::string::npos);
    EXPECT_NE(text.find("\nDKIM-Signature: v=1;"), std::string::npos);
    EXPECT_NE(text.find(";\n\ts=sel"), std::string::npos);
    EXPECT_NE(text.find("\nX-Mailer: "), std::string::npos);
    EXPECT_NE(text.find("Content-Type: text/plain;\n\tcharset=\""), std::string::npos);
}

TEST(BenchCorpus, DefaultAttachmentsAreTwentyToFiveHundredKilobytes)
{
    TempDir dir;
    const CorpusStats stats = WriteMbox(dir.File("m.mbox"), 2000000);
    const MboxShape shape = ReadShape(ReadFile(dir.File("m.mbox")));
    EXPECT_EQ(shape.fault, "");
    ASSERT_EQ(shape.attachmentBytes.size(), stats.attachments);
    ASSERT_GT(stats.attachments, 3u);
    for (const auto bytes : shape.attachmentBytes) {
        EXPECT_GE(bytes, 20u * 1024);
        EXPECT_LE(bytes, 500u * 1024);
    }
}

TEST(BenchCorpus, EmlFilesHoldOneMessageWithoutSeparator)
{
    TempDir dir;
    CorpusOptions options;
    options.attachmentMin = 100;
    options.attachmentMax = 200;
    const CorpusStats stats = WriteEmlFolder(dir.Path().string(), 30, options);
    EXPECT_EQ(stats.messages, 30u);
    std::uint64_t total = 0;
    for (int i = 0; i < 30; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%05d.eml", i);
        SCOPED_TRACE(name);
        const std::string text = ReadFile(dir.File(name));
        total += text.size();
        EXPECT_TRUE(StartsWith(text, "Return-Path: <"));
        EXPECT_EQ(text.find(">From "), std::string::npos) << "only an mbox quotes body lines";
        const MboxShape shape = ReadShape(text, false);
        EXPECT_EQ(shape.fault, "");
        EXPECT_EQ(shape.mixed, shape.closed);
        EXPECT_NE(text.find("\n\n"), std::string::npos) << "a header block that ends";
    }
    EXPECT_EQ(total, stats.bytes);
}

}  // namespace norvane::test
