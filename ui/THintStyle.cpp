#include "ui/THintStyle.h"

#include "ui/THintFilter.h"

namespace norvane {

THintStyle::THintStyle(QStyle* base, const THintFilter& filter) : QProxyStyle(base), filter_(&filter) {}

int THintStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                          QStyleHintReturn* returnData) const
{
    switch (hint) {
    case SH_ToolTip_WakeUpDelay:
        if (filter_)
            return filter_->WakeUpDelay();
        break;
    case SH_ToolTip_FallAsleepDelay:
        return 0;
    default:
        break;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

}  // namespace norvane
