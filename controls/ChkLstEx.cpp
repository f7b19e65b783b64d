#include "controls/ChkLstEx.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>

#include <algorithm>
#include <stdexcept>

Q_DECLARE_METATYPE(TChkListBoxDataWrapper)

namespace {

// The item's data slot, and the role that holds its check record.
constexpr int kRawDataRole = Qt::UserRole;
constexpr int kRecordRole = Qt::UserRole + 1;

struct CheckBoxSize {
    int width;
    int height;
};

const CheckBoxSize& MeasuredCheckBox()
{
    static const CheckBoxSize size = [] {
        const QStyle* style = QApplication::style();
        return CheckBoxSize{style->pixelMetric(QStyle::PM_IndicatorWidth),
                            style->pixelMetric(QStyle::PM_IndicatorHeight)};
    }();
    return size;
}

char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c;
}

}  // namespace

int CheckBoxWidth() { return MeasuredCheckBox().width; }
int CheckBoxHeight() { return MeasuredCheckBox().height; }

// The list asks its delegate for every item; the control draws them itself,
// all of the same height.
class TChkListBoxDelegate : public QAbstractItemDelegate {
public:
    explicit TChkListBoxDelegate(TCustomChkListBox* list) : QAbstractItemDelegate(list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        painter->save();
        list_->DrawItem(*painter, index.row(), option.rect, option.state);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        // Items are as wide as the list; only the height is ours.
        return QSize(1, list_->ItemHeight());
    }

private:
    TCustomChkListBox* list_;
};

