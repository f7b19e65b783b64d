#include "engine/Charset.h"

#include "engine/TextRules.h"

#include <cerrno>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

namespace norvane {

namespace {

constexpr std::string_view kUtf8 = "UTF-8";
constexpr std::string_view kCodePage932 = "CP932";
// Not valid in code page 932: stands for a bad byte of ISO-2022-JP.
constexpr char kBadCp932Byte = '\xFF';

class Converter {
public:
    Converter(std::string_view to, std::string_view from)
    {
        // A "//" suffix would change how iconv treats bad input.
        if (to.find('/') == std::string_view::npos && from.find('/') == std::string_view::npos && !from.empty())
            cd_ = iconv_open(std::string(to).c_str(), std::string(from).c_str());
    }
    ~Converter()
    {
        if (Open())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Open() const { return cd_ != kClosed; }

    // Converts as much as fits; returns errno, 0 when all input was taken.
    int Convert(const char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft)
    {
        auto* source = const_cast<char*>(in);
        const std::size_t result = iconv(cd_, &source, &inLeft, &out, &outLeft);
        in = source;
        return result == static_cast<std::size_t>(-1) ? errno : 0;
    }

    // Writes what returns the output to its initial shift state.
    int Finish(char*& out, std::size_t& outLeft)
    {
        const std::size_t result = iconv(cd_, nullptr, nullptr, &out, &outLeft);
        return result == static_cast<std::size_t>(-1) ? errno : 0;
    }

private:
    inline static const iconv_t kClosed = reinterpret_cast<iconv_t>(-1);
    iconv_t cd_ = kClosed;
};

bool IsAnyOf(std::string_view name, std::initializer_list<std::string_view> names)
{
    for (const auto n : names)
        if (EqualsAsciiNoCase(name, n))
            return true;
    return false;
}

bool IsShiftJisName(std::string_view charset)
{
    return IsAnyOf(charset, {"shift_jis", "shift-jis", "sjis", "x-sjis", "ms_kanji", "csshiftjis", "windows-31j",
                             "cp932", "ms932", "x-ms-cp932"});
}

bool IsIso2022JpName(std::string_view charset)
{
    return IsAnyOf(charset, {"iso-2022-jp", "csiso2022jp"});
}

// ISO-2022-JP rewritten as code page 932 bytes: JIS X 0208 pairs (with the
// vendor rows) by the Shift_JIS arithmetic, half-width katakana moved up.
std::string Iso2022JpToCp932(std::string_view text)
{
    enum class Mode { Ascii, Katakana, DoubleByte } mode = Mode::Ascii;
    std::string out;
    const auto inRange = [](unsigned char c, unsigned char low, unsigned char high) { return c >= low && c <= high; };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == 0x1B) {
            const std::string_view escape = text.substr(i + 1, 2);
            if (escape == "(B" || escape == "(J")
                mode = Mode::Ascii;
            else if (escape == "(I")
                mode = Mode::Katakana;
            else if (escape == "$@" || escape == "$B")
                mode = Mode::DoubleByte;
            else {
                out += kBadCp932Byte;
                continue;
            }
            i += 2;
            continue;
        }
        if (c >= 0x80) {
            out += kBadCp932Byte;
        } else if (mode == Mode::DoubleByte && inRange(c, 0x21, 0x7E)) {
            const auto c2 = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
            if (!inRange(c2, 0x21, 0x7E)) {
                out += kBadCp932Byte;
                continue;
            }
            ++i;
            const int lead = ((c + 1) >> 1) + (c <= 0x5E ? 0x70 : 0xB0);
            const int trail = (c & 1) ? c2 + (c2 >= 0x60 ? 0x20 : 0x1F) : c2 + 0x7E;
            out += static_cast<char>(lead);
            out += static_cast<char>(trail);
        } else if (mode == Mode::Katakana && inRange(c, 0x21, 0x5F)) {
            out += static_cast<char>(c + 0x80);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace

std::size_t Utf8SequenceLength(std::string_view text, std::size_t* maximalPart)
{
    std::size_t stop = 1;
    const auto result = [&](std::size_t length) {
        if (maximalPart)
            *maximalPart = stop;
        return length;
    };
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80)
        return result(1);
    std::size_t length = 0;
    unsigned char low = 0x80;   // bounds of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong form
        high = lead == 0xED ? 0x9F : 0xBF;  // no surrogate
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;  // nothing above U+10FFFF
    } else {
        return result(0);
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (i >= text.size())
            return result(0);
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF))
            return result(0);
        stop = i + 1;
    }
    return result(length);
}

