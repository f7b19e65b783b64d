#include "bench/Corpus.h"

#include <array>
#include <cstdio>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace norvane::bench {

std::uint64_t Rng::Next()
{
    // splitmix64
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::uint64_t Rng::Between(std::uint64_t low, std::uint64_t high)
{
    if (high <= low)
        return low;
    return low + Next() % (high - low + 1);
}

namespace {

constexpr std::string_view kBase64 =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<std::string_view, 40> kWords = {
    "the",     "meeting", "report",  "attached", "please",   "review",   "schedule", "budget",
    "next",    "week",    "project", "update",   "customer", "order",    "invoice",  "thanks",
    "regards", "draft",   "version", "final",    "team",     "release",  "server",   "mail",
    "folder",  "copy",    "note",    "question", "answer",   "friday",   "monday",   "office",
    "travel",  "plan",    "figures", "quarter",  "sales",    "contract", "signed",   "today"};

constexpr std::array<std::string_view, 8> kHosts = {
    "mx1.example.net",      "mx2.example.net",     "relay.example.com",  "smtp.example.org",
    "mail-out.example.biz", "edge01.example.info", "gw.mailer.example",  "filter.example.jp"};

constexpr std::array<std::string_view, 7> kDays = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

constexpr std::array<std::string_view, 4> kCharsets = {"iso-2022-jp", "utf-8", "us-ascii",
                                                       "shift_jis"};

constexpr std::array<std::string_view, 5> kMailers = {
    "Microsoft Outlook 16.0", "Becky! ver. 2.75.01", "Apple Mail (2.3731)",
    "Thunderbird 102.8.0",    "Sylpheed 3.7.0"};

struct Attachment {
    std::string_view type;
    std::string_view ext;
};
constexpr std::array<Attachment, 5> kAttachments = {{{"application/pdf", "pdf"},
                                                     {"image/jpeg", "jpg"},
                                                     {"application/zip", "zip"},
                                                     {"image/png", "png"},
                                                     {"application/octet-stream", "xlsx"}}};

void AppendNumber(std::string& out, std::uint64_t value, int width = 0)
{
    char digits[24];
    const int n = std::snprintf(digits, sizeof digits, "%0*llu", width,
                                static_cast<unsigned long long>(value));
    out.append(digits, static_cast<std::size_t>(n));
}

void AppendBase64(std::string& out, Rng& rng, std::size_t count)
{
    while (count > 0) {
        std::uint64_t bits = rng.Next();
        for (int i = 0; i < 10 && count > 0; ++i, --count) {
            out.push_back(kBase64[bits & 63]);
            bits >>= 6;
        }
    }
}

void AppendHex(std::string& out, Rng& rng, std::size_t count)
{
    static constexpr std::string_view kHex = "0123456789ABCDEF";
    std::uint64_t bits = rng.Next();
    for (std::size_t i = 0; i < count; ++i) {
        if (i % 16 == 15)
            bits = rng.Next();
        out.push_back(kHex[bits & 15]);
        bits >>= 4;
    }
}

void AppendDate(std::string& out, Rng& rng)
{
    out += kDays[rng.Between(0, 6)];
    out += ", ";
    AppendNumber(out, rng.Between(1, 28));
    out += ' ';
    out += kMonths[rng.Between(0, 11)];
    out += ' ';
    AppendNumber(out, rng.Between(2015, 2026));
    out += ' ';
    AppendNumber(out, rng.Between(0, 23), 2);
    out += ':';
    AppendNumber(out, rng.Between(0, 59), 2);
    out += ':';
    AppendNumber(out, rng.Between(0, 59), 2);
    out += rng.Percent(50) ? " +0900" : " +0000";
}

void AppendAddress(std::string& out, Rng& rng)
{
    out += kWords[rng.Between(0, kWords.size() - 1)];
    out += '.';
    AppendNumber(out, rng.Between(1, 999));
    out += '@';
    const auto& host = kHosts[rng.Between(0, kHosts.size() - 1)];
    out += host.substr(host.find('.') + 1);
}

void AppendIp(std::string& out, Rng& rng)
{
    out += "198.51.100.";
    AppendNumber(out, rng.Between(1, 254));
}

void AppendReceived(std::string& out, Rng& rng)
{
    if (rng.Percent(30)) {
        out += "Received: by 2002:a05:6000:";
        AppendHex(out, rng, 4);
        out += " with SMTP id ";
        AppendHex(out, rng, 12);
        out += ";\n        ";
        AppendDate(out, rng);
        out += " (PST)\n";
        return;
    }
    const auto& from = kHosts[rng.Between(0, kHosts.size() - 1)];
    out += "Received: from ";
    out += from;
    out += " (";
    out += from;
    out += " [";
    AppendIp(out, rng);
    out += "])\n\tby ";
    out += kHosts[rng.Between(0, kHosts.size() - 1)];
    out += " (Postfix) with ESMTPS id ";
    AppendHex(out, rng, 11);
    out += "\n\tfor <user@example.org>; ";
    AppendDate(out, rng);
    out += '\n';
}

void AppendDkim(std::string& out, Rng& rng)
{
    out += "DKIM-Signature: v=1; a=rsa-sha256; c=relaxed/relaxed; d=example.com;\n\ts=sel";
    AppendNumber(out, rng.Between(2015, 2026));
    out += "; t=";
    AppendNumber(out, rng.Between(1400000000, 1800000000));
    out += "; bh=";
    AppendBase64(out, rng, 43);
    out += "=;\n\th=From:To:Subject:Date:Message-ID:MIME-Version:Content-Type;\n\tb=";
    AppendBase64(out, rng, 70);
    for (int i = 0; i < 4; ++i) {
        out += "\n\t ";
        AppendBase64(out, rng, 72);
    }
    out += "==\n";
}

void AppendXHeaders(std::string& out, Rng& rng)
{
    if (rng.Percent(60)) {
        out += "X-Mailer: ";
        out += kMailers[rng.Between(0, kMailers.size() - 1)];
        out += '\n';
    }
    if (rng.Percent(50)) {
        out += "X-Originating-IP: [";
        AppendIp(out, rng);
        out += "]\n";
    }
    if (rng.Percent(70)) {
        out += "X-Spam-Status: No, score=-";
        AppendNumber(out, rng.Between(0, 9));
        out += ".";
        AppendNumber(out, rng.Between(0, 9));
        out += " required=5.0 tests=DKIM_SIGNED,DKIM_VALID,\n\tDKIM_VALID_AU,RCVD_IN_DNSWL_NONE,"
               "SPF_HELO_NONE,SPF_PASS autolearn=ham\n\tautolearn_force=no version=3.4.6\n";
    }
    if (rng.Percent(40)) {
        out += "X-MS-Exchange-Organization-SCL: ";
        AppendNumber(out, rng.Between(0, 5));
        out += "\nX-MS-Exchange-Organization-AuthSource: ";
        out += kHosts[rng.Between(0, kHosts.size() - 1)];
        out += '\n';
    }
    if (rng.Percent(50)) {
        out += "X-Google-Smtp-Source: ";
        AppendBase64(out, rng, 60);
        out += "\nX-Received: by 2002:a17:906:";
        AppendHex(out, rng, 4);
        out += " with SMTP id ";
        AppendHex(out, rng, 10);
        out += ";\n        ";
        AppendDate(out, rng);
        out += '\n';
    }
    if (rng.Percent(20))
        out += "X-Priority: 3\n";
}

void AppendTextBody(std::string& out, Rng& rng, bool mboxFromLine)
{
    const std::uint64_t lines = rng.Between(5, 80);
    for (std::uint64_t i = 0; i < lines; ++i) {
        const std::uint64_t kind = rng.Between(1, 100);
        if (kind <= 8) {
            out += '\n';
            if (kind <= 2)
                out += "\n\n";  // a run of empty lines
            continue;
        }
        if (kind == 9) {
            // A body line that an mbox must quote.
            out += mboxFromLine ? ">From " : "From ";
            out += "the office: see below\n";
            continue;
        }
        if (kind == 10) {
            out += "Note: see the figures below\n";
            continue;
        }
        std::size_t width = 0;
        const std::size_t limit = rng.Between(30, 72);
        while (width < limit) {
            const auto& word = kWords[rng.Between(0, kWords.size() - 1)];
            if (width)
                out += ' ';
            out += word;
            width += word.size() + 1;
        }
        out += '\n';
    }
}

void AppendBoundary(std::string& out, Rng& rng)
{
    out += "----=_NextPart_000_";
    AppendHex(out, rng, 4);
    out += '_';
    AppendHex(out, rng, 8);
    out += '.';
    AppendHex(out, rng, 8);
}

void AppendAttachmentPart(std::string& out, Rng& rng, const CorpusOptions& options,
                          const std::string& boundary, CorpusStats& stats)
{
    const auto& kind = kAttachments[rng.Between(0, kAttachments.size() - 1)];
    std::string name = "file";
    AppendNumber(name, rng.Between(1, 99999));
    name += '.';
    name += kind.ext;
    out += "--" + boundary + "\nContent-Type: ";
    out += kind.type;
    out += ";\n\tname=\"" + name + "\"\nContent-Transfer-Encoding: base64\n";
    out += "Content-Disposition: attachment;\n\tfilename=\"" + name + "\"\n\n";
    std::uint64_t size = rng.Between(options.attachmentMin, options.attachmentMax);
    while (size > 0) {
        const std::size_t line = size < 76 ? static_cast<std::size_t>(size) : 76;
        AppendBase64(out, rng, line);
        out += '\n';
        size -= line;
    }
    out += '\n';
    ++stats.attachments;
}

}  // namespace

void AppendMessage(std::string& out, Rng& rng, const CorpusOptions& options, bool mboxFromLine,
                   CorpusStats& stats)
{
    const std::size_t start = out.size();
    if (mboxFromLine) {
        out += "From ";
        AppendAddress(out, rng);
        out += " Mon Jan  1 00:00:00 2024\n";
    }
    out += "Return-Path: <";
    AppendAddress(out, rng);
    out += ">\nDelivered-To: user@example.org\n";
    const std::uint64_t received = rng.Between(3, 9);
    for (std::uint64_t i = 0; i < received; ++i)
        AppendReceived(out, rng);
    out += "Authentication-Results: mail.example.org;\n\tdkim=pass header.d=example.com;\n"
           "\tspf=pass smtp.mailfrom=example.com\n";
    const std::uint64_t dkim = rng.Between(1, 2);
    for (std::uint64_t i = 0; i < dkim; ++i)
        AppendDkim(out, rng);
    AppendXHeaders(out, rng);
    out += "Message-ID: <";
    AppendHex(out, rng, 16);
    out += "@example.com>\nDate: ";
    AppendDate(out, rng);
    out += "\nFrom: ";
    AppendAddress(out, rng);
    out += "\nTo: user@example.org\n";
    if (rng.Percent(30)) {
        out += "Cc: ";
        AppendAddress(out, rng);
        out += ",\n\t";
        AppendAddress(out, rng);
        out += '\n';
    }
    out += "Subject: =?ISO-2022-JP?B?";
    AppendBase64(out, rng, 24);
    out += "?=\nMIME-Version: 1.0\n";

    const bool mixed = rng.Percent(options.multipartPercent);
    if (!mixed) {
        out += "Content-Type: text/plain;";
        out += rng.Percent(60) ? "\n\t" : " ";
        out += "charset=\"";
        out += kCharsets[rng.Between(0, kCharsets.size() - 1)];
        out += "\"\nContent-Transfer-Encoding: 7bit\n\n";
        AppendTextBody(out, rng, mboxFromLine);
    } else {
        ++stats.multipartMixed;
        std::string boundary;
        AppendBoundary(boundary, rng);
        out += "Content-Type: multipart/mixed;";
        out += rng.Percent(50) ? "\n\t" : " ";
        out += "boundary=\"" + boundary + "\"\n\nThis is a multi-part message in MIME format.\n\n";
        out += "--" + boundary + "\nContent-Type: text/plain;\n\tcharset=\"";
        out += kCharsets[rng.Between(0, kCharsets.size() - 1)];
        out += "\"\nContent-Transfer-Encoding: 7bit\n\n";
        AppendTextBody(out, rng, mboxFromLine);
        out += '\n';
        const std::uint64_t count = rng.Percent(75) ? 1 : 2;
        for (std::uint64_t i = 0; i < count; ++i)
            AppendAttachmentPart(out, rng, options, boundary, stats);
        out += "--" + boundary + "--\n";
    }
    if (mboxFromLine)
        out += '\n';  // the empty line before the next separator
    ++stats.messages;
    stats.bytes += out.size() - start;
}

namespace {

class OutputFile {
public:
    explicit OutputFile(const std::string& path) : path_(path), file_(std::fopen(path.c_str(), "wb"))
    {
        if (!file_)
            throw std::runtime_error("cannot create " + path);
    }
    ~OutputFile()
    {
        if (file_)
            std::fclose(file_);
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void Write(std::string& bytes)
    {
        if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
            throw std::runtime_error("cannot write " + path_);
        bytes.clear();
    }
    void Close()
    {
        const int rc = std::fclose(file_);
        file_ = nullptr;
        if (rc != 0)
            throw std::runtime_error("cannot write " + path_);
    }

private:
    std::string path_;
    std::FILE* file_;
};

}  // namespace

CorpusStats WriteMbox(const std::string& path, std::uint64_t targetBytes,
                      const CorpusOptions& options)
{
    CorpusStats stats;
    Rng rng(options.seed);
    OutputFile file(path);
    std::string buffer;
    buffer.reserve(2 << 20);
    while (stats.bytes < targetBytes) {
        AppendMessage(buffer, rng, options, true, stats);
        if (buffer.size() >= (1 << 20))
            file.Write(buffer);
    }
    file.Write(buffer);
    file.Close();
    return stats;
}

CorpusStats WriteEmlFolder(const std::string& folder, int count, const CorpusOptions& options)
{
    CorpusStats stats;
    // Another stream than the mbox of the same seed.
    Rng rng(options.seed ^ 0x5DEECE66Dull);
    std::string buffer;
    for (int i = 0; i < count; ++i) {
        std::string name = folder + "/";
        AppendNumber(name, static_cast<std::uint64_t>(i), 5);
        name += ".eml";
        AppendMessage(buffer, rng, options, false, stats);
        OutputFile file(name);
        file.Write(buffer);
        file.Close();
    }
    return stats;
}

std::string RoughMail(Rng& rng)
{
    CorpusOptions options;
    options.attachmentMin = 10;
    options.attachmentMax = 400;
    options.multipartPercent = 60;
    CorpusStats stats;
    std::string clean;
    const std::uint64_t messages = rng.Between(1, 3);
    for (std::uint64_t i = 0; i < messages; ++i)
        AppendMessage(clean, rng, options, messages > 1, stats);

    std::vector<std::string> lines;
    std::string current;
    std::string boundary;
    for (const char c : clean) {
        if (c != '\n') {
            current += c;
            continue;
        }
        if (const auto at = current.find("boundary=\""); at != std::string::npos)
            boundary = current.substr(at + 10, current.size() - at - 11);
        const std::uint64_t roll = rng.Between(1, 1000);
        if (roll <= 15) {
            // lost
        } else if (roll <= 25) {
            lines.push_back(current);
            lines.push_back(current);
        } else if (roll <= 35) {
            lines.push_back(current);
            lines.emplace_back();
        } else if (roll <= 45) {
            lines.push_back(current);
            lines.emplace_back("Content-Disposition: inline");
        } else if (roll <= 55 && !boundary.empty()) {
            lines.push_back("--" + boundary + "--");
            lines.push_back(current);
        } else if (roll <= 62) {
            lines.emplace_back("Content-Type: multipart/mixed; boundary=\"Q\"");
            lines.push_back(current);
        } else if (roll <= 72 && !current.empty()) {
            current[0] = static_cast<char>(current[0] | 0x20);  // a lower-case key
            lines.push_back(current);
        } else if (roll <= 80) {
            lines.emplace_back("Received: from a line in the body");
            lines.emplace_back(" continued");
            lines.push_back(current);
        } else if (roll <= 84) {
            lines.push_back(current + std::string(1, '\0') + "after a NUL");
        } else if (roll <= 88 && current.starts_with("Content-Type: multipart/mixed; boundary=")) {
            lines.push_back(current + "; x=1");  // text after the closing quote
        } else if (roll <= 92) {
            lines.emplace_back("\tcharset=\"us-ascii\"");
            lines.push_back(current);
        } else {
            lines.push_back(current);
        }
        current.clear();
    }

    const std::uint64_t style = rng.Between(0, 3);
    std::string text;
    for (const auto& line : lines) {
        text += line;
        const std::uint64_t end = style == 3 ? rng.Between(0, 2) : style;
        text += end == 0 ? "\n" : end == 1 ? "\r\n" : "\r";
    }
    if (rng.Percent(20))
        text.resize(rng.Between(0, text.size()));
    if (rng.Percent(10))
        text += "\n\n\x1a\n\n";
    return text;
}

}  // namespace norvane::bench
