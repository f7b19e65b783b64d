#include "controls/LabelG3D.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Nearest integer, ties to even.
int RoundEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

int Channel(int k, float increment, int start)
{
    return RoundEven(double(k) * double(increment) + double(start)) & 0xFF;
}

// A path too long for width keeps its last component and loses the middle.
QString ElidePath(const QString& line, const QFontMetrics& metrics, int width)
{
    if (metrics.horizontalAdvance(line) <= width) {
        return line;
    }
    const int separator = std::max(line.lastIndexOf(QLatin1Char('\\')), line.lastIndexOf(QLatin1Char('/')));
    if (separator < 0) {
        return metrics.elidedText(line, Qt::ElideMiddle, width);
    }
    const QString tail = line.mid(separator);
    const int room = std::max(0, width - metrics.horizontalAdvance(tail));
    QString head = metrics.elidedText(line.left(separator), Qt::ElideRight, room);
    if (head.isEmpty()) {
        head = QStringLiteral("\u2026");
    }
    return head + tail;
}

}  // namespace

void FillGradient(QPainter& painter, const QRect& rect, const QColor& c1, const QColor& c2,
                  bool horizontal, bool reverse, bool half)
{
    const QColor first = reverse ? c2 : c1;
    const QColor second = reverse ? c1 : c2;
    const int extent = horizontal ? rect.width() : rect.height();
    const int steps = std::min(extent / 2, 256);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (steps <= 0) {
        // Too narrow for a single band of two pixels.
        painter.fillRect(rect, first);
        painter.restore();
        return;
    }
    const int start[3] = {first.red(), first.green(), first.blue()};
    const int target[3] = {second.red(), second.green(), second.blue()};
    const float divisor = half ? float(steps) * 0.5f : float(steps);
    float increment[3];
    for (int ch = 0; ch < 3; ++ch) {
        increment[ch] = float(target[ch] - start[ch]) / divisor;
    }
    const float thickness = float(extent) / float(steps);
    const int lead = horizontal ? rect.left() : rect.top();
    const int farEdge = lead + extent;

    int k = 0;
    for (int j = 0;; ++j) {
        const int from = lead + RoundEven(double(j) * double(thickness));
        if (from > farEdge) {
            break;
        }
        const int to = lead + RoundEven(double(j + 1) * double(thickness));
        k = (half && j > steps / 2) ? k - 1 : j;
        const QColor color(Channel(k, increment[0], start[0]), Channel(k, increment[1], start[1]),
                           Channel(k, increment[2], start[2]));
        const QRect band = horizontal ? QRect(from, rect.top(), to - from, rect.height())
                                      : QRect(rect.left(), from, rect.width(), to - from);
        painter.fillRect(band, color);
    }
    painter.restore();
}

void DrawShadowText(QPainter& painter, const QRect& rect, QString text, const QColor& shadowColor,
                    int shadowStep, TShadowStyle shadowStyle, Qt::Alignment alignment,
                    TTextLayout layout, TPathStyle pathStyle, int flags)
{
    // An empty text still takes one line's height.
    if (text.isEmpty() || ((flags & kTextShowAccel) && text == QStringLiteral("&"))) {
        text += QLatin1Char(' ');
    }
    int format = Qt::AlignTop | Qt::TextExpandTabs;
    if (alignment & Qt::AlignRight) {
        format |= Qt::AlignRight;
    } else if (alignment & Qt::AlignHCenter) {
        format |= Qt::AlignHCenter;
    } else {
        format |= Qt::AlignLeft;
    }
    if (flags & kTextWordWrap) {
        format |= Qt::TextWordWrap;
    }
    if (flags & kTextShowAccel) {
        format |= Qt::TextShowMnemonic;
    }
    const QFontMetrics metrics = painter.fontMetrics();
    if (pathStyle != psNone && !(flags & kTextWordWrap)) {
        QStringList lines = text.split(QLatin1Char('\n'));
        for (QString& line : lines) {
            line = pathStyle == psLast ? metrics.elidedText(line, Qt::ElideRight, rect.width())
                                       : ElidePath(line, metrics, rect.width());
        }
        text = lines.join(QLatin1Char('\n'));
    }

    const int measured = metrics.boundingRect(rect, format, text).height();
    const int d = rect.height() - measured;
    QRect placed = rect;
    if (layout == tlCenter) {
        placed.translate(0, d / 2);
    } else if (layout == tlBottom) {
        placed.translate(0, d);
    }
    if (pathStyle == psNone) {
        // A line after the first that the rectangle cannot show whole is
        // left out; the first line is always drawn.
        const int lineHeight = metrics.height();
        const int spacing = std::max(1, metrics.lineSpacing());
        const int whole = rect.height() > lineHeight ? (rect.height() - lineHeight) / spacing + 1 : 1;
        placed.setHeight(std::min(placed.height(), (whole - 1) * spacing + lineHeight));
    }

    painter.save();
    painter.setBrush(Qt::NoBrush);
    const QColor fontColor = painter.pen().color();
    auto draw = [&](int dx, int dy) { painter.drawText(placed.translated(dx, dy), format, text); };

    if (!(flags & kTextEnabled)) {
        painter.setPen(QColor(255, 255, 255));
        draw(1, 1);
        painter.setPen(QColor(128, 128, 128));
        draw(0, 0);
        painter.restore();
        return;
    }
    painter.setPen(shadowColor);
    switch (shadowStyle) {
    case ssNone:
        break;
    case ssLowLine:
        draw(shadowStep, shadowStep);
        break;
    case ssRaiseLine:
        draw(-shadowStep, -shadowStep);
        break;
    case ssLowShadow:
        for (int i = 1; i <= shadowStep; ++i) {
            draw(i, i);
        }
        break;
    case ssRaiseShadow:
        for (int i = 1; i <= shadowStep; ++i) {
            draw(-i, -i);
        }
        break;
    case ssEdgeShadow:
        for (int dx = -shadowStep; dx <= shadowStep; ++dx) {
            for (int dy = -shadowStep; dy <= shadowStep; ++dy) {
                draw(dx, dy);
            }
        }
        break;
    }
    painter.setPen(fontColor);
    draw(0, 0);
    painter.restore();
}