TCustomChkListBox::TCustomChkListBox(QWidget* parent) : QListWidget(parent)
{
    setItemDelegate(new TChkListBoxDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

QListWidgetItem* TCustomChkListBox::CheckedItem(int index) const
{
    QListWidgetItem* found = (index >= 0 && index < count()) ? item(index) : nullptr;
    if (found == nullptr) {
        throw std::out_of_range(
            QCoreApplication::translate("TCustomChkListBox", kMsgListIndex.data()).toStdString());
    }
    return found;
}

std::int32_t TCustomChkListBox::GetRawItemData(int index) const
{
    return CheckedItem(index)->data(kRawDataRole).toInt();
}

void TCustomChkListBox::SetRawItemData(int index, std::int32_t value)
{
    CheckedItem(index)->setData(kRawDataRole, value);
}

void TCustomChkListBox::ClearRawItems()
{
    clear();
}

void TCustomChkListBox::DeleteRawItem(int index)
{
    CheckedItem(index);
    delete takeItem(index);
}

bool TCustomChkListBox::ItemLess(const QString& a, const QString& b)
{
    const QByteArray x = a.toUtf8();
    const QByteArray y = b.toUtf8();
    return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(), [](char p, char q) {
        return static_cast<unsigned char>(FoldAscii(p)) < static_cast<unsigned char>(FoldAscii(q));
    });
}

int TCustomChkListBox::SortedRowFor(const QString& text, int end) const
{
    // After every equal item, so that equal items keep their order.
    int low = 0;
    while (low < end) {
        const int mid = (low + end) / 2;
        if (ItemLess(text, item(mid)->text())) {
            end = mid;
        } else {
            low = mid + 1;
        }
    }
    return low;
}

void TCustomChkListBox::SetSorted(bool value)
{
    if (value == sorted_) {
        return;
    }
    sorted_ = value;
    if (sorted_) {
        SortItems();
    }
}

void TCustomChkListBox::SortItems()
{
    // A stable insertion sort by moving rows: items keep their objects and
    // data, and the current item stays current.
    QAbstractItemModel* listModel = model();
    for (int i = 1; i < count(); ++i) {
        const int low = SortedRowFor(item(i)->text(), i);
        if (low < i) {
            listModel->moveRow(QModelIndex(), i, QModelIndex(), low);
        }
    }
}

int TCustomChkListBox::addItem(const QString& text)
{
    const int row = sorted_ ? SortedRowFor(text, count()) : count();
    QListWidget::insertItem(row, text);
    return row;
}

void TCustomChkListBox::addItems(const QStringList& texts)
{
    for (const QString& text : texts) {
        addItem(text);
    }
}

void TCustomChkListBox::ApplyItemHeight(int value)
{
    if (value <= 0 || value == itemHeight_) {
        return;
    }
    itemHeight_ = value;
    doItemsLayout();
    viewport()->update();
}

void TCustomChkListBox::SetItemHeight(int value)
{
    ApplyItemHeight(value);
    UpdateItemHeight();
}

void TCustomChkListBox::SetStyle(TListBoxStyle value)
{
    if (value == style_) {
        return;
    }
    style_ = value;
    UpdateItemHeight();
    viewport()->update();
}

void TCustomChkListBox::DrawItem(QPainter& painter, int index, const QRect& rect,
                                 QStyle::State state)
{
    const bool selected = (state & QStyle::State_Selected) != 0;
    painter.fillRect(rect, palette().color(selected ? QPalette::Highlight : QPalette::Base));
    if (index >= 0 && index < count()) {
        painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter.setFont(font());
        painter.drawText(rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         item(index)->text());
    }
}

TChkListBoxEx::TChkListBoxEx(QWidget* parent) : TCustomChkListBox(parent)
{
    UpdateItemHeight();
}

TChkListBoxDataWrapper TChkListBoxEx::FindItemRecord(int index) const
{
    const QVariant record = CheckedItem(index)->data(kRecordRole);
    return record.isValid() ? record.value<TChkListBoxDataWrapper>() : TChkListBoxDataWrapper{};
}

void TChkListBoxEx::StoreItemRecord(int index, const TChkListBoxDataWrapper& record)
{
    QListWidgetItem* target = CheckedItem(index);
    // The record is not shown by the list, so the model's change signal (which
    // repaints the whole item) is kept quiet.
    const QSignalBlocker quiet(model());
    target->setData(kRecordRole, QVariant::fromValue(record));
}

bool TChkListBoxEx::Checked(int index) const
{
    return FindItemRecord(index).CheckState == cbChecked;
}

void TChkListBoxEx::SetChecked(int index, bool value)
{
    if (value == Checked(index)) {
        return;
    }
    SetState(index, value ? cbChecked : cbUnchecked);
}

TCheckBoxState TChkListBoxEx::State(int index) const
{
    return FindItemRecord(index).CheckState;
}

void TChkListBoxEx::SetState(int index, TCheckBoxState state)
{
    TChkListBoxDataWrapper record = FindItemRecord(index);
    if (record.CheckState == state) {
        return;
    }
    record.CheckState = state;
    StoreItemRecord(index, record);
    RepaintCheck(index);
}

std::int32_t TChkListBoxEx::GetRawItemData(int index) const
{
    return FindItemRecord(index).ItemData;
}

void TChkListBoxEx::SetRawItemData(int index, std::int32_t value)
{
    TChkListBoxDataWrapper record = FindItemRecord(index);
    record.ItemData = value;
    StoreItemRecord(index, record);
}

void TChkListBoxEx::SetFlat(bool value)
{
    if (value == flat_) {
        return;
    }
    flat_ = value;
    viewport()->update();
}

void TChkListBoxEx::SetChkLeft(bool value)
{
    if (value == chkLeft_) {
        return;
    }
    chkLeft_ = value;
    viewport()->update();
}

QRect TChkListBoxEx::CheckCell(const QRect& itemRect) const
{
    const int width = CheckColumnWidth();
    if (chkLeft_) {
        return QRect(itemRect.left(), itemRect.top(), width, itemRect.height());
    }
    return QRect(itemRect.x() + itemRect.width() - width, itemRect.top(), width, itemRect.height());
}

QRect TChkListBoxEx::TextRect(const QRect& itemRect) const
{
    const int width = CheckColumnWidth();
    return chkLeft_ ? itemRect.adjusted(width, 0, 0, 0) : itemRect.adjusted(0, 0, -width, 0);
}

void TChkListBoxEx::RepaintCheck(int index)
{
    const QRect cell = CheckCell(visualItemRect(item(index)));
    viewport()->repaint(cell);
}

void TChkListBoxEx::ToggleItemCheck(int index)
{
    if (index < 0 || index >= count()) {
        return;
    }
    TCheckBoxState next = cbChecked;
    switch (State(index)) {
    case cbUnchecked: next = allowGrayed_ ? cbGrayed : cbChecked; break;
    case cbChecked: next = cbUnchecked; break;
    case cbGrayed: next = cbChecked; break;
    }
    SetState(index, next);
    NotifyClickCheck(index);
}

void TChkListBoxEx::NotifyClickCheck(int index)
{
    emit OnClickCheck(index);
}

void TChkListBoxEx::PaintCheckBox(QPainter& painter, const QRect& cell, TCheckBoxState state) const
{
    const int width = CheckBoxWidth();
    const int height = CheckBoxHeight();
    const QRect square(cell.left() + (cell.width() - width) / 2,
                       cell.top() + (cell.height() - height) / 2, width, height);

    QStyleOptionButton option;
    option.initFrom(this);
    option.rect = square;
    option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    option.state |= state == cbChecked ? QStyle::State_On
                  : state == cbGrayed  ? QStyle::State_NoChange
                                       : QStyle::State_Off;
    if (!flat_) {
        style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, this);
        return;
    }
    // Flat: only the inside of the standard image, framed by a thin line.
    painter.save();
    painter.setClipRect(square.adjusted(2, 2, -2, -2), Qt::IntersectClip);
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, this);
    painter.restore();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(palette().color(QPalette::Dark), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(square.left() + 1, square.top() + 1, width - 3, height - 3));
    painter.restore();
}

