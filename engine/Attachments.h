#pragma once

#include "engine/LineSink.h"
#include "engine/MimeStructure.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norvane {

class AttachmentSaver;
class LineReader;

// The boundary declared by a line that begins "Content-Type: multipart/mixed;",
// taken from that line or, when it is not there, from the folded line after
// it; empty when the line declares none. The boundary runs from after
// 'boundary="' to the second-to-last byte of its line.
std::string FindBoundary(std::string_view line, std::string_view next);

// How attachment removal reads a file; everything off gives the original
// rules.
struct RemovalOptions {
    // Also remove the delimiter and part header lines of each removed
    // attachment.
    bool removeTraces = false;
    // "Content-Type", "multipart/mixed", "boundary" and "Content-Disposition"
    // match in any letter case, with any run of blanks or TABs after the
    // colon, and the boundary is read as a parameter (quoted or not) from the
    // Content-Type line or any of its continuation lines.
    bool anyCase = false;
    // Nothing inside a signed or encrypted entity (see MimeTracker) is
    // removed: such a part stays whole, part header and all. An attachment
    // that holds one is still removed as a whole.
    bool protectSigned = false;
    // RemoveAttachments writes each line with the end it had instead of CR LF.
    bool keepLineEnds = false;
};

// Removes the encoded bodies of attached parts (parts with a
// Content-Disposition header) from the lines put into it, and with
// removeTraces also their delimiter and part header lines, passing every
// surviving line on to out, with its end, as soon as it is sure to stay.
//
// It holds back only the line that may declare a boundary (until the next
// line is known) and, with removeTraces, the delimiter and header lines of
// the current part, up to holdLimit bytes; beyond that it notes only where
// they began and reads them again from the input if they stay. Deleted body
// lines are not held: an attachment body that runs to the end of the input
// is kept, so Finish reads that stretch again from where it began.
class AttachmentRemover final : public LineSink {
public:
    static constexpr std::size_t kHoldLimit = 1 << 20;

    // input is the reader the lines come from; it must stay open until Finish.
    AttachmentRemover(const RemovalOptions& options, LineSink& out, LineReader& input,
                      std::size_t holdLimit = kHoldLimit);
    // The original rules.
    AttachmentRemover(bool removeTraces, LineSink& out, LineReader& input, std::size_t holdLimit = kHoldLimit);

    // Takes the line input returned last (its offset is input.LineOffset(),
    // its end input.LastLineEnd()).
    void PutLine(std::string_view line) override;
    void PutLineWithEnd(std::string_view line, LineEnd end) override;
    // Takes a line that begins at the given input offset. It may move input
    // back to read held lines again, but leaves it just after the line it
    // returned last.
    void PutLineAt(std::string_view line, std::uint64_t offset, LineEnd end = LineEnd::kCrLf);
    // Ends the input: passes on what is still held and re-reads a body that
    // reached the end. Moves input; nothing may be put afterwards.
    void Finish();

    // Reports each removed attachment to saver, which saves its content and
    // makes its note: the note line goes after the part header lines, just
    // before the empty line that ends them (held until the body has ended),
    // with the end of the last part header line. Only with the traces kept is
    // a note put; a body cut off gets none. Set before the first line.
    void SaveWith(AttachmentSaver& saver) { saver_ = &saver; }

    // Lines deleted so far (final after Finish).
    int Removed() const { return removed_; }
    // Whether lines of a signed or encrypted entity were passed on whole
    // (only with protectSigned).
    bool KeptProtected() const { return keptProtected_; }

private:
    void Process(std::string_view line, std::uint64_t offset, LineEnd end, const MimeLine& mime,
                 const std::string_view* next);
    void Declare(std::string_view line);
    void KeepPart(std::uint64_t offset, LineEnd end);
    void Hold(std::string_view line, LineEnd end);
    void PassHeld();
    void DropHeld();
    void Replay(std::uint64_t offset, int lines);
    bool IsDelimiter(std::string_view line) const;
    bool IsClosingDelimiter(std::string_view line) const;
    bool IsDisposition(std::string_view line) const;

    // Where the scan stands.
    enum class ScanState {
        Outside,            // between parts: delimiters and declarations are looked for
        PartHeaders,        // a part's header lines, no Content-Disposition yet
        AttachmentHeaders,  // the header lines of a part with Content-Disposition
        AttachmentBody,     // its body, deleted up to the next delimiter
    };

    struct HeldLine {
        std::string text;
        LineEnd end;
    };

    RemovalOptions options_;
    LineSink& out_;
    LineReader& input_;
    std::size_t holdLimit_;
    std::optional<MimeTracker> tracker_;  // with protectSigned

    ScanState state_ = ScanState::Outside;
    std::string boundary_;
    bool declaring_ = false;  // a multipart/mixed Content-Type without boundary yet (anyCase)
    int removed_ = 0;
    bool keptProtected_ = false;

    // The line waiting for its successor, because it may declare a boundary.
    bool hasPending_ = false;
    std::string pending_;
    std::uint64_t pendingOffset_ = 0;
    LineEnd pendingEnd_ = LineEnd::kCrLf;
    MimeLine pendingMime_;

    // The current part's delimiter and header lines (and the empty line that
    // ended them), held while they may still be deleted as traces; past the
    // limit only counted, from the part's offset.
    std::vector<HeldLine> held_;
    std::size_t heldBytes_ = 0;
    int heldLines_ = 0;
    LineEnd lastHeldEnd_ = LineEnd::kCrLf;
    bool spilled_ = false;
    bool partOpen_ = false;
    std::uint64_t partOffset_ = 0;

    // Body lines deleted since the attachment body began, and where it began.
    int bodyLines_ = 0;
    std::uint64_t bodyOffset_ = 0;
    bool finished_ = false;

    AttachmentSaver* saver_ = nullptr;
    LineEnd headerEnd_ = LineEnd::kCrLf;  // the end of the last part header line
    // The empty line after the part header lines waits for the note.
    bool noteHeld_ = false;
    LineEnd heldEmptyEnd_ = LineEnd::kCrLf;
};

struct RemovalResult {
    int removed = 0;               // lines deleted
    bool protectedEntity = false;  // a signed or encrypted entity was kept whole
};

// When removeBodies is on, removes attachment bodies (and with removeTraces
// their delimiter and part header lines) and rewrites the file (with CR LF
// line ends, or each line's own with keepLineEnds), taking an exact backup
// first when backup is on; a file that does not change (or has fewer than 2
// lines) is neither rewritten nor backed up. A run of one file: see
// VeskFile for the safety rules and VeskRun::BackupName for the name.
RemovalResult RemoveAttachments(const std::string& fileName, bool backup, bool removeBodies,
                                const RemovalOptions& options);
// The original rules; returns the number of deleted lines.
int RemoveAttachments(const std::string& fileName, bool backup, bool removeBodies, bool removeTraces);

}  // namespace norvane
