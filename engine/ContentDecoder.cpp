#include "engine/ContentDecoder.h"

#include "engine/TextRules.h"

#include <array>

namespace norvane {

namespace {

constexpr std::int8_t kNotBase64 = -1;
constexpr std::int8_t kPad = -2;

constexpr std::array<std::int8_t, 256> MakeBase64Table()
{
    std::array<std::int8_t, 256> table{};
    table.fill(kNotBase64);
    constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < alphabet.size(); ++i)
        table[static_cast<unsigned char>(alphabet[i])] = static_cast<std::int8_t>(i);
    table['='] = kPad;
    return table;
}

constexpr std::array<std::int8_t, 256> kBase64 = MakeBase64Table();

}  // namespace

TransferEncoding ParseTransferEncoding(std::string_view value)
{
    const std::size_t end = value.find_first_of(";(");
    value = value.substr(0, end);
    while (!value.empty() && IsBlank(value.front()))
        value.remove_prefix(1);
    while (!value.empty() && IsBlank(value.back()))
        value.remove_suffix(1);
    if (value.empty() || EqualsAsciiNoCase(value, "7bit") || EqualsAsciiNoCase(value, "8bit") ||
        EqualsAsciiNoCase(value, "binary"))
        return TransferEncoding::Identity;
    if (EqualsAsciiNoCase(value, "base64"))
        return TransferEncoding::Base64;
    if (EqualsAsciiNoCase(value, "quoted-printable"))
        return TransferEncoding::QuotedPrintable;
    return TransferEncoding::Unknown;
}

ContentDecoder::ContentDecoder(TransferEncoding encoding, ByteSink& out, std::size_t chunkSize)
    : encoding_(encoding), out_(out), chunkSize_(chunkSize == 0 ? 1 : chunkSize)
{
    buffer_.reserve(chunkSize_);
}

void ContentDecoder::Emit(std::string_view bytes)
{
    decoded_ += bytes.size();
    if (bytes.size() >= chunkSize_) {
        // A long line goes on as it is rather than through the buffer.
        Flush();
        out_.Write(bytes);
        return;
    }
    buffer_.append(bytes);
    if (buffer_.size() >= chunkSize_)
        Flush();
}

void ContentDecoder::Emit(char byte)
{
    ++decoded_;
    buffer_.push_back(byte);
    if (buffer_.size() >= chunkSize_)
        Flush();
}

void ContentDecoder::Flush()
{
    if (buffer_.empty())
        return;
    out_.Write(buffer_);
    buffer_.clear();
}

void ContentDecoder::PutLine(std::string_view line)
{
    switch (encoding_) {
    case TransferEncoding::Base64:
        PutBase64(line);
        return;
    case TransferEncoding::QuotedPrintable:
        PutQuotedPrintable(line);
        return;
    case TransferEncoding::Identity:
    case TransferEncoding::Unknown:
        if (breakPending_)
            Emit('\n');
        Emit(line);
        breakPending_ = true;
        return;
    }
}

void ContentDecoder::PutBase64(std::string_view line)
{
    // Decoded straight into the buffer: every byte of a large attachment
    // passes here.
    const std::size_t start = buffer_.size();
    buffer_.resize(start + line.size() / 4 * 3 + 3);
    char* out = buffer_.data() + start;
    for (const char c : line) {
        const std::int8_t value = kBase64[static_cast<unsigned char>(c)];
        if (value >= 0) {
            quantum_ = quantum_ << 6 | static_cast<std::uint32_t>(value);
            if (++sextets_ == 4) {
                *out++ = static_cast<char>(quantum_ >> 16);
                *out++ = static_cast<char>(quantum_ >> 8);
                *out++ = static_cast<char>(quantum_);
                quantum_ = 0;
                sextets_ = 0;
            }
        } else if (value == kPad) {
            if (sextets_ == 2) {
                *out++ = static_cast<char>(quantum_ >> 4);
            } else if (sextets_ == 3) {
                *out++ = static_cast<char>(quantum_ >> 10);
                *out++ = static_cast<char>(quantum_ >> 2);
            }
            quantum_ = 0;
            sextets_ = 0;
        }
    }
    const auto written = static_cast<std::size_t>(out - (buffer_.data() + start));
    buffer_.resize(start + written);
    decoded_ += written;
    if (buffer_.size() >= chunkSize_)
        Flush();
}

void ContentDecoder::Finish()
{
    // An unpadded quantum at the end decodes as if padded; a lone sextet
    // makes no byte.
    if (sextets_ > 1)
        PutBase64(std::string_view("==", 4 - static_cast<std::size_t>(sextets_)));
    breakPending_ = false;
    Flush();
}

void ContentDecoder::PutQuotedPrintable(std::string_view line)
{
    if (breakPending_)
        Emit('\n');
    std::size_t end = line.size();
    while (end > 0 && IsBlank(line[end - 1]))
        --end;
    const bool soft = end > 0 && line[end - 1] == '=';
    if (soft)
        --end;
    else
        end = line.size();
    std::size_t plain = 0;  // start of the bytes not yet emitted
    for (std::size_t i = 0; i + 2 < end; ++i) {
        if (line[i] != '=')
            continue;
        const int high = HexDigitValue(line[i + 1]);
        const int low = high < 0 ? -1 : HexDigitValue(line[i + 2]);
        if (low < 0)
            continue;
        Emit(line.substr(plain, i - plain));
        Emit(static_cast<char>(high << 4 | low));
        i += 2;
        plain = i + 1;
    }
    Emit(line.substr(plain, end - plain));
    breakPending_ = !soft;
}

}  // namespace norvane