void TChkListBoxEx::DrawItem(QPainter& painter, int index, const QRect& rect, QStyle::State state)
{
    const QRect textRect = TextRect(rect);
    const bool selected = (state & QStyle::State_Selected) != 0;
    const QColor brush = palette().color(selected ? QPalette::Highlight : QPalette::Base);
    const QColor fontColor = palette().color(selected ? QPalette::HighlightedText : QPalette::Text);
    const bool realItem = index >= 0 && index < count();

    if (realItem) {
        PaintCheckBox(painter, CheckCell(rect), State(index));
    }
    painter.setFont(font());
    painter.setPen(fontColor);
    painter.setBrush(brush);
    if (Style() != lbStandard && onDrawItem_ && realItem) {
        painter.save();
        onDrawItem_(*this, painter, index, textRect, state);
        painter.restore();
    } else {
        painter.fillRect(textRect, brush);
        if (realItem) {
            painter.drawText(QRect(textRect.left() + 2, textRect.top(), textRect.width() - 2,
                                   textRect.height()),
                             Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, item(index)->text());
        }
    }
    if (state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = textRect;
        focus.backgroundColor = brush;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void TChkListBoxEx::ToggleAt(const QPoint& pos)
{
    if (!viewport()->rect().contains(pos)) {
        return;
    }
    QListWidgetItem* hit = itemAt(pos);
    if (hit == nullptr) {
        return;
    }
    const QRect itemRect = visualItemRect(hit);
    const int width = CheckColumnWidth();
    bool onCheck = false;
    if (chkLeft_) {
        onCheck = pos.x() - itemRect.left() < width;
    } else {
        const int d = pos.x() - (itemRect.x() + itemRect.width() - width);
        onCheck = d > 0 && d < width;
    }
    if (onCheck) {
        ToggleItemCheck(row(hit));
    }
}

void TChkListBoxEx::mousePressEvent(QMouseEvent* event)
{
    // Only the left button moves the current item; the others just toggle.
    if (event->button() == Qt::LeftButton) {
        TCustomChkListBox::mousePressEvent(event);
    } else {
        event->accept();
    }
    // The list's own double-click handling may pass the event on as a press;
    // that press is toggled once, by the double click.
    if (!inDoubleClick_) {
        ToggleAt(event->position().toPoint());
    }
}

void TChkListBoxEx::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        TCustomChkListBox::mouseReleaseEvent(event);
    } else {
        event->accept();
    }
}

void TChkListBoxEx::mouseDoubleClickEvent(QMouseEvent* event)
{
    {
        inDoubleClick_ = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{inDoubleClick_};
        TCustomChkListBox::mouseDoubleClickEvent(event);
    }
    if (event->button() == Qt::LeftButton) {
        emit OnDblClick();
    }
    // The second press of a double click toggles like any press.
    ToggleAt(event->position().toPoint());
}

void TChkListBoxEx::keyPressEvent(QKeyEvent* event)
{
    TCustomChkListBox::keyPressEvent(event);
    if (event->text() == QStringLiteral(" ")) {
        ToggleItemCheck(currentRow());
    }
}

void TChkListBoxEx::changeEvent(QEvent* event)
{
    TCustomChkListBox::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        UpdateItemHeight();
    }
}

void TChkListBoxEx::paintEvent(QPaintEvent* event)
{
    TCustomChkListBox::paintEvent(event);
    // An empty list that has the focus still shows where its first item
    // would be.
    if (count() == 0 && hasFocus()) {
        QPainter painter(viewport());
        DrawItem(painter, -1, QRect(0, 0, viewport()->width(), ItemHeight()),
                 QStyle::State_Enabled | QStyle::State_HasFocus);
    }
}

void TChkListBoxEx::UpdateItemHeight()
{
    if (Style() == lbStandard) {
        ApplyItemHeight(QFontMetrics(font()).height());
    }
}
