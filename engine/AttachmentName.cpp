#include "engine/AttachmentName.h"

#include "engine/ByteSink.h"
#include "engine/Charset.h"
#include "engine/ContentDecoder.h"
#include "engine/TextRules.h"

#include <optional>
#include <vector>

namespace norvane {

namespace {

constexpr std::string_view kUtf8 = "UTF-8";

bool IsAllBlank(std::string_view text)
{
    for (const char c : text)
        if (!IsBlank(c))
            return false;
    return true;
}

struct EncodedWord {
    std::size_t end = 0;  // just after the closing "?="
    std::string_view charset;
    char encoding = 0;
    std::string_view text;
};

// The encoded word that begins with the "=?" at text[at], if it is one.
std::optional<EncodedWord> ParseEncodedWord(std::string_view text, std::size_t at)
{
    const std::size_t charsetStart = at + 2;
    const std::size_t q1 = text.find('?', charsetStart);
    if (q1 == std::string_view::npos || q1 == charsetStart || q1 + 2 >= text.size() || text[q1 + 2] != '?')
        return std::nullopt;
    EncodedWord word;
    word.charset = text.substr(charsetStart, q1 - charsetStart);
    for (const char c : word.charset)
        if (IsBlank(c))
            return std::nullopt;
    word.charset = word.charset.substr(0, word.charset.find('*'));
    word.encoding = FoldAscii(text[q1 + 1]);
    if (word.encoding != 'b' && word.encoding != 'q')
        return std::nullopt;
    const std::size_t textStart = q1 + 3;
    const std::size_t close = text.find("?=", textStart);
    if (close == std::string_view::npos)
        return std::nullopt;
    word.text = text.substr(textStart, close - textStart);
    word.end = close + 2;
    return word;
}

// Base64 of an encoded word: only the alphabet, then at most two "=" at the
// end; missing padding is forgiven, a lone last character is not.
bool IsValidBase64Word(std::string_view text)
{
    std::size_t length = text.size();
    while (length > 0 && text.size() - length < 2 && text[length - 1] == '=')
        --length;
    if (length % 4 == 1)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        const char c = text[i];
        const bool alphabet =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
        if (!alphabet)
            return false;
    }
    return true;
}

// The bytes an encoded word stands for, or nullopt for invalid base64.
std::optional<std::string> DecodeWordBytes(const EncodedWord& word)
{
    if (word.encoding == 'b') {
        if (!IsValidBase64Word(word.text))
            return std::nullopt;
        StringByteSink sink;
        ContentDecoder decoder(TransferEncoding::Base64, sink);
        decoder.PutLine(word.text);
        decoder.Finish();
        return std::move(sink.text);
    }
    std::string out;
    for (std::size_t i = 0; i < word.text.size(); ++i) {
        const char c = word.text[i];
        if (c == '_') {
            out += ' ';
        } else if (c == '=' && i + 2 < word.text.size() && HexDigitValue(word.text[i + 1]) >= 0 &&
                   HexDigitValue(word.text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigitValue(word.text[i + 1]) << 4 | HexDigitValue(word.text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

// The name built piece by piece: decoded text (UTF-8) and raw text (bytes
// as written, in an unknown charset unless they are valid UTF-8).
class NameBuilder {
public:
    void AddUtf8(std::string text) { pieces_.push_back({std::move(text), true}); }
    void AddRaw(std::string_view bytes)
    {
        if (!bytes.empty())
            pieces_.push_back({std::string(bytes), IsValidUtf8(bytes)});
    }

    FileName Finish(std::string_view target) const
    {
        if (!IsUtf8Charset(target))
            if (auto converted = Converted(target))
                return {std::move(*converted), std::string(target)};
        // In UTF-8: the target is UTF-8 or cannot hold the name.
        FileName result{{}, std::string(kUtf8)};
        for (const auto& piece : pieces_)
            result.name += piece.text;
        return result;
    }

private:
    struct Piece {
        std::string text;
        bool utf8;
    };
    std::optional<std::string> Converted(std::string_view target) const
    {
        std::string name;
        for (const auto& piece : pieces_) {
            if (!piece.utf8) {
                name += piece.text;
                continue;
            }
            const auto converted = FromUtf8(piece.text, target);
            if (!converted)
                return std::nullopt;
            name += *converted;
        }
        return name;
    }

    std::vector<Piece> pieces_;
};

void DecodeWords(std::string_view text, NameBuilder& builder)
{
    std::size_t literalStart = 0;  // text not yet given to the builder
    std::string runCharset;        // the decoded words waiting to be converted
    std::string runBytes;
    bool inRun = false;
    const auto endRun = [&] {
        if (inRun)
            builder.AddUtf8(ToUtf8(runBytes, runCharset).value_or(std::string()));
        inRun = false;
        runBytes.clear();
    };
    // No word closes after the last "?=": a long value with none is not
    // searched again for every "=?" in it.
    const std::size_t lastClose = text.rfind("?=");
    for (std::size_t at = text.find("=?"); at != std::string_view::npos && lastClose != std::string_view::npos &&
                                           at < lastClose;
         at = text.find("=?", at + 1)) {
        const auto word = ParseEncodedWord(text, at);
        if (!word)
            continue;
        const auto bytes = DecodeWordBytes(*word);
        if (!bytes || !IsKnownCharset(word->charset)) {
            // Kept as written, among the literal text.
            at = word->end - 1;
            continue;
        }
        const std::string_view between = text.substr(literalStart, at - literalStart);
        const bool joined = inRun && IsAllBlank(between);
        if (!joined) {
            endRun();
            builder.AddRaw(between);
        }
        if (inRun && !EqualsAsciiNoCase(runCharset, word->charset))
            endRun();
        if (!inRun) {
            runCharset = word->charset;
            inRun = true;
        }
        runBytes += *bytes;
        literalStart = word->end;
        at = word->end - 1;
    }
    endRun();
    builder.AddRaw(text.substr(literalStart));
}

}  // namespace

FileName DecodeFileName(const MimeParameter& parameter, std::string_view targetCharset)
{
    if (targetCharset.empty())
        targetCharset = kUtf8;
    NameBuilder builder;
    if (parameter.extended) {
        auto converted = parameter.charset.empty() ? std::nullopt : ToUtf8(parameter.value, parameter.charset);
        if (converted)
            builder.AddUtf8(std::move(*converted));
        else
            builder.AddRaw(parameter.value);
    } else {
        DecodeWords(parameter.value, builder);
    }
    return builder.Finish(targetCharset);
}

FileName AttachmentFileName(const PartHeader& header, std::string_view targetCharset)
{
    auto parameter = FindParameter(header.ContentDisposition(), "filename");
    if (!parameter || parameter->value.empty())
        parameter = FindParameter(header.ContentType(), "name");
    if (!parameter)
        parameter.emplace();
    return DecodeFileName(*parameter, targetCharset);
}

}  // namespace norvane
