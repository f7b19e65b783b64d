#include "engine/MimeStructure.h"

namespace norvane {

namespace {

constexpr std::string_view kMessageStart = "From ";

bool OnlyBlanks(std::string_view text)
{
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace

bool IsProtectedMediaType(std::string_view type)
{
    return type == "multipart/signed" || type == "multipart/encrypted" || type == "application/pkcs7-mime" ||
           type == "application/x-pkcs7-mime";
}

MimeLine MimeTracker::Next(std::string_view line)
{
    MimeLine out;
    if (!started_) {
        started_ = true;
        mailbox_ = line.starts_with(kMessageStart);
        block_ = HeaderBlock::kMessage;
    } else if (mailbox_ && previousEmpty_ && line.starts_with(kMessageStart)) {
        // A new message: its header block begins with the next line.
        open_.clear();
        header_ = PartHeader();
        block_ = HeaderBlock::kMessage;
        blockProtected_ = false;
        bodyProtected_ = false;
        previousEmpty_ = false;
        return out;
    }
    previousEmpty_ = line.empty();
    if (block_ != HeaderBlock::kNone) {
        if (line.empty()) {
            out.inProtected = blockProtected_;
            CloseBlock();
            out.opensProtected = bodyProtected_;
            return out;
        }
        if (Delimiter(line, out))
            return out;  // a part header without body
        out.block = block_;
        out.inProtected = blockProtected_;
        header_.PutLine(line);
        return out;
    }
    if (!Delimiter(line, out))
        out.inProtected = bodyProtected_;
    return out;
}

void MimeTracker::CloseBlock()
{
    const std::string type = header_.MediaType();
    const bool isProtected = blockProtected_ || IsProtectedMediaType(type);
    block_ = HeaderBlock::kNone;
    bodyProtected_ = isProtected;
    if (type.starts_with("multipart/") && open_.size() < kMaxDepth) {
        const auto boundary = FindParameter(header_.ContentType(), "boundary");
        if (boundary && !boundary->value.empty() && boundary->value.size() <= kMaxBoundary)
            open_.push_back({boundary->value, isProtected, false});
    }
    header_ = PartHeader();
}

bool MimeTracker::Delimiter(std::string_view line, MimeLine& out)
{
    if (open_.empty() || !line.starts_with("--"))
        return false;
    for (std::size_t i = open_.size(); i-- > 0;) {
        Multipart& multipart = open_[i];
        const std::string& boundary = multipart.boundary;
        if (multipart.closed || line.size() < 2 + boundary.size() || line.compare(2, boundary.size(), boundary) != 0)
            continue;
        const std::string_view rest = line.substr(2 + boundary.size());
        const bool closing = rest.starts_with("--");
        if (!closing && !OnlyBlanks(rest))
            continue;
        open_.resize(i + 1);
        out.inProtected = open_[i].isProtected;
        header_ = PartHeader();
        if (closing) {
            open_[i].closed = true;
            block_ = HeaderBlock::kNone;
            bodyProtected_ = open_[i].isProtected;
        } else {
            block_ = HeaderBlock::kPart;
            blockProtected_ = open_[i].isProtected;
        }
        return true;
    }
    return false;
}

}  // namespace norvane
