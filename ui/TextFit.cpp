#include "ui/TextFit.h"

#include "controls/LabelG3D.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionHeader>
#include <QTableView>

#include <algorithm>
#include <climits>

namespace norvane {

namespace {

// Pixels kept free on either side of a push button's caption, so that it
// does not touch the bevel.
constexpr int kButtonPadding = 2;

// The caption as drawn: "&&" shows one "&", a lone "&" marks the mnemonic.
QString Shown(const QString& text)
{
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        shown += text[i];
    }
    return shown;
}

QString Caption(const QWidget& widget)
{
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget))
        return Shown(button->text());
    if (const auto* label = qobject_cast<const QLabel*>(&widget))
        return label->text();
    return {};
}

QStyleOptionButton ButtonOption(const QAbstractButton& button)
{
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    if (const auto* push = qobject_cast<const QPushButton*>(&button)) {
        if (push->isDefault())
            option.features |= QStyleOptionButton::DefaultButton;
        if (push->autoDefault())
            option.features |= QStyleOptionButton::AutoDefaultButton;
    }
    return option;
}

// The grid line at a cell's right edge takes a pixel of the column.
int GridLine(const QTableView& view)
{
    return view.showGrid() ? 1 : 0;
}

}  // namespace

int CaptionAdvance(const QWidget& widget)
{
    return QFontMetrics(widget.font()).horizontalAdvance(Caption(widget));
}

int CaptionRoom(const QWidget& widget)
{
    const QStyle* style = widget.style();
    if (const auto* box = qobject_cast<const QCheckBox*>(&widget)) {
        const QStyleOptionButton option = ButtonOption(*box);
        return style->subElementRect(QStyle::SE_CheckBoxContents, &option, box).width();
    }
    if (const auto* button = qobject_cast<const QPushButton*>(&widget)) {
        const QStyleOptionButton option = ButtonOption(*button);
        return style->subElementRect(QStyle::SE_PushButtonContents, &option, button).width() - 2 * kButtonPadding;
    }
    if (const auto* label = qobject_cast<const TLabelG3D*>(&widget))
        return label->TextRoom();
    if (const auto* label = qobject_cast<const QLabel*>(&widget))
        return label->contentsRect().width() - 2 * label->margin();
    return widget.contentsRect().width();
}

void FitColumns(const std::vector<std::vector<QWidget*>>& columns)
{
    int designedRightBefore = INT_MIN;
    int rightBefore = INT_MIN;
    for (const auto& column : columns) {
        if (column.empty())
            continue;
        int designedLeft = INT_MAX;
        int designedRight = INT_MIN;
        for (const QWidget* widget : column) {
            designedLeft = std::min(designedLeft, widget->x());
            designedRight = std::max(designedRight, widget->x() + widget->width());
        }
        int left = designedLeft;
        if (rightBefore != INT_MIN)
            left = std::max(designedLeft, rightBefore + std::max(0, designedLeft - designedRightBefore));
        const int shift = left - designedLeft;
        int right = INT_MIN;
        for (QWidget* widget : column) {
            const int missing = std::max(0, CaptionAdvance(*widget) - CaptionRoom(*widget));
            widget->setGeometry(widget->x() + shift, widget->y(), widget->width() + missing, widget->height());
            right = std::max(right, widget->x() + widget->width());
        }
        designedRightBefore = designedRight;
        rightBefore = right;
    }
}

int HeaderTextRoom(const QHeaderView& header, int width)
{
    QStyleOptionHeader option;
    option.initFrom(&header);
    option.rect = QRect(0, 0, width, header.height());
    option.orientation = header.orientation();
    return header.style()->subElementRect(QStyle::SE_HeaderLabel, &option, &header).width();
}

int CellTextRoom(const QTableView& view, int width)
{
    // Item views keep this margin on each side of a cell's text.
    const int margin = view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
    return width - GridLine(view) - 2 * margin;
}

int HeaderWidthFor(const QHeaderView& header, const QString& text)
{
    const int advance = QFontMetrics(header.font()).horizontalAdvance(text);
    return advance + (100 - HeaderTextRoom(header, 100));
}

int CellWidthFor(const QTableView& view, const QString& text)
{
    const int advance = QFontMetrics(view.font()).horizontalAdvance(text);
    return advance + (100 - CellTextRoom(view, 100));
}

}  // namespace norvane
