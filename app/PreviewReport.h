#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace norvane {

// What one change of a Vesk result does to the file, as a preview names it.
enum class PreviewChangeKind {
    kHeaderLines,  // header lines (with their continuations) removed
    kAttachment,   // an attachment's body (and part headers) removed
    kJoined,       // a folded charset line joined onto its Content-Type line
    kBlankLines,   // empty lines (or end-of-file marks) cut
    kOther,        // lines replaced or added (a removal note)
};

struct PreviewChange {
    PreviewChangeKind kind = PreviewChangeKind::kOther;
    std::size_t line = 0;  // the first line concerned in the file, from 1
    std::size_t removedLines = 0;
    std::uint64_t removedBytes = 0;  // with their line ends
    // The first lines removed and added, without their ends; the rest only
    // counted.
    std::vector<std::string> removed;
    std::vector<std::string> added;
};

struct PreviewReport {
    std::vector<PreviewChange> changes;
    // Lines that keep their text and get another line end.
    std::size_t lineEndChanges = 0;
};

// At most this many lines of a change are kept for showing.
inline constexpr std::size_t kPreviewLinesShown = 6;

// The changes that turn a file (before) into its Vesk result (after), lines
// taken as the file's own (ended by CR LF, a lone CR or LF).
PreviewReport DescribeChanges(std::string_view before, std::string_view after);

}  // namespace norvane
