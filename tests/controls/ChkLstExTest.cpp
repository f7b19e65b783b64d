#include "controls/ChkLstEx.h"

#include <QApplication>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Records the paint events a widget receives and the area of each.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget* target) { target->installEventFilter(this); }
    std::vector<QRect> rects;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            rects.push_back(static_cast<QPaintEvent*>(event)->rect());
        }
        return false;
    }
};

class ChkListBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.resize(220, 160);
        list.addItems({"Received", "Date", "Subject", "X-Mailer"});
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
        list.setCurrentRow(-1);
        QApplication::processEvents();
    }

    QRect ItemRect(int row) { return list.visualItemRect(list.item(row)); }

    // A point on item row, x pixels from the item's left edge; or d pixels
    // right of the left edge of a check column at the right end.
    QPoint At(int row, int x) { return QPoint(ItemRect(row).left() + x, ItemRect(row).center().y()); }
    QPoint AtRightColumn(int row, int d)
    {
        const QRect r = ItemRect(row);
        return QPoint(r.x() + r.width() - CheckColumnWidth() + d, r.center().y());
    }

    TChkListBoxEx list;
};

TEST(CheckBoxSize, MeasuredOnceFromTheStyle)
{
    EXPECT_EQ(CheckBoxWidth(), QApplication::style()->pixelMetric(QStyle::PM_IndicatorWidth));
    EXPECT_EQ(CheckBoxHeight(), QApplication::style()->pixelMetric(QStyle::PM_IndicatorHeight));
    EXPECT_EQ(CheckColumnWidth(), CheckBoxWidth() + 2);
}

TEST_F(ChkListBoxTest, DefaultsAndFreshItems)
{
    EXPECT_FALSE(list.AllowGrayed());
    EXPECT_TRUE(list.Flat());
    EXPECT_TRUE(list.ChkLeft());
    EXPECT_FALSE(list.Sorted());
    for (int i = 0; i < list.count(); ++i) {
        EXPECT_FALSE(list.Checked(i));
        EXPECT_EQ(list.State(i), cbUnchecked);
        EXPECT_EQ(list.GetRawItemData(i), 0);
    }
}

TEST_F(ChkListBoxTest, BadIndexRaisesTheListIndexError)
{
    const std::string message(kMsgListIndex);
    for (int index : {-1, 4, 100}) {
        SCOPED_TRACE(index);
        const auto expectError = [&](auto&& call) {
            try {
                call();
                ADD_FAILURE() << "no error";
            } catch (const std::out_of_range& error) {
                EXPECT_EQ(error.what(), message);
            }
        };
        expectError([&] { list.Checked(index); });
        expectError([&] { list.SetChecked(index, true); });
        expectError([&] { list.State(index); });
        expectError([&] { list.SetState(index, cbGrayed); });
        expectError([&] { list.GetRawItemData(index); });
        expectError([&] { list.SetRawItemData(index, 5); });
    }
    for (int i = 0; i < list.count(); ++i) {
        EXPECT_EQ(list.State(i), cbUnchecked);
    }
    // Toggling ignores bad indexes silently.
    QSignalSpy spy(&list, &TChkListBoxEx::OnClickCheck);
    list.ToggleItemCheck(-1);
    list.ToggleItemCheck(4);
    EXPECT_EQ(spy.count(), 0);
}

TEST_F(ChkListBoxTest, SetCheckedOnGrayedItem)
{
    list.SetState(1, cbGrayed);
    list.SetChecked(1, false);
    EXPECT_EQ(list.State(1), cbGrayed);
    EXPECT_FALSE(list.Checked(1));
    list.SetChecked(1, true);
    EXPECT_EQ(list.State(1), cbChecked);
    list.SetChecked(1, false);
    EXPECT_EQ(list.State(1), cbUnchecked);
}

TEST_F(ChkListBoxTest, DataAndStateAreIndependent)
{
    list.SetRawItemData(2, -77);
    EXPECT_EQ(list.State(2), cbUnchecked);
    list.SetState(2, cbChecked);
    EXPECT_EQ(list.GetRawItemData(2), -77);
    list.SetRawItemData(2, 12);
    EXPECT_EQ(list.State(2), cbChecked);
    EXPECT_EQ(list.GetRawItemData(2), 12);
    list.DeleteRawItem(0);
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.GetRawItemData(1), 12);
    EXPECT_TRUE(list.Checked(1));
    list.ClearRawItems();
    EXPECT_EQ(list.count(), 0);
}

