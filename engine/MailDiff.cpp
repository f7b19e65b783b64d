#include "engine/MailDiff.h"

#include "engine/LineEnd.h"

#include <algorithm>
#include <functional>
#include <string>
#include <utility>

namespace norvane {

namespace {

// The lines of before by the hash of their text, to find where a line of
// after comes next.
class LineIndex {
public:
    explicit LineIndex(const DiffLines& lines) : lines_(lines)
    {
        entries_.reserve(lines.Count());
        for (std::size_t i = 0; i < lines.Count(); ++i)
            entries_.emplace_back(Hash(lines.Text(i)), i);
        std::sort(entries_.begin(), entries_.end());
    }

    // The first line at or after from whose text is text, or Count().
    std::size_t Next(std::string_view text, std::size_t from) const
    {
        const std::size_t hash = Hash(text);
        auto at = std::lower_bound(entries_.begin(), entries_.end(), std::make_pair(hash, from));
        for (; at != entries_.end() && at->first == hash; ++at)
            if (lines_.Text(at->second) == text)
                return at->second;
        return lines_.Count();
    }

private:
    static std::size_t Hash(std::string_view text) { return std::hash<std::string_view>{}(text); }

    const DiffLines& lines_;
    std::vector<std::pair<std::size_t, std::size_t>> entries_;
};

}  // namespace

DiffLines::DiffLines(std::string_view text, LineSplit split) : text_(text)
{
    std::string_view line;
    LineEnd end = LineEnd::kNone;
    for (std::size_t at = 0; at < text.size();) {
        starts_.push_back(at);
        if (split == LineSplit::kFile) {
            NextLine(text, at, line, end);
            continue;
        }
        const std::size_t lf = text.find('\n', at);
        at = lf == std::string_view::npos ? text.size() : lf + 1;
    }
}

std::string_view DiffLines::Line(std::size_t index) const
{
    const std::size_t start = starts_[index];
    const std::size_t stop = index + 1 < starts_.size() ? starts_[index + 1] : text_.size();
    return text_.substr(start, stop - start);
}

std::string_view DiffLines::Text(std::size_t index) const
{
    std::string_view line = Line(index);
    if (!line.empty() && line.back() == '\n')
        line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

std::vector<DiffBlock> DiffBlocks(const DiffLines& before, const DiffLines& after, bool ignoreLineEnds)
{
    std::vector<DiffBlock> blocks;
    const LineIndex index(before);
    DiffBlock open;
    bool isOpen = false;
    std::size_t i = 0;
    std::size_t j = 0;
    const auto extend = [&](std::size_t removed, std::size_t added) {
        if (!isOpen) {
            open = {i, 0, j, 0};
            isOpen = true;
        }
        open.removed += removed;
        open.added += added;
        i += removed;
        j += added;
    };
    const auto close = [&] {
        if (isOpen)
            blocks.push_back(open);
        isOpen = false;
    };
    while (j < after.Count()) {
        if (i < before.Count() && before.Text(i) == after.Text(j)) {
            if (ignoreLineEnds || before.Line(i) == after.Line(j)) {
                close();
                ++i;
                ++j;
            } else {
                extend(1, 1);  // the same text with another end
            }
            continue;
        }
        // A line that begins with the current line of before and goes on is
        // that line with the next joined onto it: added, and the lines it
        // was made of go as the following lines are matched.
        const std::string_view text = after.Text(j);
        const bool joined = i < before.Count() && !before.Text(i).empty() &&
                            text.size() > before.Text(i).size() && text.starts_with(before.Text(i));
        const std::size_t found = joined ? before.Count() : index.Next(text, i);
        if (found < before.Count())
            extend(found - i, 0);
        else
            extend(0, 1);
    }
    if (i < before.Count())
        extend(before.Count() - i, 0);
    close();
    return blocks;
}

bool OnlyLineEndsDiffer(std::string_view before, std::string_view after)
{
    if (before == after)
        return false;
    std::size_t at = 0;
    std::size_t bt = 0;
    std::string_view line;
    std::string_view other;
    LineEnd end = LineEnd::kNone;
    for (;;) {
        const bool more = NextLine(before, at, line, end);
        const bool otherMore = NextLine(after, bt, other, end);
        if (more != otherMore)
            return false;
        if (!more)
            return true;
        if (line != other)
            return false;
    }
}

void WriteUnifiedDiff(ByteSink& out, std::string_view oldName, std::string_view newName, std::string_view before,
                      std::string_view after, std::size_t context)
{
    if (before == after)
        return;
    const DiffLines old(before);
    const DiffLines fresh(after);
    const std::vector<DiffBlock> blocks = DiffBlocks(old, fresh);
    if (blocks.empty())
        return;
    std::string text = "--- ";
    text.append(oldName);
    text += "\n+++ ";
    text.append(newName);
    text += '\n';
    out.Write(text);

    const auto put = [&](char mark, std::string_view line) {
        text.assign(1, mark);
        text.append(line);
        if (line.empty() || line.back() != '\n')
            text += "\n\\ No newline at end of file\n";
        out.Write(text);
    };
    // A range as a hunk header gives it: the line before an empty range.
    const auto range = [](std::size_t start, std::size_t count) {
        return std::to_string(count == 0 ? start : start + 1) + "," + std::to_string(count);
    };
    for (std::size_t first = 0; first < blocks.size();) {
        // Blocks closer than twice the context share a hunk.
        std::size_t last = first;
        while (last + 1 < blocks.size() &&
               blocks[last + 1].before - (blocks[last].before + blocks[last].removed) <= 2 * context)
            ++last;
        const DiffBlock& a = blocks[first];
        const DiffBlock& z = blocks[last];
        const std::size_t lead = std::min(context, a.before);
        const std::size_t beforeEnd = std::min(old.Count(), z.before + z.removed + context);
        const std::size_t trail = beforeEnd - (z.before + z.removed);
        const std::size_t oldStart = a.before - lead;
        const std::size_t newStart = a.after - lead;
        const std::size_t oldCount = beforeEnd - oldStart;
        const std::size_t newCount = z.after + z.added + trail - newStart;
        out.Write("@@ -" + range(oldStart, oldCount) + " +" + range(newStart, newCount) + " @@\n");
        std::size_t i = oldStart;
        for (std::size_t b = first; b <= last; ++b) {
            for (; i < blocks[b].before; ++i)
                put(' ', old.Line(i));
            for (std::size_t k = 0; k < blocks[b].removed; ++k)
                put('-', old.Line(i++));
            for (std::size_t k = 0; k < blocks[b].added; ++k)
                put('+', fresh.Line(blocks[b].after + k));
        }
        for (; i < beforeEnd; ++i)
            put(' ', old.Line(i));
        first = last + 1;
    }
}

}  // namespace norvane
