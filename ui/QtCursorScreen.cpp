#include "ui/QtCursorScreen.h"

#include <QCursor>
#include <QGuiApplication>

namespace norvane {

void QtCursorScreen::SetCursor(std::int16_t cursor)
{
    if (cursor == cursor_)
        return;
    if (cursor_ != kDefaultCursor)
        QGuiApplication::restoreOverrideCursor();
    cursor_ = cursor;
    if (cursor_ != kDefaultCursor)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

}  // namespace norvane
