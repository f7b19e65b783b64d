#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace norvane {

// The header fields of one MIME part that saving its content needs,
// collected from the part's header lines as the mail pass meets them.
// Field names are matched in any letter case, blanks before the colon
// allowed; a folded field's continuation lines are joined onto it as they
// stand (a line end removed, nothing else). Of a field given twice the
// first counts. A field longer than kFieldLimit keeps only its start.
class PartHeader {
public:
    static constexpr std::size_t kFieldLimit = 64 * 1024;

    // Takes one header line without its line end.
    void PutLine(std::string_view line);

    const std::string& ContentType() const { return contentType_; }
    const std::string& ContentDisposition() const { return contentDisposition_; }
    const std::string& ContentTransferEncoding() const { return transferEncoding_; }
    // True when one of the lines is the note of an earlier removal.
    bool HasRemovalNote() const { return hasRemovalNote_; }

    // The Content-Type's "type/subtype" in lower case, blanks removed; empty
    // when there is none.
    std::string MediaType() const;

private:
    std::string contentType_;
    std::string contentDisposition_;
    std::string transferEncoding_;
    // The field that continuation lines go to, or none.
    std::string* current_ = nullptr;
    bool seenType_ = false;
    bool seenDisposition_ = false;
    bool seenEncoding_ = false;
    bool hasRemovalNote_ = false;
};

// A parameter of a structured field value (Content-Type, Content-
// Disposition) with its continuations joined.
struct MimeParameter {
    // The value's bytes: quotes and backslash escapes removed, "%XX" decoded
    // in extended sections, sections joined in number order.
    std::string value;
    // The charset an extended value names (empty when it names none).
    std::string charset;
    // True for the extended form (name* or name*0*=charset'language'...),
    // whose value is in that charset; else the value is as it was written.
    bool extended = false;
};

// The parameter of the given name (any letter case) in a field value: the
// first that is present and not empty of its extended form "name*", its
// sections "name*0", "name*1"... and its plain form "name". Parameters follow the first ";";
// a quoted value may hold ";", an unquoted one runs to the next ";" with
// blanks around it dropped. nullopt when there is no such parameter.
std::optional<MimeParameter> FindParameter(std::string_view fieldValue, std::string_view name);

}  // namespace norvane
