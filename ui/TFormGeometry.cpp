#include "ui/TFormGeometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

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

QSize TFormGeometry::Largest() const
{
    const QScreen* screen = QGuiApplication::screenAt(window_.pos());
    if (!screen)
        screen = window_.screen();
    if (!screen)
        return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const QSize frame = window_.frameGeometry().size() - window_.size();
    return screen->availableGeometry().size() - frame;
}

void TFormGeometry::SetWidth(int value)
{
    setWidth_ = value;
    const int largest = Largest().width();
    sizeCut_ = sizeCut_ || value > largest;
    window_.resize(std::min(value, largest), window_.height());
}

void TFormGeometry::SetHeight(int value)
{
    setHeight_ = value;
    const int largest = Largest().height();
    sizeCut_ = sizeCut_ || value > largest;
    window_.resize(window_.width(), std::min(value, largest));
}

}  // namespace norvane
