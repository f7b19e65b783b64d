#include "engine/Attachments.h"

#include "engine/FileIo.h"

namespace norvane {

namespace {

constexpr std::string_view kMixedType = "Content-Type: multipart/mixed;";
constexpr std::string_view kBoundaryParam = "boundary=\"";
constexpr std::string_view kDisposition = "Content-Disposition: ";

}  // namespace

std::string FindBoundary(std::string_view line, std::string_view next)
{
    if (!line.starts_with(kMixedType))
        return {};
    std::string_view source = line;
    std::size_t at = line.find(kBoundaryParam);
    if (at == std::string_view::npos || at == 0) {
        // A folded parameter line begins with white space, so the parameter
        // never stands at its very start.
        source = next;
        at = next.find(kBoundaryParam);
        if (at == std::string_view::npos || at == 0)
            return {};
    }
    // The last byte of the line is taken for the closing quote.
    const std::size_t start = at + kBoundaryParam.size();
    if (source.size() <= start + 1)
        return {};
    return std::string(source.substr(start, source.size() - start - 1));
}

AttachmentRemover::AttachmentRemover(bool removeTraces, LineSink& out, LineReader& input, std::size_t holdLimit)
    : removeTraces_(removeTraces), out_(out), input_(input), holdLimit_(holdLimit)
{
}

void AttachmentRemover::PutLine(std::string_view line)
{
    PutLineAt(line, input_.LineOffset());
}

void AttachmentRemover::PutLineAt(std::string_view line, std::uint64_t offset)
{
    if (hasPending_) {
        hasPending_ = false;
        Process(pending_, pendingOffset_, &line);
    }
    // Only a multipart/mixed declaration needs the line after it, and only
    // where declarations are looked for.
    if ((state_ == ScanState::Outside || state_ == ScanState::AttachmentBody) && line.starts_with(kMixedType)) {
        pending_.assign(line);
        pendingOffset_ = offset;
        hasPending_ = true;
        return;
    }
    Process(line, offset, nullptr);
}

bool AttachmentRemover::IsDelimiter(std::string_view line) const
{
    // The boundary's first occurrence is at one of the first three bytes
    // exactly when it occurs at one of them.
    // Every body line of an attachment comes here: test one byte before
    // comparing the whole boundary.
    for (std::size_t at = 0; at < 3 && at + boundary_.size() <= line.size(); ++at)
        if (line[at] == boundary_.front() && line.compare(at, boundary_.size(), boundary_) == 0)
            return true;
    return false;
}

bool AttachmentRemover::IsClosingDelimiter(std::string_view line) const
{
    return line.size() >= boundary_.size() + 4 && line.starts_with("--") &&
           line.compare(2, boundary_.size(), boundary_) == 0 &&
           line.compare(2 + boundary_.size(), 2, "--") == 0;
}

void AttachmentRemover::Hold(std::string_view line)
{
    ++heldLines_;
    if (spilled_)
        return;
    if (heldBytes_ + line.size() > holdLimit_) {
        // Header lines that never end must not fill the memory: from here on
        // the held stretch is read again from the input if it stays.
        spilled_ = true;
        std::vector<std::string>().swap(held_);
        return;
    }
    held_.emplace_back(line);
    heldBytes_ += line.size();
}

void AttachmentRemover::Replay(std::uint64_t offset, int lines)
{
    input_.Seek(offset);
    std::string_view line;
    for (int n = 0; n < lines && input_.Next(line); ++n)
        out_.PutLine(line);
}

void AttachmentRemover::PassHeld()
{
    if (spilled_)
        Replay(partOffset_, heldLines_);
    else
        for (const auto& line : held_)
            out_.PutLine(line);
    held_.clear();
    heldBytes_ = 0;
    heldLines_ = 0;
    spilled_ = false;
}

void AttachmentRemover::DropHeld()
{
    // Delimiter and part header lines go; the empty line that ended them
    // (the last one held) stays.
    removed_ += heldLines_ - 1;
    out_.PutLine(std::string_view());
    held_.clear();
    heldBytes_ = 0;
    heldLines_ = 0;
    spilled_ = false;
}

void AttachmentRemover::Process(std::string_view line, std::uint64_t offset, const std::string_view* next)
{
    switch (state_) {
    case ScanState::Outside:
    case ScanState::AttachmentBody:
        if (next) {
            if (std::string declared = FindBoundary(line, *next); !declared.empty())
                boundary_ = std::move(declared);
        }
        if (!boundary_.empty() && IsDelimiter(line)) {
            if (state_ == ScanState::Outside) {
                if (IsClosingDelimiter(line)) {
                    // The multipart message is over; a part opened here could
                    // swallow whatever follows.
                    boundary_.clear();
                    out_.PutLine(line);
                    return;
                }
                partOpen_ = true;
                partOffset_ = offset;
                state_ = ScanState::PartHeaders;
                if (removeTraces_)
                    Hold(line);
                else
                    out_.PutLine(line);
                return;
            }
            // The attachment body ends at this delimiter.
            if (IsClosingDelimiter(line))
                boundary_.clear();
            removed_ += bodyLines_;
            bodyLines_ = 0;
            if (removeTraces_ && partOpen_)
                DropHeld();
            partOpen_ = false;
            state_ = ScanState::Outside;
            Process(line, offset, next);
            return;
        }
        if (state_ == ScanState::AttachmentBody) {
            if (bodyLines_ == 0)
                bodyOffset_ = offset;
            ++bodyLines_;
            return;
        }
        out_.PutLine(line);
        return;
    case ScanState::PartHeaders:
        if (line.empty()) {
            // A part without Content-Disposition stays whole.
            const bool reread = spilled_;
            PassHeld();
            if (reread) {
                // Back to just after this line, where the input was.
                input_.Seek(offset);
                std::string_view skipped;
                input_.Next(skipped);
            }
            partOpen_ = false;
            state_ = ScanState::Outside;
            out_.PutLine(std::string_view());
            return;
        }
        if (line.starts_with(kDisposition))
            state_ = ScanState::AttachmentHeaders;
        break;
    case ScanState::AttachmentHeaders:
        if (line.empty()) {
            state_ = ScanState::AttachmentBody;
            bodyLines_ = 0;
        }
        break;
    }
    if (removeTraces_)
        Hold(line);
    else
        out_.PutLine(line);
}

void AttachmentRemover::Finish()
{
    if (finished_)
        return;
    finished_ = true;
    if (hasPending_) {
        hasPending_ = false;
        Process(pending_, pendingOffset_, nullptr);
    }
    // Whatever is still held was never confirmed as a trace: it stays.
    PassHeld();
    if (state_ == ScanState::AttachmentBody && bodyLines_ > 0) {
        // A body that reached the end without a delimiter is kept: one
        // truncated attachment must not take every later message with it.
        Replay(bodyOffset_, bodyLines_);
        bodyLines_ = 0;
    }
}

}  // namespace norvane
