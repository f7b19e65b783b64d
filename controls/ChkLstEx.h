#pragma once

#include <QCoreApplication>
#include <QListWidget>
#include <QStyle>

#include <cstdint>
#include <functional>
#include <string_view>

class QPainter;

// The message of the list-index error raised for an index outside the list,
// before translation (context TCustomChkListBox).
inline constexpr std::string_view kMsgListIndex =
    QT_TRANSLATE_NOOP("TCustomChkListBox", "ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています");

enum TCheckBoxState : std::uint8_t { cbUnchecked, cbChecked, cbGrayed };

enum TListBoxStyle : std::uint8_t { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };

// Size of one check box image, measured once per process from the
// application style.
int CheckBoxWidth();
int CheckBoxHeight();
inline int CheckColumnWidth() { return CheckBoxWidth() + 2; }

// The toolkit's list box with the item operations its descendants refine: the
// signed 32-bit data slot of each item, deleting one item and clearing all.
// Adds the byte order of sorting (ASCII letters folded to lower case) and a
// fixed item height, since the control draws its items itself.
class TCustomChkListBox : public QListWidget {
    Q_OBJECT
    Q_PROPERTY(bool Sorted READ Sorted WRITE SetSorted)
    Q_PROPERTY(int ItemHeight READ ItemHeight WRITE SetItemHeight)

public:
    explicit TCustomChkListBox(QWidget* parent = nullptr);

    virtual std::int32_t GetRawItemData(int index) const;
    virtual void SetRawItemData(int index, std::int32_t value);
    virtual void ClearRawItems();
    virtual void DeleteRawItem(int index);

    // Sorting keeps the items' objects (and all their data) and only moves
    // them; switching it off leaves the current order.
    bool Sorted() const { return sorted_; }
    void SetSorted(bool value);

    // Appends an item, or with Sorted inserts it at its sorted place (after
    // equal ones); returns its index. Hides QListWidget::addItem so that code
    // holding this class adds in sorted order.
    int addItem(const QString& text);
    void addItems(const QStringList& texts);

    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int value);
    TListBoxStyle Style() const { return style_; }
    void SetStyle(TListBoxStyle value);

    // Whether a sorts before b in the list's order.
    static bool ItemLess(const QString& a, const QString& b);

protected:
    // The item at index, raising the list-index error when there is none.
    QListWidgetItem* CheckedItem(int index) const;
    void SortItems();
    // Where text goes among the sorted rows before end.
    int SortedRowFor(const QString& text, int end) const;
    // Stores the height every item is laid out with.
    void ApplyItemHeight(int value);
    // Runs after the style or the item height were set; descendants may fix
    // the height from the font.
    virtual void UpdateItemHeight() {}

    // Draws one item with rect in viewport coordinates; the base draws the
    // text the plain way.
    virtual void DrawItem(QPainter& painter, int index, const QRect& rect, QStyle::State state);

private:
    friend class TChkListBoxDelegate;

    bool sorted_ = false;
    int itemHeight_ = 13;
    TListBoxStyle style_ = lbStandard;
};

// The per-item record: the item's own data value and its check state. Stored
// in the item (so it moves with the item) on first write; an item without one
// reads as unchecked with data 0.
struct TChkListBoxDataWrapper {
    std::int32_t ItemData = 0;
    TCheckBoxState CheckState = cbUnchecked;
};

// A list box whose every item carries a three-state check box in a column at
// the left or right of the item. Toggled by any mouse button on the check
// column and by the space key; OnClickCheck follows every user toggle.
class TChkListBoxEx : public TCustomChkListBox {
    Q_OBJECT
    Q_PROPERTY(bool AllowGrayed READ AllowGrayed WRITE SetAllowGrayed)
    Q_PROPERTY(bool Flat READ Flat WRITE SetFlat)
    Q_PROPERTY(bool ChkLeft READ ChkLeft WRITE SetChkLeft)

public:
    // Owner drawing of the text part for the owner-draw styles.
    using DrawItemHandler =
        std::function<void(TChkListBoxEx& sender, QPainter& painter, int index,
                           const QRect& textRect, QStyle::State state)>;

    explicit TChkListBoxEx(QWidget* parent = nullptr);

    bool Checked(int index) const;
    void SetChecked(int index, bool value);
    TCheckBoxState State(int index) const;
    void SetState(int index, TCheckBoxState state);

    std::int32_t GetRawItemData(int index) const override;
    void SetRawItemData(int index, std::int32_t value) override;

    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool value) { allowGrayed_ = value; }
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    bool ChkLeft() const { return chkLeft_; }
    void SetChkLeft(bool value);

    void SetOnDrawItem(DrawItemHandler handler) { onDrawItem_ = std::move(handler); }

    // The check column and the text part of an item rectangle.
    QRect CheckCell(const QRect& itemRect) const;
    QRect TextRect(const QRect& itemRect) const;

    // The user's toggle of one item: the next state in the cycle, then
    // OnClickCheck. Indexes outside the list are ignored.
    void ToggleItemCheck(int index);

signals:
    // Raised after each user toggle; index is the toggled item, which a
    // press of another button than the left one does not make current.
    void OnClickCheck(int index);
    // A double click of the left button anywhere on the list.
    void OnDblClick();

protected:
    virtual void NotifyClickCheck(int index);
    void RepaintCheck(int index);
    void PaintCheckBox(QPainter& painter, const QRect& cell, TCheckBoxState state) const;
    void DrawItem(QPainter& painter, int index, const QRect& rect, QStyle::State state) override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    TChkListBoxDataWrapper FindItemRecord(int index) const;
    void StoreItemRecord(int index, const TChkListBoxDataWrapper& record);
    void ToggleAt(const QPoint& pos);
    void UpdateItemHeight() override;

    bool allowGrayed_ = false;
    bool flat_ = true;
    bool chkLeft_ = true;
    bool inDoubleClick_ = false;
    DrawItemHandler onDrawItem_;
};
