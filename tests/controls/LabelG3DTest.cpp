#include "controls/LabelG3D.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QColor kUntouched(250, 250, 250);

// Paints a gradient into a larger image so that the band beyond the far edge
// shows too.
QImage Gradient(const QRect& rect, const QColor& c1, const QColor& c2, bool horizontal,
                bool reverse, bool half, const QSize& canvas)
{
    QImage image(canvas, QImage::Format_RGB32);
    image.fill(kUntouched);
    QPainter painter(&image);
    FillGradient(painter, rect, c1, c2, horizontal, reverse, half);
    return image;
}

struct PixelCase {
    int at;  // x for horizontal gradients, y for vertical ones
    QColor expected;
};

void ExpectRow(const QImage& image, int y, std::initializer_list<PixelCase> cases)
{
    for (const PixelCase& c : cases) {
        SCOPED_TRACE(c.at);
        EXPECT_EQ(image.pixelColor(c.at, y), c.expected);
    }
}

// The About title: 273 pixels, black to aqua and back; 136 bands rising by
// 3.75 per band, rounded half to even.
TEST(FillGradient, HalfGradientOfTheAboutTitle)
{
    const QImage image = Gradient(QRect(0, 0, 273, 38), QColor(0, 0, 0), QColor(0, 255, 255), true,
                                  false, true, QSize(290, 38));
    auto cyan = [](int v) { return QColor(0, v, v); };
    ExpectRow(image, 19,
              {{0, cyan(0)}, {1, cyan(0)}, {3, cyan(4)},  // band 1: 3.75
               {5, cyan(8)},                              // band 2: 7.5 to even
               {13, cyan(22)},                            // band 6: 22.5 to even
               {21, cyan(38)},                            // band 10: 37.5 to even
               {135, cyan(251)},                          // band 67
               {138, cyan(255)},                          // band 68, the middle
               {140, cyan(251)},                          // band 69 counts back
               {272, cyan(4)},                            // band 135, the last inside
               {273, cyan(0)}, {274, cyan(0)},            // band 136 beyond the edge
               {275, kUntouched}});
    EXPECT_EQ(image.pixelColor(138, 0), cyan(255));
    EXPECT_EQ(image.pixelColor(138, 37), cyan(255));
}

TEST(FillGradient, VerticalFortyPixels)
{
    const QImage image = Gradient(QRect(2, 0, 10, 40), QColor(0, 0, 0), QColor(200, 100, 40), false,
                                  false, false, QSize(14, 50));
    const PixelCase rows[] = {
        {0, QColor(0, 0, 0)},       {1, QColor(0, 0, 0)},         {2, QColor(10, 5, 2)},
        {3, QColor(10, 5, 2)},      {39, QColor(190, 95, 38)},    {40, QColor(200, 100, 40)},
        {41, QColor(200, 100, 40)}, {42, kUntouched},
    };
    for (const PixelCase& c : rows) {
        SCOPED_TRACE(c.at);
        EXPECT_EQ(image.pixelColor(5, c.at), c.expected);
    }
    EXPECT_EQ(image.pixelColor(1, 10), kUntouched);  // bands span the rectangle only
    EXPECT_EQ(image.pixelColor(12, 10), kUntouched);
}

// 600 pixels make 256 bands of 2.34375 pixels, their edges rounded.
TEST(FillGradient, CappedAt256Bands)
{
    const QImage image = Gradient(QRect(0, 0, 600, 4), QColor(0, 0, 0), QColor(255, 255, 255), true,
                                  false, false, QSize(610, 4));
    auto grey = [](int v) { return QColor(v, v, v); };
    ExpectRow(image, 1,
              {{1, grey(0)}, {2, grey(1)}, {4, grey(1)}, {5, grey(2)}, {6, grey(2)}, {7, grey(3)},
               {8, grey(3)}, {9, grey(4)},
               {300, grey(128)},  // band 128: 127.5 to even
               {599, grey(254)}, {600, grey(255)}, {601, grey(255)}, {602, kUntouched}});
}

