#include "app/PreviewReport.h"

#include "engine/HeaderKey.h"
#include "engine/MailDiff.h"

namespace norvane {

namespace {

bool IsBlank(std::string_view text)
{
    return text.empty() || text.front() == '\x1a';
}

// A header line by the stripping's loosest rule, or a continuation line.
bool IsHeaderLine(std::string_view text)
{
    if (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        return true;
    return !ExtractHeaderKey(text, false, FirstLetter::kAnyCase).key.empty();
}

PreviewChangeKind KindOf(const DiffLines& old, const DiffLines& fresh, const DiffBlock& block)
{
    const auto removed = [&](std::size_t k) { return old.Text(block.before + k); };
    if (block.added == 1 && block.removed >= 2 && !removed(0).empty() &&
        fresh.Text(block.after).starts_with(removed(0)))
        return PreviewChangeKind::kJoined;
    if (block.added != 0 || block.removed == 0)
        return PreviewChangeKind::kOther;
    bool blank = true;
    bool header = !removed(0).empty() && removed(0).front() != ' ' && removed(0).front() != '\t';
    for (std::size_t k = 0; k < block.removed; ++k) {
        blank = blank && IsBlank(removed(k));
        header = header && IsHeaderLine(removed(k));
    }
    if (blank)
        return PreviewChangeKind::kBlankLines;
    return header ? PreviewChangeKind::kHeaderLines : PreviewChangeKind::kAttachment;
}

}  // namespace

PreviewReport DescribeChanges(std::string_view before, std::string_view after)
{
    PreviewReport report;
    if (before == after)
        return report;
    const DiffLines old(before, LineSplit::kFile);
    const DiffLines fresh(after, LineSplit::kFile);
    const std::vector<DiffBlock> blocks = DiffBlocks(old, fresh, true);
    // Lines matched outside the blocks may still differ in their ends.
    std::size_t i = 0;
    std::size_t j = 0;
    const auto countEnds = [&](std::size_t until) {
        for (; i < until; ++i, ++j)
            if (old.Line(i) != fresh.Line(j))
                ++report.lineEndChanges;
    };
    for (const DiffBlock& block : blocks) {
        countEnds(block.before);
        PreviewChange change;
        change.kind = KindOf(old, fresh, block);
        change.line = block.before + 1;
        change.removedLines = block.removed;
        for (std::size_t k = 0; k < block.removed; ++k) {
            change.removedBytes += old.Line(block.before + k).size();
            if (k < kPreviewLinesShown)
                change.removed.emplace_back(old.Text(block.before + k));
        }
        for (std::size_t k = 0; k < block.added && k < kPreviewLinesShown; ++k)
            change.added.emplace_back(fresh.Text(block.after + k));
        report.changes.push_back(std::move(change));
        i = block.before + block.removed;
        j = block.after + block.added;
    }
    countEnds(old.Count());
    return report;
}

}  // namespace norvane
