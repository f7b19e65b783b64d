#pragma once

#include "settings/Settings.h"

#include <QRect>

class QWidget;

namespace norvane {

// A window's bounds for the settings file: the frame's position and the
// client size, as Qt's pos() and size() report them, restored with move()
// and resize() so that the window does not drift from run to run. A
// maximised or minimised window reports its normal bounds.
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

private:
    QRect Normal() const;

    QWidget& window_;
};

}  // namespace norvane
