#include "FormTestSupport.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>

namespace norvane::test {
namespace {

class FileList : public FormTest {
protected:
    void SetUp() override
    {
        WriteIni("", "Dat1=Received\r\nDat2=;Subject\r\n");
        Start();
    }

    QAction* Item(const char* name) const { return form->findChild<QAction*>(QString::fromLatin1(name)); }

    void Popup()
    {
        form->PopupMenu1Popup();
    }

    // Lists names without files behind them; nothing here opens them.
    void List(int count)
    {
        std::vector<std::string> paths;
        for (int i = 1; i <= count; ++i)
            paths.push_back(dir.File("m" + std::to_string(i) + ".eml"));
        Drop(paths);
    }
};

TEST_F(FileList, PDeleteMovesTheNamesAndPathsUpAndLowersTheCount)
{
    struct Case {
        int row;
        Cells names;
        const char* header;
    };
    const Case cases[] = {
        {1, {"m2.eml", "m3.eml", ""}, "FileName: 2"},
        {2, {"m1.eml", "m3.eml", ""}, "FileName: 2"},
        {3, {"m1.eml", "m2.eml", ""}, "FileName: 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        List(3);
        Grid().SelectCell(1, c.row);
        Popup();
        EXPECT_TRUE(Item("PDelete")->isEnabled());
        EXPECT_FALSE(Item("PAdd")->isEnabled());
        Item("PDelete")->trigger();
        EXPECT_EQ(Column(1), c.names);
        EXPECT_EQ(Column(0), (Cells{"1", "2", "3"}));
        EXPECT_EQ(Grid().Cell(1, 0), c.header);
        ASSERT_EQ(form->ListedPaths().size(), 2u);
        EXPECT_EQ(form->ListedPaths()[0], dir.File(c.names[0]));
        EXPECT_EQ(form->ListedPaths()[1], dir.File(c.names[1]));
        EXPECT_EQ(form->SelectedFiles().size(), 3u);
    }
}

TEST_F(FileList, RemovingTheOnlyFileDisablesTheCommands)
{
    List(1);
    Grid().SelectCell(1, 1);
    Item("PDelete")->trigger();
    EXPECT_EQ(Grid().Cell(1, 1), "");
    EXPECT_EQ(Grid().Cell(1, 0), "FileName: 0");
    EXPECT_FALSE(Button(2)->isEnabled());
    EXPECT_FALSE(Button(3)->isEnabled());
    Grid().SelectCell(1, 1);
    Popup();
    EXPECT_FALSE(Item("PDelete")->isEnabled());
}

TEST_F(FileList, HeaderCountIsReadInFull)
{
    List(1000);
    EXPECT_EQ(Grid().Cell(1, 0), "FileName: 1000");
    Grid().SelectCell(1, 500);
    Item("PDelete")->trigger();
    EXPECT_EQ(Grid().Cell(1, 0), "FileName: 999");
    EXPECT_EQ(Grid().Cell(1, 500), "m501.eml");
    EXPECT_EQ(Grid().Cell(1, 1000), "");
}

TEST_F(FileList, PopupStatesFollowTheAnchorCell)
{
    List(2);
    Popup();  // nothing selected
    EXPECT_FALSE(Item("PDelete")->isEnabled());
    EXPECT_FALSE(Item("PAdd")->isEnabled());
    Grid().SetCell(2, 1, "Zeta");
    struct Case {
        int col, row;
        bool del, add;
    };
    const Case cases[] = {
        {1, 1, true, false}, {1, 2, true, false}, {2, 1, false, true},
        {3, 1, false, true}, {4, 1, false, true}, {4, 2, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.col) + "," + std::to_string(c.row));
        Grid().SelectCell(c.col, c.row);
        Popup();
        EXPECT_EQ(Item("PDelete")->isEnabled(), c.del);
        EXPECT_EQ(Item("PAdd")->isEnabled(), c.add);
    }
    // Only the range's top-left cell counts.
    Grid().setRangeSelected(QTableWidgetSelectionRange(0, 0, 1, 1), true);
    int col = 0, row = 0;
    ASSERT_TRUE(Grid().SelectionAnchor(col, row));
    EXPECT_EQ(col, 1);
    EXPECT_EQ(row, 1);
}

TEST_F(FileList, RightPressKeepsTheSelection)
{
    List(3);
    Grid().SelectCell(1, 2);
    const QRect cell = Grid().visualItemRect(Grid().item(2, 0));
    QTest::mousePress(Grid().viewport(), Qt::RightButton, Qt::NoModifier, cell.center());
    QTest::mouseRelease(Grid().viewport(), Qt::RightButton, Qt::NoModifier, cell.center());
    int col = 0, row = 0;
    ASSERT_TRUE(Grid().SelectionAnchor(col, row));
    EXPECT_EQ(row, 2);
}

TEST(TStringGrid, SelectedRowsOfAColumnComeInOrderEachOnce)
{
    struct Range {
        int top, left, bottom, right;  // grid cells
    };
    struct Case {
        const char* name;
        std::vector<Range> ranges;
        int col;
        std::vector<int> rows;
    } cases[] = {
        {"nothing selected", {}, 1, {}},
        {"a lower range first", {{3, 1, 4, 1}, {1, 1, 1, 1}}, 1, {1, 3, 4}},
        {"overlapping ranges", {{1, 1, 3, 2}, {2, 2, 4, 2}}, 2, {1, 2, 3, 4}},
        {"only the ranges over the column", {{1, 1, 3, 2}, {2, 2, 4, 2}}, 1, {1, 2, 3}},
        {"no range over the column", {{1, 1, 3, 2}}, 3, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TStringGrid grid;
        grid.setColumnCount(4);
        grid.SetRowCount(6);
        for (const Range& r : c.ranges)
            grid.setRangeSelected(QTableWidgetSelectionRange(r.top - 1, r.left - 1, r.bottom - 1, r.right - 1), true);
        EXPECT_EQ(grid.SelectedRows(c.col), c.rows);
    }
}

TEST_F(FileList, FixedCellsCannotBeSelected)
{
    List(3);
    Grid().SelectCell(2, 3);
    QHeaderView* headers[] = {Grid().verticalHeader(), Grid().horizontalHeader()};
    for (QHeaderView* header : headers) {
        SCOPED_TRACE(header->orientation());
        const int section = 0;
        const QPoint at = header->orientation() == Qt::Vertical
                              ? QPoint(header->width() / 2, header->sectionViewportPosition(section) + 9)
                              : QPoint(header->sectionViewportPosition(section) + 20, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        int col = 0, row = 0;
        ASSERT_TRUE(Grid().SelectionAnchor(col, row));
        EXPECT_EQ(col, 2);
        EXPECT_EQ(row, 3);
        EXPECT_EQ(Grid().selectedRanges().size(), 1);
        EXPECT_EQ(Grid().selectedRanges().front().rowCount(), 1);
        EXPECT_EQ(Grid().selectedRanges().front().columnCount(), 1);
    }
}

TEST_F(FileList, PAddRegistersANewKeyAndRefusesARegisteredOne)
{
    List(1);
    Grid().SetRowCount(4);
    Grid().SetCell(2, 1, "Received");
    Grid().SetCell(2, 2, "subject");
    Grid().SetCell(2, 3, "X-Spam");
    Grid().SetCell(4, 3, "New");
    for (int row : {1, 2}) {
        prompt.shown.clear();
        Grid().SelectCell(3, row);
        Item("PAdd")->trigger();
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_EQ(prompt.shown[0].text, "\"" + Grid().Cell(2, row) + "\"\r\r既に、登録されています！");
    }
    EXPECT_EQ(form->Keys(), (KeyList{"Received", ";Subject"}));

    prompt.shown.clear();
    prompt.answers = {false};
    Grid().SelectCell(2, 3);
    Item("PAdd")->trigger();
    EXPECT_EQ(prompt.shown[0].text, "X-Spam\r\r登録して宜しいですか？");
    EXPECT_EQ(form->Keys().Count(), 2u);
    prompt.answers = {true};
    Item("PAdd")->trigger();
    EXPECT_EQ(form->Keys(), (KeyList{"Received", ";Subject", "X-Spam"}));
    EXPECT_EQ(PanelItems(), (Cells{"+Received", "-Subject", "+X-Spam"}));
    EXPECT_EQ(Grid().Cell(4, 3), "New");
}

TEST_F(FileList, ANewSelectionEmptiesTheKeyColumns)
{
    WriteFile(dir.File("a.eml"), "Subject: s\r\n");
    Drop({dir.File("a.eml")});
    Button(3)->click();
    EXPECT_EQ(Grid().Cell(2, 1), "Subject");
    Drop({dir.File("a.eml")});
    EXPECT_EQ(Grid().Cell(2, 1), "");
    EXPECT_EQ(Grid().Cell(2, 0), "MailHedarKey");
    EXPECT_EQ(Grid().Cell(1, 0), "FileName: 1");
}

TEST_F(FileList, DropWithoutLocalFilesIsIgnored)
{
    List(1);
    QMimeData data;
    data.setUrls({QUrl(QStringLiteral("https://example.org/a.eml"))});
    DropData(data);
    EXPECT_EQ(Grid().Cell(1, 1), "m1.eml");
    EXPECT_FALSE(Widget<QLineEdit>("Edit1")->acceptDrops());
}

}  // namespace
}  // namespace norvane::test
