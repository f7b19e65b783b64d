#include "ui/TFormGeometry.h"

#include <QWidget>

namespace norvane {

QRect TFormGeometry::Normal() const
{
    if (!(window_.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        return QRect(window_.pos(), window_.size());
    // normalGeometry() is the client area; the frame sits where the frame
    // offset says.
    const QRect normal = window_.normalGeometry();
    const QPoint frameOffset = window_.geometry().topLeft() - window_.pos();
    return QRect(normal.topLeft() - frameOffset, normal.size());
}

int TFormGeometry::Left() const
{
    return Normal().x();
}

int TFormGeometry::Top() const
{
    return Normal().y();
}

int TFormGeometry::Width() const
{
    return Normal().width();
}

int TFormGeometry::Height() const
{
    return Normal().height();
}

void TFormGeometry::SetLeft(int value)
{
    window_.move(value, window_.pos().y());
}

void TFormGeometry::SetTop(int value)
{
    window_.move(window_.pos().x(), value);
}

void TFormGeometry::SetWidth(int value)
{
    setWidth_ = value;
    window_.resize(value, window_.height());
}

void TFormGeometry::SetHeight(int value)
{
    setHeight_ = value;
    window_.resize(window_.width(), value);
}

}  // namespace norvane
