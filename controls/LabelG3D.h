#pragma once

#include "controls/Colors.h"

#include <QLabel>

#include <cstdint>

class QPainter;

enum TGradatFlg : std::uint8_t { gfNone, gfHorz, gfHorzR, gfVert, gfVertR };
enum TTextLayout : std::uint8_t { tlTop, tlCenter, tlBottom };
enum TPathStyle : std::uint8_t { psNone, psLast, psMiddle };
enum TShadowStyle : std::uint8_t {
    ssNone, ssLowLine, ssRaiseLine, ssLowShadow, ssRaiseShadow, ssEdgeShadow
};

// Bits of the flags argument of DrawShadowText.
inline constexpr int kTextEnabled = 1;
inline constexpr int kTextWordWrap = 2;
inline constexpr int kTextShowAccel = 4;

// The gradient label draws its text this many pixels inside each edge.
inline constexpr int kLabelG3DTextInset = 4;

// Fills rect with bands of colour running from c1 to c2: left to right when
// horizontal, else top to bottom; reverse swaps the colours; half reaches c2
// in the middle and comes back. At most 256 bands of at least 2 pixels, plus
// one band just beyond the far edge. An extent below 2 pixels is filled with
// the starting colour.
void FillGradient(QPainter& painter, const QRect& rect, const QColor& c1, const QColor& c2,
                  bool horizontal, bool reverse, bool half);

// Draws text in rect with the painter's font and pen colour, with shadow
// copies in shadowColor, or embossed white and grey when disabled.
// alignment is the horizontal part (left, right or centre).
void DrawShadowText(QPainter& painter, const QRect& rect, QString text, const QColor& shadowColor,
                    int shadowStep, TShadowStyle shadowStyle, Qt::Alignment alignment,
                    TTextLayout layout, TPathStyle pathStyle, int flags);

// A label that paints its own face: an optional gradient behind the text, and
// the text with a shadow, outline or emboss. Caption, font, alignment, word
// wrap and enabled state are the plain label's; the font colour is the
// palette's window text colour.
class TLabelG3D : public QLabel {
    Q_OBJECT
    Q_PROPERTY(uint GradatColorTo READ GradatColorTo WRITE SetGradatColorTo)
    Q_PROPERTY(int GradatFlg READ GradatFlg WRITE SetGradatFlgValue)
    Q_PROPERTY(bool GradatHalf READ GradatHalf WRITE SetGradatHalf)
    Q_PROPERTY(int Layout READ Layout WRITE SetLayoutValue)
    Q_PROPERTY(int PathStyle READ PathStyle WRITE SetPathStyleValue)
    Q_PROPERTY(uint ShadowColor READ ShadowColor WRITE SetShadowColor)
    Q_PROPERTY(int ShadowStep READ ShadowStep WRITE SetShadowStep)
    Q_PROPERTY(int ShadowStyle READ ShadowStyle WRITE SetShadowStyleValue)
    Q_PROPERTY(uint Color READ Color WRITE SetColor)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(bool ShowAccelChar READ ShowAccelChar WRITE SetShowAccelChar)
    Q_PROPERTY(QColor FontColor READ FontColor WRITE SetFontColor)

public:
    explicit TLabelG3D(QWidget* parent = nullptr);

    TColor GradatColorTo() const { return gradatColorTo_; }
    void SetGradatColorTo(TColor value);
    TGradatFlg GradatFlg() const { return gradatFlg_; }
    void SetGradatFlg(TGradatFlg value);
    bool GradatHalf() const { return gradatHalf_; }
    void SetGradatHalf(bool value);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout value);
    TPathStyle PathStyle() const { return pathStyle_; }
    void SetPathStyle(TPathStyle value);
    TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(TColor value);
    std::uint8_t ShadowStep() const { return shadowStep_; }
    void SetShadowStep(int value);
    TShadowStyle ShadowStyle() const { return shadowStyle_; }
    void SetShadowStyle(TShadowStyle value);
    // The first gradient colour, and the fill when not transparent.
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool value);
    QColor FontColor() const;
    void SetFontColor(const QColor& value);
    // The width a line of the text has: the label's, less the inset at each edge.
    int TextRoom() const { return width() - 2 * kLabelG3DTextInset; }

signals:
    // A completed left click (press and release on the label).
    void OnClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Forms store the enumerations as numbers.
    void SetGradatFlgValue(int value) { SetGradatFlg(TGradatFlg(value)); }
    void SetLayoutValue(int value) { SetLayout(TTextLayout(value)); }
    void SetPathStyleValue(int value) { SetPathStyle(TPathStyle(value)); }
    void SetShadowStyleValue(int value) { SetShadowStyle(TShadowStyle(value)); }

    TColor gradatColorTo_ = clBlack;
    TGradatFlg gradatFlg_ = gfHorz;
    bool gradatHalf_ = false;
    TTextLayout layout_ = tlCenter;
    TPathStyle pathStyle_ = psNone;
    TColor shadowColor_ = clBlue;
    std::uint8_t shadowStep_ = 2;
    TShadowStyle shadowStyle_ = ssLowShadow;
    TColor color_ = clBtnFace;
    bool transparent_ = true;
    bool showAccelChar_ = true;
    bool leftPressed_ = false;
};