TEST_F(ChkListBoxTest, ProgrammaticChangesRepaintOnlyTheCheckCellAndOnlyOnChange)
{
    QSignalSpy spy(&list, &TChkListBoxEx::OnClickCheck);
    PaintRecorder paints(list.viewport());

    list.SetState(1, cbUnchecked);
    list.SetChecked(1, false);
    QApplication::processEvents();
    EXPECT_TRUE(paints.rects.empty());

    list.SetState(1, cbGrayed);
    ASSERT_EQ(paints.rects.size(), 1u);  // painted at once
    EXPECT_EQ(paints.rects[0], list.CheckCell(ItemRect(1)));
    list.SetChecked(1, true);
    ASSERT_EQ(paints.rects.size(), 2u);
    QApplication::processEvents();
    EXPECT_EQ(paints.rects.size(), 2u);  // and the item is not redrawn later
    EXPECT_EQ(spy.count(), 0);
}

struct MouseCase {
    const char* name;
    Qt::MouseButton button;
    bool chkLeft;
    int offset;  // from the item's left edge, or from the right check column
    bool toggles;
};

TEST_F(ChkListBoxTest, MousePressTogglesOnTheCheckColumnOnly)
{
    const int w = CheckColumnWidth();
    const MouseCase cases[] = {
        {"left column, first pixel", Qt::LeftButton, true, 0, true},
        {"left column, last pixel", Qt::LeftButton, true, w - 1, true},
        {"left column, text", Qt::LeftButton, true, w, false},
        {"left column, right button", Qt::RightButton, true, 3, true},
        {"left column, middle button", Qt::MiddleButton, true, 3, true},
        {"left column, right on text", Qt::RightButton, true, w + 20, false},
        {"right column, d = 0", Qt::LeftButton, false, 0, false},
        {"right column, d = 1", Qt::LeftButton, false, 1, true},
        {"right column, last pixel", Qt::LeftButton, false, w - 1, true},
        {"right column, middle button", Qt::MiddleButton, false, 2, true},
        {"right column, text", Qt::RightButton, false, -20, false},
    };
    for (const MouseCase& c : cases) {
        SCOPED_TRACE(c.name);
        list.SetChkLeft(c.chkLeft);
        list.SetState(2, cbUnchecked);
        QSignalSpy spy(&list, &TChkListBoxEx::OnClickCheck);
        const QPoint pos = c.chkLeft ? At(2, c.offset) : AtRightColumn(2, c.offset);
        QTest::mouseClick(list.viewport(), c.button, {}, pos);
        EXPECT_EQ(list.State(2), c.toggles ? cbChecked : cbUnchecked);
        ASSERT_EQ(spy.count(), c.toggles ? 1 : 0);
        if (c.toggles) {
            EXPECT_EQ(spy.at(0).at(0).toInt(), 2);
        }
        for (int other : {0, 1, 3}) {
            EXPECT_EQ(list.State(other), cbUnchecked);
        }
    }
}

TEST_F(ChkListBoxTest, RightPressTogglesTheItemUnderThePointer)
{
    list.setCurrentRow(0);
    QSignalSpy spy(&list, &TChkListBoxEx::OnClickCheck);
    QTest::mouseClick(list.viewport(), Qt::RightButton, {}, At(3, 2));
    EXPECT_TRUE(list.Checked(3));
    EXPECT_FALSE(list.Checked(0));
    EXPECT_EQ(list.currentRow(), 0);  // only the left button makes an item current
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 3);
}

TEST_F(ChkListBoxTest, PressBelowTheLastItemDoesNothing)
{
    QSignalSpy spy(&list, &TChkListBoxEx::OnClickCheck);
    const QRect last = ItemRect(3);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(2, last.bottom() + 10));
    EXPECT_EQ(spy.count(), 0);
}

TEST_F(ChkListBoxTest, UserCycleFollowsAllowGrayed)
{
    const TCheckBoxState plain[] = {cbChecked, cbUnchecked, cbChecked};
    for (TCheckBoxState expected : plain) {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, At(0, 1));
        EXPECT_EQ(list.State(0), expected);
    }
    list.SetState(0, cbUnchecked);
    list.SetAllowGrayed(true);
    const TCheckBoxState grayed[] = {cbGrayed, cbChecked, cbUnchecked, cbGrayed};
    for (TCheckBoxState expected : grayed) {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, At(0, 1));
        EXPECT_EQ(list.State(0), expected);
    }
}

