#include "engine/Attachments.h"

#include "engine/AttachmentSaver.h"
#include "engine/FileIo.h"
#include "engine/PartHeader.h"
#include "engine/TextRules.h"

namespace norvane {

namespace {

constexpr std::string_view kMixedType = "Content-Type: multipart/mixed;";
constexpr std::string_view kBoundaryParam = "boundary=\"";
constexpr std::string_view kDisposition = "Content-Disposition: ";

// The same words matched in any letter case.
constexpr std::string_view kTypeField = "Content-Type:";
constexpr std::string_view kMixed = "multipart/mixed";
constexpr std::string_view kDispositionField = "Content-Disposition:";

// The value of a Content-Type line of type multipart/mixed, in any letter
// case with any blanks after the colon; nullopt for any other line.
std::optional<std::string_view> MixedTypeValue(std::string_view line)
{
    if (!StartsWithAsciiNoCase(line, kTypeField))
        return std::nullopt;
    std::string_view value = line.substr(kTypeField.size());
    while (!value.empty() && IsBlank(value.front()))
        value.remove_prefix(1);
    if (!StartsWithAsciiNoCase(value, kMixed))
        return std::nullopt;
    const std::string_view after = value.substr(kMixed.size());
    if (!after.empty() && after.front() != ';' && !IsBlank(after.front()))
        return std::nullopt;  // another type that begins alike
    return value;
}

std::optional<std::string> BoundaryParameter(std::string_view fieldValue)
{
    auto boundary = FindParameter(fieldValue, "boundary");
    if (!boundary || boundary->value.empty())
        return std::nullopt;
    return std::move(boundary->value);
}

RemovalOptions OriginalRules(bool removeTraces)
{
    RemovalOptions options;
    options.removeTraces = removeTraces;
    return options;
}

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

AttachmentRemover::AttachmentRemover(const RemovalOptions& options, LineSink& out, LineReader& input,
                                     std::size_t holdLimit)
    : options_(options), out_(out), input_(input), holdLimit_(holdLimit)
{
    if (options.protectSigned)
        tracker_.emplace();
}

AttachmentRemover::AttachmentRemover(bool removeTraces, LineSink& out, LineReader& input, std::size_t holdLimit)
    : AttachmentRemover(OriginalRules(removeTraces), out, input, holdLimit)
{
}

void AttachmentRemover::PutLine(std::string_view line)
{
    PutLineAt(line, input_.LineOffset(), input_.LastLineEnd());
}

void AttachmentRemover::PutLineWithEnd(std::string_view line, LineEnd end)
{
    PutLineAt(line, input_.LineOffset(), end);
}

void AttachmentRemover::PutLineAt(std::string_view line, std::uint64_t offset, LineEnd end)
{
    MimeLine mime;
    if (tracker_)
        mime = tracker_->Next(line);
    if (hasPending_) {
        hasPending_ = false;
        Process(pending_, pendingOffset_, pendingEnd_, pendingMime_, &line);
    }
    // Only a multipart/mixed declaration needs the line after it, and only
    // where declarations are looked for.
    const bool passedWhole = mime.inProtected && state_ == ScanState::Outside;
    if (!options_.anyCase && !passedWhole &&
        (state_ == ScanState::Outside || state_ == ScanState::AttachmentBody) && line.starts_with(kMixedType)) {
        pending_.assign(line);
        pendingOffset_ = offset;
        pendingEnd_ = end;
        pendingMime_ = mime;
        hasPending_ = true;
        return;
    }
    Process(line, offset, end, mime, nullptr);
}

bool AttachmentRemover::IsDelimiter(std::string_view line) const
{
    // A delimiter holds the boundary at one of its first three bytes. Every
    // body line of an attachment comes here: test one byte before comparing
    // the whole boundary.
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

bool AttachmentRemover::IsDisposition(std::string_view line) const
{
    return options_.anyCase ? StartsWithAsciiNoCase(line, kDispositionField) : line.starts_with(kDisposition);
}

void AttachmentRemover::Declare(std::string_view line)
{
    // In any letter case the boundary may stand on any continuation line of
    // the declaring Content-Type line.
    const bool continues = declaring_ && IsContinuationLine(line);
    declaring_ = false;
    std::optional<std::string> boundary;
    if (continues) {
        boundary = BoundaryParameter(";" + std::string(line));
    } else if (const auto value = MixedTypeValue(line)) {
        boundary = BoundaryParameter(*value);
    } else {
        return;
    }
    if (boundary)
        boundary_ = std::move(*boundary);
    else
        declaring_ = true;
}

void AttachmentRemover::Hold(std::string_view line, LineEnd end)
{
    ++heldLines_;
    lastHeldEnd_ = end;
    if (spilled_)
        return;
    if (heldBytes_ + line.size() > holdLimit_) {
        // Header lines that never end must not fill the memory: from here on
        // the held stretch is read again from the input if it stays.
        spilled_ = true;
        std::vector<HeldLine>().swap(held_);
        return;
    }
    held_.push_back({std::string(line), end});
    heldBytes_ += line.size();
}

void AttachmentRemover::Replay(std::uint64_t offset, int lines)
{
    input_.Seek(offset);
    std::string_view line;
    for (int n = 0; n < lines && input_.Next(line); ++n)
        out_.PutLineWithEnd(line, input_.LastLineEnd());
}

void AttachmentRemover::PassHeld()
{
    if (spilled_)
        Replay(partOffset_, heldLines_);
    else
        for (const auto& line : held_)
            out_.PutLineWithEnd(line.text, line.end);
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
    out_.PutLineWithEnd(std::string_view(), lastHeldEnd_);
    held_.clear();
    heldBytes_ = 0;
    heldLines_ = 0;
    spilled_ = false;
}

void AttachmentRemover::KeepPart(std::uint64_t offset, LineEnd end)
{
    // The part stays whole; the empty line at offset ended its header lines.
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
    out_.PutLineWithEnd(std::string_view(), end);
}

void AttachmentRemover::Process(std::string_view line, std::uint64_t offset, LineEnd end, const MimeLine& mime,
                                const std::string_view* next)
{
    if (options_.protectSigned) {
        if (mime.inProtected && state_ == ScanState::Outside) {
            declaring_ = false;
            keptProtected_ = true;
            out_.PutLineWithEnd(line, end);
            return;
        }
        if (mime.opensProtected && (state_ == ScanState::PartHeaders || state_ == ScanState::AttachmentHeaders)) {
            KeepPart(offset, end);
            return;
        }
    }
    switch (state_) {
    case ScanState::Outside:
    case ScanState::AttachmentBody:
        if (next) {
            if (std::string declared = FindBoundary(line, *next); !declared.empty())
                boundary_ = std::move(declared);
        }
        if (options_.anyCase)
            Declare(line);
        if (!boundary_.empty() && IsDelimiter(line)) {
            if (state_ == ScanState::Outside) {
                if (IsClosingDelimiter(line)) {
                    // The multipart message is over; a part opened here could
                    // swallow whatever follows.
                    boundary_.clear();
                    out_.PutLineWithEnd(line, end);
                    return;
                }
                partOpen_ = true;
                partOffset_ = offset;
                state_ = ScanState::PartHeaders;
                if (saver_)
                    saver_->BeginPart();
                if (options_.removeTraces)
                    Hold(line, end);
                else
                    out_.PutLineWithEnd(line, end);
                return;
            }
            // The attachment body ends at this delimiter.
            const auto note = saver_ ? saver_->EndBody() : std::nullopt;
            if (noteHeld_) {
                noteHeld_ = false;
                if (note)
                    out_.PutLineWithEnd(*note, headerEnd_);
                out_.PutLineWithEnd(std::string_view(), heldEmptyEnd_);
            }
            if (IsClosingDelimiter(line))
                boundary_.clear();
            removed_ += bodyLines_;
            bodyLines_ = 0;
            if (options_.removeTraces && partOpen_)
                DropHeld();
            partOpen_ = false;
            state_ = ScanState::Outside;
            Process(line, offset, end, mime, next);
            return;
        }
        if (state_ == ScanState::AttachmentBody) {
            if (bodyLines_ == 0)
                bodyOffset_ = offset;
            ++bodyLines_;
            if (saver_)
                saver_->PutBodyLine(line);
            return;
        }
        out_.PutLineWithEnd(line, end);
        return;
    case ScanState::PartHeaders:
        declaring_ = false;
        if (line.empty()) {
            // A part without Content-Disposition stays whole.
            KeepPart(offset, end);
            return;
        }
        if (IsDisposition(line))
            state_ = ScanState::AttachmentHeaders;
        if (saver_)
            saver_->PutHeaderLine(line);
        headerEnd_ = end;
        break;
    case ScanState::AttachmentHeaders:
        declaring_ = false;
        if (line.empty()) {
            state_ = ScanState::AttachmentBody;
            bodyLines_ = 0;
            if (saver_ && saver_->BeginBody() && !options_.removeTraces) {
                noteHeld_ = true;
                heldEmptyEnd_ = end;
                return;
            }
        } else {
            if (saver_)
                saver_->PutHeaderLine(line);
            headerEnd_ = end;
        }
        break;
    }
    if (options_.removeTraces)
        Hold(line, end);
    else
        out_.PutLineWithEnd(line, end);
}

void AttachmentRemover::Finish()
{
    if (finished_)
        return;
    finished_ = true;
    if (hasPending_) {
        hasPending_ = false;
        Process(pending_, pendingOffset_, pendingEnd_, pendingMime_, nullptr);
    }
    // Whatever is still held was never confirmed as a trace: it stays.
    PassHeld();
    if (state_ == ScanState::AttachmentBody && saver_)
        saver_->DropBody();
    if (noteHeld_) {
        noteHeld_ = false;
        out_.PutLineWithEnd(std::string_view(), heldEmptyEnd_);
    }
    if (state_ == ScanState::AttachmentBody && bodyLines_ > 0) {
        // A body that reached the end without a delimiter is kept: one
        // truncated attachment must not take every later message with it.
        Replay(bodyOffset_, bodyLines_);
        bodyLines_ = 0;
    }
}

}  // namespace norvane
