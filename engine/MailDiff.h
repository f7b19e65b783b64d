#pragma once

#include "engine/ByteSink.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace norvane {

// A text cut into lines as a unified diff counts them: each line ends after
// its LF, the last one may have none. A CR is part of the line.
class DiffLines {
public:
    explicit DiffLines(std::string_view text);

    std::size_t Count() const { return starts_.size(); }
    // The line with its LF.
    std::string_view Line(std::size_t index) const;
    // The line without its LF and a CR before it.
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
std::vector<DiffBlock> DiffBlocks(const DiffLines& before, const DiffLines& after);

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
