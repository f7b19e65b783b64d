#pragma once

#include "engine/PartHeader.h"

#include <string>
#include <string_view>
#include <vector>

namespace norvane {

// Which header block a line belongs to.
enum class HeaderBlock {
    kNone,     // a body line, the empty line that ends a block, or the "From " line that starts a message
    kMessage,  // a message's header: from the start of the file, or after a line that starts a message
    kPart,     // a part's header: after a delimiter line of a declared boundary
};

// What the MIME structure says about one line.
struct MimeLine {
    HeaderBlock block = HeaderBlock::kNone;
    // The line lies inside a signed or encrypted entity: in the body of a
    // multipart/signed, multipart/encrypted, application/pkcs7-mime or
    // application/x-pkcs7-mime entity, at any depth. The header block that
    // declares the entity lies outside it.
    bool inProtected = false;
    // The line is the empty line that ends a header block, and the body
    // after it is protected.
    bool opensProtected = false;
};

// Follows the MIME structure of a mail file as its lines stream past, one
// classification per line, holding only the open boundaries and the
// Content-Type of the header block being read.
//
// A header block opens at the start of the file, after a delimiter line of a
// declared boundary, and, in an mbox file (one whose first line begins with
// "From "), after a "From " line that follows an empty line: such a line
// starts a new message and forgets the structure of the one before. A block
// closes at its first empty line, or at a delimiter line of an open boundary.
// Its Content-Type (field name in any letter case, continuation lines
// joined) decides what follows: a multipart type with a boundary opens that
// boundary; its delimiter lines ("--" and the boundary, then only blanks or
// TABs) open parts, and its closing delimiter ("--", the boundary, "--")
// ends them; the delimiter of a boundary further out ends every part inside.
class MimeTracker {
public:
    // Nesting beyond this depth is read as an opaque body; a longer
    // boundary than kMaxBoundary declares nothing.
    static constexpr std::size_t kMaxDepth = 64;
    static constexpr std::size_t kMaxBoundary = 998;

    // Classifies the next line of the file.
    MimeLine Next(std::string_view line);

    // Whether the lines that come next, as long as none is empty or begins
    // with '-', are body lines that change nothing here, so that Next may be
    // skipped for them; inProtected is then theirs.
    bool PlainBody(bool& inProtected) const
    {
        if (!started_ || block_ != HeaderBlock::kNone || previousEmpty_)
            return false;
        inProtected = bodyProtected_;
        return true;
    }

    // Whether the first line began with "From ": then every "From " line
    // after an empty line starts a message.
    bool Mailbox() const { return mailbox_; }

private:
    struct Multipart {
        std::string boundary;
        bool isProtected = false;
        bool closed = false;  // its closing delimiter was met: the rest is its epilogue
    };

    void CloseBlock();
    bool Delimiter(std::string_view line, MimeLine& out);

    bool started_ = false;
    bool mailbox_ = false;
    bool previousEmpty_ = false;
    HeaderBlock block_ = HeaderBlock::kNone;
    bool blockProtected_ = false;  // the header block lies in a protected entity
    bool bodyProtected_ = false;   // body lines here lie in a protected entity
    PartHeader header_;
    std::vector<Multipart> open_;  // innermost last
};

// True for the media types (lower case, as PartHeader::MediaType gives
// them) whose content a rewrite would break: signed or encrypted mail.
bool IsProtectedMediaType(std::string_view type);

}  // namespace norvane
