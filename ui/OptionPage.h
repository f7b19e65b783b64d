#pragma once

#include <cstdint>

class QCheckBox;
class QObject;
class QWidget;

namespace norvane {

enum class Option : int;
struct VeskOptions;

// The six option check boxes, found by their names "CheckBox1" to
// "CheckBox6", and the two rules that hang on them: the window's hint switch
// follows "Hint", and the traces option is enabled only while attachment
// removal is ticked.
class OptionPage {
public:
    explicit OptionPage(QWidget& window) : window_(window) {}

    QCheckBox& Box(Option option) const;
    bool Ticked(Option option) const;

    // Ticks the boxes from the stored option bits and applies both rules.
    void Apply(std::uint8_t flags);
    // The option bits of the ticks; the free bits of stored are kept.
    std::uint8_t Collect(std::uint8_t stored) const;
    // The ticks as the Vesk command takes them.
    VeskOptions ForVesk() const;

    // A box with a rule was clicked or set (its Tag tells which).
    void BoxClicked(const QObject* box);

    // The window-level hint switch.
    bool ShowHints() const { return showHints_; }

private:
    void SetShowHints(bool on);
    void FollowAttachmentOption();

    QWidget& window_;
    bool showHints_ = true;
};

}  // namespace norvane
