#pragma once

#include "app/WindowGeometry.h"

#include <QRect>

class QWidget;

namespace norvane {

// A window's bounds for the settings file: the frame's position and the
// client size, as Qt's pos() and size() report them, restored with move()
// and resize() so that the window does not drift from run to run. A
// maximised or minimised window reports its normal bounds. A size larger than
// the free area of the window's screen is cut to it as it is set, so that no
// window ever grows beyond its screen.
class TFormGeometry : public WindowGeometry {
public:
    explicit TFormGeometry(QWidget& window) : window_(window) {}

    int Left() const override;
    int Top() const override;
    int Width() const override;
    int Height() const override;
    void SetLeft(int value) override;
    void SetTop(int value) override;
    void SetWidth(int value) override;
    void SetHeight(int value) override;

    // Whether a size was set that is smaller than the given one (the window
    // itself never gets below its minimum, so its size cannot tell).
    bool SizeSetBelow(int width, int height) const
    {
        return (setWidth_ >= 0 && setWidth_ < width) || (setHeight_ >= 0 && setHeight_ < height);
    }

    // Whether a size was set that had to be cut to the screen.
    bool SizeCut() const { return sizeCut_; }

private:
    QRect Normal() const;
    // The largest client size whose frame fits the free area of the screen.
    QSize Largest() const;

    QWidget& window_;
    int setWidth_ = -1;
    int setHeight_ = -1;
    bool sizeCut_ = false;
};

}  // namespace norvane