TEST(FillGradient, HalfWithEvenBandCountReturnsToTheFirstColour)
{
    // 16 pixels: 8 bands, k = 0 1 2 3 4 3 2 1, then 0 beyond the edge.
    const QImage image = Gradient(QRect(0, 0, 16, 2), QColor(0, 0, 0), QColor(80, 0, 0), true, false,
                                  true, QSize(20, 2));
    const int expected[] = {0, 20, 40, 60, 80, 60, 40, 20, 0};
    for (int band = 0; band < 9; ++band) {
        SCOPED_TRACE(band);
        EXPECT_EQ(image.pixelColor(band * 2, 0), QColor(expected[band], 0, 0));
        EXPECT_EQ(image.pixelColor(band * 2 + 1, 0), QColor(expected[band], 0, 0));
    }
}

TEST(FillGradient, ChannelsKeepTheirLowEightBits)
{
    // 6 pixels: 3 bands, half; the band beyond the edge counts below zero.
    const QImage image = Gradient(QRect(0, 0, 6, 2), QColor(0, 0, 0), QColor(0, 150, 0), true, false,
                                  true, QSize(10, 2));
    ExpectRow(image, 0, {{0, QColor(0, 0, 0)}, {2, QColor(0, 100, 0)}, {4, QColor(0, 0, 0)},
                         {6, QColor(0, 156, 0)}});
}

TEST(FillGradient, ReverseSwapsTheColours)
{
    const QColor a(10, 200, 30);
    const QColor b(250, 0, 90);
    for (bool horizontal : {true, false}) {
        for (bool half : {false, true}) {
            SCOPED_TRACE(horizontal * 2 + half);
            const QRect rect(1, 1, 37, 29);
            EXPECT_EQ(Gradient(rect, a, b, horizontal, true, half, QSize(50, 40)),
                      Gradient(rect, b, a, horizontal, false, half, QSize(50, 40)));
        }
    }
}

TEST(FillGradient, BelowTwoPixelsFillsWithTheStartingColour)
{
    const QColor a(10, 200, 30);
    const QColor b(250, 0, 90);
    QImage image = Gradient(QRect(2, 0, 1, 5), a, b, true, false, false, QSize(5, 5));
    EXPECT_EQ(image.pixelColor(2, 3), a);
    EXPECT_EQ(image.pixelColor(3, 3), kUntouched);
    image = Gradient(QRect(0, 2, 5, 1), a, b, false, true, false, QSize(5, 5));
    EXPECT_EQ(image.pixelColor(3, 2), b);
    EXPECT_EQ(image.pixelColor(3, 3), kUntouched);
}

// Text pixels without smoothing, so each pixel is the text colour, the
// shadow colour or the background.
class ShadowTextTest : public ::testing::Test {
protected:
    static constexpr QRgb kBackground = 0xFFFFFF00;
    static constexpr QRgb kInk = 0xFF000000;
    static constexpr QRgb kShadow = 0xFF0000FF;

    QImage Draw(const QString& text, TShadowStyle style, int step, int flags = kTextEnabled,
                TTextLayout layout = tlTop, QRect rect = QRect(20, 20, 80, 60))
    {
        QImage image(120, 100, QImage::Format_RGB32);
        image.fill(QColor::fromRgb(kBackground));
        QPainter painter(&image);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(40);
        font.setStyleStrategy(QFont::NoAntialias);
        painter.setFont(font);
        painter.setPen(QColor::fromRgb(kInk));
        DrawShadowText(painter, rect, text, QColor::fromRgb(kShadow), step, style, Qt::AlignLeft,
                       layout, psNone, flags);
        return image;
    }

    static int Count(const QImage& image, QRgb color)
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixel(x, y) == color;
        return n;
    }

    // The lowest, then rightmost pixel of a colour (and the topmost, leftmost).
    static QPoint Last(const QImage& image, QRgb color)
    {
        for (int y = image.height() - 1; y >= 0; --y)
            for (int x = image.width() - 1; x >= 0; --x)
                if (image.pixel(x, y) == color) return {x, y};
        return {-1, -1};
    }
    static QPoint First(const QImage& image, QRgb color)
    {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) == color) return {x, y};
        return {-1, -1};
    }
};