TLabelG3D::TLabelG3D(QWidget* parent) : QLabel(parent)
{
    QFont designed = font();
    designed.setPointSize(12);
    designed.setBold(true);
    setFont(designed);
    SetFontColor(QColor(255, 255, 255));
    setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    setWordWrap(false);
    setAutoFillBackground(false);
    resize(100, 40);
}

QColor TLabelG3D::FontColor() const
{
    return palette().color(QPalette::WindowText);
}

void TLabelG3D::SetFontColor(const QColor& value)
{
    if (value == FontColor()) {
        return;
    }
    QPalette changed = palette();
    changed.setColor(QPalette::WindowText, value);
    setPalette(changed);
    update();
}

#define NORVANE_SETTER(Name, Type, member) \
    void TLabelG3D::Set##Name(Type value)   \
    {                                       \
        if (value == member) {              \
            return;                         \
        }                                   \
        member = value;                     \
        update();                           \
    }

NORVANE_SETTER(GradatColorTo, TColor, gradatColorTo_)
NORVANE_SETTER(GradatFlg, TGradatFlg, gradatFlg_)
NORVANE_SETTER(GradatHalf, bool, gradatHalf_)
NORVANE_SETTER(Layout, TTextLayout, layout_)
NORVANE_SETTER(PathStyle, TPathStyle, pathStyle_)
NORVANE_SETTER(ShadowColor, TColor, shadowColor_)
NORVANE_SETTER(ShadowStyle, TShadowStyle, shadowStyle_)
NORVANE_SETTER(Color, TColor, color_)
NORVANE_SETTER(ShowAccelChar, bool, showAccelChar_)
#undef NORVANE_SETTER

void TLabelG3D::SetShadowStep(int value)
{
    const auto step = static_cast<std::uint8_t>(value);
    if (step == shadowStep_) {
        return;
    }
    shadowStep_ = step;
    update();
}

void TLabelG3D::SetTransparent(bool value)
{
    if (value == transparent_) {
        return;
    }
    transparent_ = value;
    update();
}

void TLabelG3D::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(font());
    QRect area = rect();
    if (gradatFlg_ != gfNone) {
        FillGradient(painter, area, ResolveColor(color_, palette()),
                     ResolveColor(gradatColorTo_, palette()),
                     gradatFlg_ == gfHorz || gradatFlg_ == gfHorzR,
                     gradatFlg_ == gfHorzR || gradatFlg_ == gfVertR, gradatHalf_);
    } else if (!transparent_) {
        painter.fillRect(area, ResolveColor(color_, palette()));
    }
    area.adjust(kLabelG3DTextInset, kLabelG3DTextInset, -kLabelG3DTextInset, -kLabelG3DTextInset);
    painter.setPen(FontColor());
    const int flags = (isEnabled() ? kTextEnabled : 0) | (wordWrap() ? kTextWordWrap : 0) |
                      (showAccelChar_ ? kTextShowAccel : 0);
    DrawShadowText(painter, area, text(), ResolveColor(shadowColor_, palette()), shadowStep_,
                   shadowStyle_, alignment() & Qt::AlignHorizontal_Mask, layout_, pathStyle_, flags);
}

void TLabelG3D::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        leftPressed_ = true;
    }
    event->accept();
}

void TLabelG3D::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || !leftPressed_) {
        return;
    }
    leftPressed_ = false;
    if (rect().contains(event->position().toPoint())) {
        emit OnClick();
    }
}