TEST_F(ChkListBoxTest, SpaceTogglesTheCurrentItem)
{
    QSignalSpy spy(&list, &TChkListBoxEx::OnClickCheck);
    list.setCurrentRow(-1);
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_EQ(spy.count(), 0);
    for (int i = 0; i < list.count(); ++i) {
        EXPECT_FALSE(list.Checked(i));
    }

    list.setCurrentRow(2);
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_TRUE(list.Checked(2));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 2);

    // Other keys do not toggle; keyboard navigation still works.
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.currentRow(), 3);
    QTest::keyClick(&list, Qt::Key_A);
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(ChkListBoxTest, DoubleClickOnTheCheckBoxTogglesTwice)
{
    std::vector<std::string> log;
    QObject::connect(&list, &TChkListBoxEx::OnClickCheck,
                     [&](int index) { log.push_back("check " + std::to_string(index)); });
    QObject::connect(&list, &TChkListBoxEx::OnDblClick, [&] { log.push_back("dblclick"); });

    // A real double click: press, release, the second press as a double
    // click, release.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, At(1, 3));
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, At(1, 3));
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, At(1, 3));

    EXPECT_EQ(log, (std::vector<std::string>{"check 1", "dblclick", "check 1"}));
    EXPECT_FALSE(list.Checked(1));
    EXPECT_EQ(list.currentRow(), 1);
}

// The list treats a double click away from the pressed item as a press; that
// press still toggles only once.
TEST_F(ChkListBoxTest, DoubleClickOnAnotherItemTogglesItOnce)
{
    QSignalSpy spy(&list, &TChkListBoxEx::OnClickCheck);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, At(1, 3));
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, At(2, 3));
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, At(2, 3));
    EXPECT_TRUE(list.Checked(1));
    EXPECT_TRUE(list.Checked(2));
    EXPECT_EQ(spy.count(), 2);
}

TEST_F(ChkListBoxTest, DoubleClickOnTheTextDoesNotToggle)
{
    QSignalSpy checks(&list, &TChkListBoxEx::OnClickCheck);
    QSignalSpy doubles(&list, &TChkListBoxEx::OnDblClick);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, At(1, 40));
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, At(1, 40));
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, At(1, 40));
    EXPECT_EQ(checks.count(), 0);
    EXPECT_EQ(doubles.count(), 1);
}

TEST(ChkListBoxSort, ItemLessFoldsOnlyAsciiLetters)
{
    struct Case {
        const char* a;
        const char* b;
        bool less;
    } cases[] = {
        {"a", "B", true},
        {"B", "a", false},
        {"ab", "AB", false},
        {"AB", "ab", false},
        {"_", "B", true},   // "B" counts as "b", above "_"
        {"ab", "abc", true},
        {"z", "\xC3\xA9", true},  // bytes above ASCII sort after it, unsigned
        {"\xC3\x89", "\xC3\xA9", true},  // only ASCII letters fold
        {"\xC3\xA9", "\xC3\x89", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " < " + c.b);
        EXPECT_EQ(TCustomChkListBox::ItemLess(QString::fromUtf8(c.a), QString::fromUtf8(c.b)), c.less);
    }
}