TEST_F(ShadowTextTest, ShadowCopies)
{
    const QImage plain = Draw(".", ssNone, 3);
    const QPoint last = Last(plain, kInk);
    const QPoint first = First(plain, kInk);
    ASSERT_GT(Count(plain, kInk), 0);
    EXPECT_EQ(Count(plain, kShadow), 0);

    // Low shadow: a copy at every step down to the right.
    QImage image = Draw(".", ssLowShadow, 3);
    EXPECT_EQ(image.pixel(last), kInk);
    for (int i = 1; i <= 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(image.pixel(last + QPoint(i, i)), kShadow);
    }
    EXPECT_EQ(image.pixel(last + QPoint(4, 4)), kBackground);
    EXPECT_EQ(image.pixel(first - QPoint(1, 1)), kBackground);

    // Raise shadow: up to the left.
    image = Draw(".", ssRaiseShadow, 3);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(image.pixel(first - QPoint(i, i)), kShadow);
    }
    EXPECT_EQ(image.pixel(first - QPoint(4, 4)), kBackground);
    EXPECT_EQ(image.pixel(last + QPoint(1, 1)), kBackground);

    // Lines: one copy only, step pixels away; a step wider than the dot
    // leaves a gap.
    const int wide = last.x() - first.x() + 3;
    image = Draw(".", ssLowLine, wide);
    EXPECT_EQ(image.pixel(last + QPoint(wide, wide)), kShadow);
    EXPECT_EQ(image.pixel(last + QPoint(1, 1)), kBackground);
    EXPECT_EQ(Count(image, kShadow), Count(plain, kInk));
    image = Draw(".", ssRaiseLine, wide);
    EXPECT_EQ(image.pixel(first - QPoint(wide, wide)), kShadow);
    EXPECT_EQ(Count(image, kShadow), Count(plain, kInk));

    // Edge: the dot grown by the step on every side.
    image = Draw(".", ssEdgeShadow, 2);
    EXPECT_EQ(image.pixel(last + QPoint(2, 2)), kShadow);
    EXPECT_EQ(image.pixel(first - QPoint(2, 2)), kShadow);
    EXPECT_EQ(image.pixel(QPoint(last.x() + 2, first.y() - 2)), kShadow);
    EXPECT_EQ(image.pixel(QPoint(first.x() - 2, last.y() + 2)), kShadow);
    EXPECT_EQ(image.pixel(last + QPoint(3, 2)), kBackground);
    EXPECT_EQ(image.pixel(first - QPoint(2, 3)), kBackground);
    EXPECT_EQ(image.pixel(last), kInk);
}

TEST_F(ShadowTextTest, NoVisibleShadow)
{
    const QImage plain = Draw(".", ssNone, 3);
    const struct {
        TShadowStyle style;
        int step;
    } cases[] = {{ssLowShadow, 0}, {ssRaiseShadow, 0}, {ssLowLine, 0}, {ssEdgeShadow, 0},
                 {TShadowStyle(6), 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.style));
        EXPECT_EQ(Draw(".", c.style, c.step), plain);
    }
}

TEST_F(ShadowTextTest, DisabledIsEmbossedWithoutShadow)
{
    const QImage plain = Draw(".", ssNone, 3);
    const QPoint last = Last(plain, kInk);
    const QImage image = Draw(".", ssEdgeShadow, 3, 0);
    EXPECT_EQ(Count(image, kShadow), 0);
    EXPECT_EQ(Count(image, kInk), 0);
    EXPECT_EQ(image.pixelColor(last), QColor(128, 128, 128));
    EXPECT_EQ(image.pixelColor(last + QPoint(1, 1)), QColor(255, 255, 255));
    EXPECT_EQ(image.pixel(last + QPoint(2, 2)), kBackground);
}

TEST_F(ShadowTextTest, LayoutMovesTheTextBlock)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(40);
    QImage device(1, 1, QImage::Format_RGB32);
    QPainter measure(&device);
    measure.setFont(font);
    const int lineHeight = measure.fontMetrics().boundingRect(QRect(0, 0, 80, 60), 0, "H").height();
    measure.end();
    const struct {
        TTextLayout layout;
        int height;
        int shift;
    } cases[] = {
        {tlCenter, 60, (60 - lineHeight) / 2},
        {tlBottom, 60, 60 - lineHeight},
        {tlCenter, 20, (20 - lineHeight) / 2},
        {tlBottom, 20, 20 - lineHeight},  // taller than the rectangle: moves up
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.layout) * 100 + c.height);
        const QRect rect(20, 40, 80, c.height);
        const int top = First(Draw("H", ssNone, 0, kTextEnabled, tlTop, rect), kInk).y();
        const int moved = First(Draw("H", ssNone, 0, kTextEnabled, c.layout, rect), kInk).y();
        if (c.height < lineHeight && c.layout == tlBottom) {
            EXPECT_LT(moved, top);
        }
        EXPECT_EQ(moved - top, c.shift);
    }
}

