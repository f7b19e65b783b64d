#include "ui/TStringGrid.h"

#include "ui/QtBytes.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionHeader>

#include <algorithm>

namespace norvane {

namespace {

constexpr int kBytesRole = Qt::UserRole + 1;

}  // namespace

TStringGrid::TStringGrid(QWidget* parent) : QTableWidget(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setShowGrid(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);  // a narrow cell clips its text
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setMinimumSectionSize(1);
    // Fixed cells take no selection: a press on a header leaves the cells
    // last selected, which the popup menu acts on.
    horizontalHeader()->setSectionsClickable(false);
    verticalHeader()->setSectionsClickable(false);
    verticalHeader()->setSectionsMovable(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setHighlightSections(false);
    verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(18);
    horizontalHeader()->setFixedHeight(18);
    verticalHeader()->setFixedWidth(30);
    // The corner button would select everything; it only shows column 0's header.
    setCornerButtonEnabled(false);
    corner_ = findChild<QAbstractButton*>();
    if (corner_)
        corner_->installEventFilter(this);
}

void TStringGrid::SetRowCount(int rows)
{
    const int old = rowCount();
    setRowCount(rows < 1 ? 0 : rows - 1);
    // New rows get an empty number cell, not Qt's automatic row number.
    for (int r = old; r < rowCount(); ++r)
        if (!verticalHeaderItem(r))
            setVerticalHeaderItem(r, new QTableWidgetItem(QString()));
}

QTableWidgetItem* TStringGrid::HeaderItem(int col, int row) const
{
    if (row == 0 && col >= 1)
        return horizontalHeaderItem(col - 1);
    if (col == 0 && row >= 1)
        return verticalHeaderItem(row - 1);
    return item(row - 1, col - 1);
}

std::string TStringGrid::Cell(int col, int row) const
{
    if (col == 0 && row == 0)
        return cornerText_;
    if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount())
        return {};
    const QTableWidgetItem* it = HeaderItem(col, row);
    if (!it)
        return {};
    const QByteArray bytes = it->data(kBytesRole).toByteArray();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void TStringGrid::SetCell(int col, int row, std::string_view text)
{
    if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount())
        return;
    if (col == 0 && row == 0) {
        cornerText_ = std::string(text);
        if (corner_)
            corner_->update();
        return;
    }
    auto* it = new QTableWidgetItem(FromBytes(text));
    it->setData(kBytesRole, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    if (row == 0)
        setHorizontalHeaderItem(col - 1, it);
    else if (col == 0)
        setVerticalHeaderItem(row - 1, it);
    else
        setItem(row - 1, col - 1, it);
}

int TStringGrid::ColWidth(int col) const
{
    return col == 0 ? verticalHeader()->width() : columnWidth(col - 1);
}

void TStringGrid::SetColWidth(int col, int width)
{
    if (col == 0)
        verticalHeader()->setFixedWidth(width);
    else
        setColumnWidth(col - 1, width);
}

bool TStringGrid::SelectionAnchor(int& col, int& row) const
{
    const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
    if (ranges.isEmpty())
        return false;
    int top = ranges.front().topRow();
    int left = ranges.front().leftColumn();
    for (const auto& r : ranges) {
        top = std::min(top, r.topRow());
        left = std::min(left, r.leftColumn());
    }
    col = left + 1;
    row = top + 1;
    return true;
}

std::vector<int> TStringGrid::SelectedRows(int col) const
{
    std::vector<int> rows;
    for (const auto& range : selectedRanges())
        if (range.leftColumn() <= col - 1 && range.rightColumn() >= col - 1)
            for (int row = range.topRow() + 1; row <= range.bottomRow() + 1; ++row)
                rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void TStringGrid::SelectCell(int col, int row)
{
    clearSelection();
    setCurrentCell(row - 1, col - 1, QItemSelectionModel::ClearAndSelect);
}

void TStringGrid::mousePressEvent(QMouseEvent* event)
{
    // The popup menu acts on the cells last selected, so a right press leaves them.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTableWidget::mousePressEvent(event);
}

bool TStringGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && watched == corner_) {
        QWidget* corner = corner_;
        QPainter painter(corner);
        QStyleOptionHeader option;
        option.initFrom(corner);
        option.rect = corner->rect();
        option.position = QStyleOptionHeader::OnlyOneSection;
        option.text = FromBytes(cornerText_);
        option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        corner->style()->drawControl(QStyle::CE_Header, &option, &painter, corner);
        return true;
    }
    return QTableWidget::eventFilter(watched, event);
}

}  // namespace norvane
