#include "engine/SafeName.h"

#include "engine/Charset.h"
#include "engine/ContentDecoder.h"
#include "engine/TextRules.h"

#include <algorithm>

namespace norvane {

namespace {

struct MediaExtension {
    std::string_view type;
    std::string_view extension;
};

constexpr MediaExtension kMediaExtensions[] = {
    {"application/gzip", ".gz"},
    {"application/json", ".json"},
    {"application/msword", ".doc"},
    {"application/pdf", ".pdf"},
    {"application/pgp-signature", ".asc"},
    {"application/pkcs7-mime", ".p7m"},
    {"application/pkcs7-signature", ".p7s"},
    {"application/postscript", ".ps"},
    {"application/rtf", ".rtf"},
    {"application/vnd.ms-excel", ".xls"},
    {"application/vnd.ms-powerpoint", ".ppt"},
    {"application/vnd.oasis.opendocument.presentation", ".odp"},
    {"application/vnd.oasis.opendocument.spreadsheet", ".ods"},
    {"application/vnd.oasis.opendocument.text", ".odt"},
    {"application/vnd.openxmlformats-officedocument.presentationml.presentation", ".pptx"},
    {"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet", ".xlsx"},
    {"application/vnd.openxmlformats-officedocument.wordprocessingml.document", ".docx"},
    {"application/x-7z-compressed", ".7z"},
    {"application/x-gzip", ".gz"},
    {"application/x-pkcs7-signature", ".p7s"},
    {"application/x-tar", ".tar"},
    {"application/x-zip-compressed", ".zip"},
    {"application/xml", ".xml"},
    {"application/zip", ".zip"},
    {"audio/mpeg", ".mp3"},
    {"audio/wav", ".wav"},
    {"image/bmp", ".bmp"},
    {"image/gif", ".gif"},
    {"image/heic", ".heic"},
    {"image/jpeg", ".jpg"},
    {"image/pjpeg", ".jpg"},
    {"image/png", ".png"},
    {"image/svg+xml", ".svg"},
    {"image/tiff", ".tif"},
    {"image/webp", ".webp"},
    {"message/rfc822", ".eml"},
    {"text/calendar", ".ics"},
    {"text/csv", ".csv"},
    {"text/html", ".html"},
    {"text/plain", ".txt"},
    {"text/vcard", ".vcf"},
    {"text/x-vcard", ".vcf"},
    {"text/xml", ".xml"},
    {"video/mp4", ".mp4"},
    {"video/mpeg", ".mpg"},
    {"video/quicktime", ".mov"},
};

// The largest character start not after limit (0 when there is none).
std::size_t CutAt(const std::vector<std::size_t>& starts, std::size_t limit)
{
    const auto it = std::upper_bound(starts.begin(), starts.end(), limit);
    return it == starts.begin() ? 0 : *(it - 1);
}

// Where the extension begins: the last "." that is not the first byte and
// leaves at most kMaxExtension bytes; the name's size when there is none.
std::size_t ExtensionStart(std::string_view name, const std::vector<std::size_t>& starts)
{
    for (auto it = starts.rbegin(); it != starts.rend() && name.size() - *it <= kMaxExtension; ++it)
        if (name[*it] == '.')
            return *it == 0 ? name.size() : *it;
    return name.size();
}

// The name cut to at most limit bytes at a character boundary, its
// extension kept when that leaves a character of the stem.
std::string Shortened(std::string_view name, std::string_view charset, std::size_t limit)
{
    if (name.size() <= limit)
        return std::string(name);
    const auto starts = CharacterStarts(name, charset);
    const std::size_t extension = ExtensionStart(name, starts);
    const std::size_t tail = name.size() - extension;
    if (tail < limit) {
        const std::size_t stem = CutAt(starts, limit - tail);
        if (stem > 0)
            return std::string(name.substr(0, stem)) + std::string(name.substr(extension));
    }
    return std::string(name.substr(0, CutAt(starts, limit)));
}

std::string Numbered(std::string_view name, const std::vector<std::size_t>& starts, int number, std::size_t nameMax)
{
    nameMax = std::max(nameMax, kMinNameMax);
    const std::string suffix = "-" + std::to_string(number);
    const std::size_t extension = ExtensionStart(name, starts);
    const std::string_view stem = name.substr(0, extension);
    const std::string_view tail = name.substr(extension);
    const std::size_t room = nameMax - suffix.size() - tail.size();
    const std::size_t kept = stem.size() <= room ? stem.size() : CutAt(starts, room);
    return std::string(stem.substr(0, kept)) + suffix + std::string(tail);
}

}  // namespace

std::string SafeFileName(std::string_view name, std::string_view charset, std::size_t nameMax)
{
    nameMax = std::max(nameMax, kMinNameMax);
    // Separators count only where a character begins: the second byte of a
    // double-byte character may be "\".
    const auto starts = CharacterStarts(name, charset);
    for (auto it = starts.rbegin(); it != starts.rend(); ++it) {
        if (name[*it] == '/' || name[*it] == '\\') {
            name.remove_prefix(*it + 1);
            break;
        }
    }
    std::string safe(name);
    for (char& c : safe) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 32 || b == 127)
            c = '_';
    }
    const std::size_t first = safe.find_first_not_of(" .-");
    if (first == std::string::npos)
        return {};
    std::size_t last = safe.size();
    while (IsBlank(safe[last - 1]))
        --last;
    return Shortened(std::string_view(safe).substr(first, last - first), charset, nameMax);
}

std::string_view MediaTypeExtension(std::string_view mediaType)
{
    for (const auto& entry : kMediaExtensions)
        if (EqualsAsciiNoCase(entry.type, mediaType))
            return entry.extension;
    return {};
}

std::string UnnamedPartName(int number, std::string_view mediaType)
{
    return "attachment-" + std::to_string(number) + std::string(MediaTypeExtension(mediaType));
}

std::string PartFileName(const FileName& decoded, int number, std::string_view mediaType, bool encodingKnown,
                         std::size_t nameMax)
{
    std::string name = SafeFileName(decoded.name, decoded.charset, nameMax);
    if (name.empty())
        name = UnnamedPartName(number, mediaType);
    if (encodingKnown)
        return name;
    // The suffix is the extension now; the name gives way to it.
    name = Shortened(name, decoded.charset, std::max(nameMax, kMinNameMax) - kEncodedSuffix.size());
    return name + std::string(kEncodedSuffix);
}

std::string NumberedName(std::string_view name, int number, std::string_view charset, std::size_t nameMax)
{
    return Numbered(name, CharacterStarts(name, charset), number, nameMax);
}

std::string FirstFreeName(std::string_view name, const std::function<bool(std::string_view)>& isTaken,
                          std::string_view charset, std::size_t nameMax)
{
    if (!isTaken(name))
        return std::string(name);
    const auto starts = CharacterStarts(name, charset);
    for (int number = 2; number <= kMaxNameNumber; ++number) {
        std::string candidate = Numbered(name, starts, number, nameMax);
        if (!isTaken(candidate))
            return candidate;
    }
    return {};
}

}  // namespace norvane