// A line below the first that does not fit wholly is left out; the first
// line is drawn even when it is cut off.
TEST_F(ShadowTextTest, PartlyVisibleLastLineIsNotDrawn)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(40);
    const QFontMetrics metrics(font);
    const int line = metrics.height();
    const int spacing = metrics.lineSpacing();
    const struct {
        const char* name;
        const char* text;
        int height;
        TPathStyle path;
        int lowestInk;  // below the rectangle's top; -1 for none
    } cases[] = {
        {"second line cut", "H\nH", line + spacing / 2, psNone, line},
        {"second line whole", "H\nH", line + spacing, psNone, line + spacing},
        {"third line cut", "H\nH\nH", line + spacing + spacing / 2, psNone, line + spacing},
        {"first line cut", "H\nH", line / 2, psNone, line / 2},
        {"ellipsis style keeps the cut line", "H\nH", line + spacing / 2, psLast,
         line + spacing / 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QImage image(120, 200, QImage::Format_RGB32);
        image.fill(QColor::fromRgb(kBackground));
        QPainter painter(&image);
        QFont plain = font;
        plain.setStyleStrategy(QFont::NoAntialias);
        painter.setFont(plain);
        painter.setPen(QColor::fromRgb(kInk));
        DrawShadowText(painter, QRect(10, 10, 100, c.height), QString::fromUtf8(c.text),
                       QColor::fromRgb(kShadow), 0, ssNone, Qt::AlignLeft, tlTop, c.path,
                       kTextEnabled);
        painter.end();
        const QPoint lowest = Last(image, kInk);
        ASSERT_GE(lowest.y(), 10);
        EXPECT_LT(lowest.y() - 10, c.lowestInk);
        EXPECT_GE(lowest.y() - 10, c.lowestInk - line / 2);  // ink reaches into the last line kept
    }
}

// Only the horizontal part of an alignment places the text; a vertical
// flag passed along (as a plain label's alignment holds) changes nothing.
TEST_F(ShadowTextTest, HorizontalAlignment)
{
    const auto leftmost = [](Qt::Alignment alignment) {
        QImage image(120, 100, QImage::Format_RGB32);
        image.fill(QColor::fromRgb(kBackground));
        QPainter painter(&image);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(40);
        font.setStyleStrategy(QFont::NoAntialias);
        painter.setFont(font);
        painter.setPen(QColor::fromRgb(kInk));
        DrawShadowText(painter, QRect(0, 0, 120, 60), QStringLiteral("I"), QColor::fromRgb(kShadow),
                       0, ssNone, alignment, tlTop, psNone, kTextEnabled);
        painter.end();
        int x = image.width();
        for (int y = 0; y < image.height(); ++y)
            for (int i = 0; i < image.width(); ++i)
                if (image.pixel(i, y) == kInk) x = std::min(x, i);
        return x;
    };
    const int left = leftmost(Qt::AlignLeft);
    const int centre = leftmost(Qt::AlignHCenter);
    const int right = leftmost(Qt::AlignRight);
    EXPECT_LT(left, centre);
    EXPECT_LT(centre, right);
    EXPECT_EQ(leftmost(Qt::AlignLeft | Qt::AlignVCenter), left);
    EXPECT_EQ(leftmost(Qt::AlignRight | Qt::AlignVCenter), right);
    EXPECT_EQ(leftmost(Qt::AlignCenter), centre);
}

TEST_F(ShadowTextTest, EmptyTextDrawsNothing)
{
    EXPECT_EQ(Count(Draw("", ssEdgeShadow, 2), kBackground), 120 * 100);
    EXPECT_GT(Count(Draw("&", ssNone, 2, kTextEnabled), kInk), 0);
}

