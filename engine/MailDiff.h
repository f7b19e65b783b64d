#pragma once

#include "engine/ByteSink.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace norvane {

// Where a text's lines end.
enum class LineSplit {
    kLf,    // after each LF, as a unified diff counts lines: a lone CR is part of its line
    kFile,  // after each CR LF, lone CR or LF, as the mail's own lines end
};

// A text cut into lines; the last one may have no end.
class DiffLines {
public:
    explicit DiffLines(std::string_view text, LineSplit split = LineSplit::kLf);

    std::size_t Count() const { return starts_.size(); }
    // The line with its end.
    std::string_view Line(std::size_t index) const;
    // The line without its end (LF, a CR before it, or a lone CR).
    std::string_view Text(std::size_t index) const;

private:
    std::string_view text_;
    std::vector<std::uint64_t> starts_;
};

// Lines before[before, before + removed) replaced by after[after, after + added).
struct DiffBlock {
    std::size_t before = 0;
    std::size_t removed = 0;
    std::size_t after = 0;
    std::size_t added = 0;
};

// The blocks in which two texts differ, in order, for a result made from
// the text by deleting lines, changing their ends and joining a line onto
// the one above: each line of after is matched, by its text without the line
// end, with the first line of before at or past the last match that has the
// same text (the lines between are removed), unless it is the current line
// of before with more joined onto it (added); lines matched with another end
// count as one removed and one added. Every line outside the blocks is in
// both texts, in order and byte for byte, so the blocks always turn before
// into after, whatever the texts; the matching only decides how short they
// are. Time and memory grow with the number of lines times their log.
// With ignoreLineEnds, lines of the same text match whatever their ends.
std::vector<DiffBlock> DiffBlocks(const DiffLines& before, const DiffLines& after, bool ignoreLineEnds = false);

// Whether the two texts hold the same lines in the file's own sense (ended
// by CR LF, a lone CR or LF) and differ only in how they end.
bool OnlyLineEndsDiffer(std::string_view before, std::string_view after);

// Writes a unified diff that turns before into after: "--- " oldName and
// "+++ " newName (written as given), then hunks with `context` unchanged
// lines around the changes, every line with its own bytes (CR LF and a
// lone CR as they are), and "\ No newline at end of file" after a last line
// without LF. Nothing when the texts are equal.
void WriteUnifiedDiff(ByteSink& out, std::string_view oldName, std::string_view newName, std::string_view before,
                      std::string_view after, std::size_t context = 3);

}  // namespace norvane