TEST(ChkListBoxSort, StatesStayWithTheirItems)
{
    TChkListBoxEx list;
    // Filled unsorted, states set by insertion index, then sorted.
    const QStringList texts = {"Zeta", "received", "_x", "Date", "Received", "b"};
    list.addItems(texts);
    list.SetState(0, cbChecked);
    list.SetState(2, cbGrayed);
    list.SetState(4, cbChecked);
    list.SetRawItemData(3, 33);
    list.setCurrentRow(5);
    list.SetSorted(true);

    // Bytes with ASCII letters folded; equal texts keep their order.
    const QStringList sorted = {"_x", "b", "Date", "received", "Received", "Zeta"};
    const TCheckBoxState states[] = {cbGrayed, cbUnchecked, cbUnchecked, cbUnchecked, cbChecked, cbChecked};
    ASSERT_EQ(list.count(), sorted.size());
    for (int i = 0; i < list.count(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(list.item(i)->text(), sorted[i]);
        EXPECT_EQ(list.State(i), states[i]);
    }
    EXPECT_EQ(list.GetRawItemData(2), 33);
    EXPECT_EQ(list.currentItem()->text(), "b");

    // Sorted adding lands at the sorted index.
    EXPECT_EQ(list.addItem("c"), 2);
    EXPECT_EQ(list.addItem("zz"), 7);
    EXPECT_EQ(list.State(5), cbChecked);

    // Switching sorting off keeps the order; adding appends.
    list.SetSorted(false);
    EXPECT_EQ(list.item(0)->text(), "_x");
    EXPECT_EQ(list.addItem("a"), 8);
}

TEST(ChkListBoxHeight, StandardStyleTakesTheFontHeight)
{
    TChkListBoxEx list;
    QFont big = list.font();
    big.setPixelSize(30);
    list.setFont(big);
    EXPECT_EQ(list.ItemHeight(), QFontMetrics(big).height());
    list.SetItemHeight(12);
    EXPECT_EQ(list.ItemHeight(), QFontMetrics(big).height());

    list.SetStyle(lbOwnerDrawFixed);
    list.SetItemHeight(12);
    EXPECT_EQ(list.ItemHeight(), 12);
    list.addItem("one");
    list.resize(150, 100);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    EXPECT_EQ(list.visualItemRect(list.item(0)).height(), 12);
}

TEST(ChkListBoxDraw, OwnerDrawingOnlyWithAnOwnerDrawStyle)
{
    TChkListBoxEx list;
    list.addItems({"one", "two"});
    list.resize(150, 100);
    std::vector<QRect> drawn;
    list.SetOnDrawItem([&](TChkListBoxEx&, QPainter&, int, const QRect& rect, QStyle::State) {
        drawn.push_back(rect);
    });
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    list.viewport()->repaint();
    EXPECT_TRUE(drawn.empty());

    list.SetStyle(lbOwnerDrawFixed);
    list.viewport()->repaint();
    ASSERT_FALSE(drawn.empty());
    const QRect item = list.visualItemRect(list.item(0));
    EXPECT_EQ(drawn.front(), list.TextRect(item));
    EXPECT_EQ(drawn.front().left(), item.left() + CheckColumnWidth());
}

// Pixels of a painted item: the flat look shows only a frame in the button
// shadow colour around the inside of the standard image; the check column
// never takes the selection colour.
TEST(ChkListBoxDraw, FlatAnd3DCheckBoxes)
{
    TChkListBoxEx list;
    QPalette colors = list.palette();
    colors.setColor(QPalette::Base, QColor(255, 255, 240));
    colors.setColor(QPalette::Dark, QColor(10, 20, 30));
    colors.setColor(QPalette::Highlight, QColor(0, 0, 200));
    list.setPalette(colors);
    QFont font = list.font();
    font.setPixelSize(24);
    list.setFont(font);
    list.addItems({"one", "two"});
    list.resize(150, 100);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    list.setCurrentRow(0);

    const QRect cell = list.CheckCell(list.visualItemRect(list.item(0)));
    const int left = cell.left() + 1;
    const int top = cell.top() + (cell.height() - CheckBoxHeight()) / 2;
    const int middleX = left + CheckBoxWidth() / 2;

    QImage flat = list.viewport()->grab().toImage();
    EXPECT_EQ(flat.pixelColor(middleX, top), QColor(255, 255, 240));          // outer ring unpainted
    EXPECT_EQ(flat.pixelColor(middleX, top + 1), QColor(10, 20, 30));         // flat frame
    EXPECT_EQ(flat.pixelColor(left + 1, top + CheckBoxHeight() - 2), QColor(10, 20, 30));
    EXPECT_EQ(flat.pixelColor(left + CheckBoxWidth() - 2, top + 1), QColor(10, 20, 30));
    EXPECT_EQ(flat.pixelColor(left + CheckBoxWidth() - 1, top + 1), QColor(255, 255, 240));
    EXPECT_EQ(flat.pixelColor(cell.left(), cell.center().y()), QColor(255, 255, 240));
    const QRect item = list.visualItemRect(list.item(0));
    EXPECT_EQ(flat.pixelColor(item.right() - 3, item.top() + 2), QColor(0, 0, 200));  // selected text part

    list.SetFlat(false);
    QImage raised = list.viewport()->grab().toImage();
    EXPECT_NE(raised.pixelColor(middleX, top + 1), QColor(10, 20, 30));
    EXPECT_NE(raised, flat);
}

}  // namespace

namespace {

TEST(ChkListBoxDraw, EmptyFocusedListShowsItsFocus)
{
    TChkListBoxEx list;
    list.resize(150, 100);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    const QImage unfocused = list.viewport()->grab().toImage();
    QApplication::setActiveWindow(&list);
    list.setFocus(Qt::TabFocusReason);
    list.setAttribute(Qt::WA_KeyboardFocusChange);  // the style shows focus after keyboard use
    ASSERT_TRUE(list.hasFocus());
    const QImage focused = list.viewport()->grab().toImage();
    // Only the first row's text part changes.
    const int row = list.ItemHeight();
    bool changedInRow = false;
    for (int y = 0; y < focused.height(); ++y) {
        for (int x = 0; x < focused.width(); ++x) {
            if (focused.pixel(x, y) == unfocused.pixel(x, y)) continue;
            EXPECT_LT(y, row);
            EXPECT_GE(x, CheckColumnWidth());
            changedInRow = true;
        }
    }
    EXPECT_TRUE(changedInRow);
}

}  // namespace