bool IsValidUtf8(std::string_view text)
{
    while (!text.empty()) {
        const std::size_t length = Utf8SequenceLength(text);
        if (length == 0)
            return false;
        text.remove_prefix(length);
    }
    return true;
}

bool IsUtf8Charset(std::string_view charset)
{
    return IsAnyOf(charset, {"utf-8", "utf8"});
}

std::optional<std::string> ToUtf8(std::string_view text, std::string_view charset)
{
    std::string_view from = charset;
    std::string rewritten;
    if (IsShiftJisName(charset)) {
        from = kCodePage932;
    } else if (IsIso2022JpName(charset)) {
        rewritten = Iso2022JpToCp932(text);
        text = rewritten;
        from = kCodePage932;
    }
    Converter converter(kUtf8, from);
    if (!converter.Open())
        return std::nullopt;
    std::string out;
    char buffer[256];
    const char* in = text.data();
    std::size_t inLeft = text.size();
    bool inBadRun = false;
    while (inLeft > 0) {
        const std::size_t before = inLeft;
        char* o = buffer;
        std::size_t outLeft = sizeof buffer;
        const int error = converter.Convert(in, inLeft, o, outLeft);
        out.append(buffer, static_cast<std::size_t>(o - buffer));
        if (inLeft < before)
            inBadRun = false;
        if (error == 0 || error == E2BIG)
            continue;
        // An invalid or incomplete sequence: skip a byte and try again.
        if (!inBadRun)
            out += '_';
        inBadRun = true;
        ++in;
        --inLeft;
    }
    return out;
}

bool IsKnownCharset(std::string_view charset)
{
    return ToUtf8({}, charset).has_value();
}

std::optional<std::string> FromUtf8(std::string_view utf8, std::string_view charset)
{
    Converter converter(charset, kUtf8);
    if (!converter.Open())
        return std::nullopt;
    std::string out;
    char buffer[256];
    const char* in = utf8.data();
    std::size_t inLeft = utf8.size();
    for (;;) {
        char* o = buffer;
        std::size_t outLeft = sizeof buffer;
        const int error = inLeft > 0 ? converter.Convert(in, inLeft, o, outLeft) : converter.Finish(o, outLeft);
        out.append(buffer, static_cast<std::size_t>(o - buffer));
        if (error == E2BIG)
            continue;
        if (error != 0)
            return std::nullopt;
        if (inLeft == 0 && o == buffer)
            return out;
    }
}

std::vector<std::size_t> CharacterStarts(std::string_view text, std::string_view charset)
{
    std::vector<std::size_t> starts;
    if (IsUtf8Charset(charset)) {
        for (std::size_t at = 0; at < text.size();) {
            starts.push_back(at);
            at += std::max<std::size_t>(1, Utf8SequenceLength(text.substr(at)));
        }
        return starts;
    }
    Converter converter("UTF-32LE", charset);
    const char* in = text.data();
    std::size_t inLeft = text.size();
    while (inLeft > 0) {
        starts.push_back(text.size() - inLeft);
        // Room for one code point takes one character; a character that
        // makes several code points gets more room.
        char buffer[16];
        const std::size_t before = inLeft;
        for (std::size_t room = 4; converter.Open() && room <= sizeof buffer; room *= 2) {
            char* o = buffer;
            std::size_t outLeft = room;
            if (converter.Convert(in, inLeft, o, outLeft) != E2BIG || inLeft < before)
                break;
        }
        if (inLeft == before) {
            // Not a character of the charset: the byte stands alone.
            ++in;
            --inLeft;
        }
    }
    return starts;
}

std::string FileNameCharset()
{
    // The environment's locale, whether or not the program has set its own.
    const locale_t loc = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0))
        return std::string(kUtf8);
    const char* codeset = nl_langinfo_l(CODESET, loc);
    std::string charset = codeset == nullptr || *codeset == '\0' ||
                                  IsAnyOf(codeset, {"ANSI_X3.4-1968", "ASCII", "US-ASCII", "646", "ISO646-US"})
                              ? std::string(kUtf8)
                              : std::string(codeset);
    freelocale(loc);
    return charset;
}

}  // namespace norvane