TEST(LabelG3D, Defaults)
{
    TLabelG3D label;
    EXPECT_EQ(label.GradatColorTo(), clBlack);
    EXPECT_EQ(label.GradatFlg(), gfHorz);
    EXPECT_FALSE(label.GradatHalf());
    EXPECT_EQ(label.Layout(), tlCenter);
    EXPECT_EQ(label.PathStyle(), psNone);
    EXPECT_EQ(label.ShadowColor(), clBlue);
    EXPECT_EQ(label.ShadowStep(), 2);
    EXPECT_EQ(label.ShadowStyle(), ssLowShadow);
    EXPECT_TRUE(label.Transparent());
    EXPECT_FALSE(label.wordWrap());
    EXPECT_EQ(label.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(label.FontColor(), QColor(255, 255, 255));
    EXPECT_TRUE(label.font().bold());
    EXPECT_EQ(label.font().pointSize(), 12);
    EXPECT_EQ(label.size(), QSize(100, 40));
}

// Counts the paint events of a shown widget.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* target) { target->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
};

TEST(LabelG3D, SettersRepaintOnlyOnChange)
{
    TLabelG3D label;
    label.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&label));
    QApplication::processEvents();
    PaintCounter paints(&label);
    const std::function<void(bool)> setters[] = {
        [&](bool change) { label.SetGradatColorTo(change ? clRed : clBlack); },
        [&](bool change) { label.SetGradatFlg(change ? gfVert : gfHorz); },
        [&](bool change) { label.SetGradatHalf(change); },
        [&](bool change) { label.SetLayout(change ? tlTop : tlCenter); },
        [&](bool change) { label.SetPathStyle(change ? psLast : psNone); },
        [&](bool change) { label.SetShadowColor(change ? clRed : clBlue); },
        [&](bool change) { label.SetShadowStep(change ? 3 : 2); },
        [&](bool change) { label.SetShadowStyle(change ? ssEdgeShadow : ssLowShadow); },
        [&](bool change) { label.SetTransparent(!change); },
    };
    int i = 0;
    for (const auto& set : setters) {
        SCOPED_TRACE(i++);
        set(false);
        QApplication::processEvents();
        EXPECT_EQ(paints.count, 0);
        set(true);
        QApplication::processEvents();
        EXPECT_GE(paints.count, 1);
        set(false);
        QApplication::processEvents();
        paints.count = 0;
    }
}

TEST(LabelG3D, PaintsItsFace)
{
    QWidget parent;
    parent.setAutoFillBackground(true);
    QPalette colors = parent.palette();
    colors.setColor(QPalette::Window, QColor(1, 2, 3));
    parent.setPalette(colors);
    parent.resize(300, 60);
    TLabelG3D label(&parent);
    label.setGeometry(0, 0, 273, 38);
    label.SetColor(clBlack);
    label.SetGradatColorTo(clAqua);
    label.SetGradatHalf(true);
    label.setText(QStringLiteral("  Norvane  "));
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));

    QImage image = parent.grab().toImage();
    EXPECT_EQ(image.pixelColor(138, 1), QColor(0, 255, 255));
    EXPECT_EQ(image.pixelColor(272, 1), QColor(0, 4, 4));
    EXPECT_EQ(image.pixelColor(274, 1), QColor(1, 2, 3));  // clipped to the label

    label.SetGradatFlg(gfNone);
    image = parent.grab().toImage();
    EXPECT_EQ(image.pixelColor(138, 1), QColor(1, 2, 3));  // transparent
    label.SetTransparent(false);
    label.SetColor(RGBColor(9, 8, 7));
    image = parent.grab().toImage();
    EXPECT_EQ(image.pixelColor(138, 1), QColor(9, 8, 7));
    label.SetColor(clBtnFace);
    image = parent.grab().toImage();
    EXPECT_EQ(image.pixelColor(138, 1), label.palette().color(QPalette::Button));
}

TEST(LabelG3D, ClickNeedsPressAndReleaseOnTheLabel)
{
    TLabelG3D label;
    label.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&label));
    int clicks = 0;
    QObject::connect(&label, &TLabelG3D::OnClick, [&] { ++clicks; });
    QTest::mouseClick(&label, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    QTest::mouseClick(&label, Qt::RightButton);
    EXPECT_EQ(clicks, 1);
    QTest::mousePress(&label, Qt::LeftButton);
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(150, 10));
    EXPECT_EQ(clicks, 1);
}

}  // namespace
