#include "app/PreviewReport.h"

#include "ShownBytes.h"

#include <gtest/gtest.h>

namespace norvane::test {

namespace {

// Each change as "kind@line -removed/bytes +added: lines".
std::string Described(std::string_view before, std::string_view after)
{
    static const char* const kKinds[] = {"header", "attachment", "joined", "blank", "other"};
    const PreviewReport report = DescribeChanges(before, after);
    std::string text;
    for (const auto& change : report.changes) {
        text += std::string(kKinds[static_cast<int>(change.kind)]) + "@" + std::to_string(change.line) + " -" +
                std::to_string(change.removedLines) + "/" + std::to_string(change.removedBytes) + ":";
        for (const auto& line : change.removed)
            text += " -" + Shown(line);
        for (const auto& line : change.added)
            text += " +" + Shown(line);
        text += "\n";
    }
    return text + "ends " + std::to_string(report.lineEndChanges);
}

TEST(DescribeChanges, EachKindOfChangeInEachLineEnd)
{
    struct Case {
        const char* name;
        std::string before;  // LF, made into each line end
        std::string after;   // CR LF lines
        std::string described;
    };
    const Case cases[] = {
        {"nothing", "S: s\n\nb\n", "S: s\r\n\r\nb\r\n", "ends 3"},
        {"header with continuation", "Received: a\n\tb\nS: s\n\nb\n", "S: s\r\n\r\nb\r\n",
         "header@1 -2/L: -Received: a -<09>b\nends 3"},
        {"charset joined", "Content-Type: t;\n\tcharset=x\n\nb\n", "Content-Type: t;\tcharset=x\r\n\r\nb\r\n",
         "joined@1 -2/L: -Content-Type: t; -<09>charset=x +Content-Type: t;<09>charset=x\nends 2"},
        {"attachment body", "--b\nC: x\n\nQUJD\nREVG\n--b--\n", "--b\r\nC: x\r\n\r\n--b--\r\n",
         "attachment@4 -2/L: -QUJD -REVG\nends 4"},
        {"attachment body of lines no key starts", "--b\nC: x\n\nx_y: 1\n.z: 2\n--b--\n",
         "--b\r\nC: x\r\n\r\n--b--\r\n",
         "attachment@4 -2/L: -x_y: 1 -.z: 2\nends 4"},
        {"blank lines cut", "S: s\n\nb\n\n\n", "S: s\r\n\r\nb\r\n", "blank@4 -2/L: - -\nends 3"},
        {"note added", "--b\n\nQUJD\n--b--\n", "--b\r\n\r\n[note]\r\n--b--\r\n",
         "other@3 -1/L: -QUJD +[note]\nends 3"},
    };
    const char* const ends[] = {"\r\n", "\n", "\r"};
    for (const auto& c : cases) {
        for (const char* end : ends) {
            SCOPED_TRACE(std::string(c.name) + " " + Shown(end));
            std::string before;
            std::size_t removedBytes = 0;
            for (const char ch : c.before)
                ch == '\n' ? before.append(end) : before.append(1, ch);
            // The removed lines' bytes, ends included, stand for L.
            std::string expected = c.described;
            const PreviewReport report = DescribeChanges(before, c.after);
            if (!report.changes.empty())
                removedBytes = report.changes.front().removedBytes;
            std::size_t endBytes = std::string_view(end).size();
            std::size_t textBytes = 0;
            for (const auto& line : report.changes.empty() ? std::vector<std::string>{}
                                                            : report.changes.front().removed)
                textBytes += line.size() + endBytes;
            EXPECT_EQ(removedBytes, textBytes);
            if (const auto at = expected.find("/L"); at != std::string::npos)
                expected.replace(at + 1, 1, std::to_string(removedBytes));
            // Lines already in CR LF keep their ends.
            if (std::string_view(end) == "\r\n")
                expected.replace(expected.rfind("ends ") + 5, std::string::npos, "0");
            EXPECT_EQ(Described(before, c.after), expected);
        }
    }
}

TEST(DescribeChanges, LongRemovalsKeepOnlyTheFirstLines)
{
    std::string before = "S: s\r\n\r\n";
    for (int i = 0; i < 100; ++i)
        before += "QUJDREVG\r\n";
    before += "--b--\r\n";
    const PreviewReport report = DescribeChanges(before, "S: s\r\n\r\n--b--\r\n");
    ASSERT_EQ(report.changes.size(), 1u);
    EXPECT_EQ(report.changes[0].removedLines, 100u);
    EXPECT_EQ(report.changes[0].removedBytes, 1000u);
    EXPECT_EQ(report.changes[0].removed.size(), kPreviewLinesShown);
    EXPECT_EQ(report.changes[0].kind, PreviewChangeKind::kAttachment);
}

}  // namespace

}  // namespace norvane::test
