#include "ui/OptionPage.h"

#include "app/VeskJob.h"
#include "engine/VeskFile.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QToolTip>
#include <QWidget>

namespace norvane {

QCheckBox& OptionPage::Box(Option option) const
{
    auto* box = window_.findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(static_cast<int>(option)));
    Q_ASSERT(box);
    return *box;
}

bool OptionPage::Ticked(Option option) const
{
    return Box(option).isChecked();
}

void OptionPage::Apply(std::uint8_t flags)
{
    for (const Option option : kOptions)
        Box(option).setChecked(HasOption(flags, option));
    SetShowHints(Ticked(Option::Hint));
    FollowAttachmentOption();
}

std::uint8_t OptionPage::Collect(std::uint8_t stored) const
{
    unsigned flags = stored & kFreeOptionBits;
    for (const Option option : kOptions)
        if (Ticked(option))
            flags |= OptionBit(option);
    return static_cast<std::uint8_t>(flags);
}

VeskOptions OptionPage::ForVesk() const
{
    return VeskOptionsFrom(Collect(0));
}

void OptionPage::BoxClicked(const QObject* box)
{
    if (!box)
        return;
    // An option box's Tag is its option's number.
    switch (static_cast<Option>(box->property("Tag").toInt())) {
    case Option::Hint:
        SetShowHints(Ticked(Option::Hint));
        break;
    case Option::RemoveAttachments:
        FollowAttachmentOption();
        break;
    default:
        break;
    }
}

void OptionPage::SetShowHints(bool on)
{
    if (showHints_ == on)
        return;
    showHints_ = on;
    if (!on)
        QToolTip::hideText();
}

void OptionPage::FollowAttachmentOption()
{
    // The traces box keeps its tick while it is disabled.
    Box(Option::RemoveTraces).setEnabled(Ticked(Option::RemoveAttachments));
}

}  // namespace norvane
