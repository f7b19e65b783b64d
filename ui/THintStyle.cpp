#include "ui/THintStyle.h"

namespace norvane {

THintStyle::THintStyle(QStyle* base, int hintPause, int shortPause)
    : QProxyStyle(base), hintPause_(hintPause), shortPause_(shortPause)
{
}

int THintStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                          QStyleHintReturn* returnData) const
{
    switch (hint) {
    case SH_ToolTip_WakeUpDelay:
        return hintPause_;
    case SH_ToolTip_FallAsleepDelay:
        return shortPause_;
    default:
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
}

}  // namespace norvane
