#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QPoint;
class QWidget;

namespace norvane {

class TForm1;

// The hook's rules for every hint: it stands 40 pixels left of and 30 below
// the mouse (given in the control's client coordinates), a one-line hint
// ends in "！" (as translated), and a blank goes on either side; key, when given, comes in
// front with " : ". An empty text is left alone, its position too.
void FormatHint(std::string& text, const QWidget* control, const QPoint& mousePos, QPoint& hintPos,
                const std::optional<std::string>& key);

// Shows every tooltip of the application through the main window's hint
// hook. The main window's hints follow its hint switch; other windows (the
// About dialog) always show theirs. It also decides the pause before a hint:
// the hint pause when the pointer comes to rest on a control, the short
// pause when it moves on while a hint is up.
class THintFilter : public QObject {
    Q_OBJECT

public:
    // Milliseconds of a steady clock.
    using Clock = std::function<std::int64_t()>;

    // A hint that went away less than this long ago still counts as up, so
    // that the pointer may cross the gap between two controls.
    static constexpr int kHintLinger = 500;

    explicit THintFilter(const TForm1& form, QObject* parent = nullptr);
    ~THintFilter() override;

    // Takes the three pauses in milliseconds and makes this filter, with a
    // style that asks it for the pause, the application's.
    void Install(int hintPause, int shortPause, int hidePause);
    void SetClock(Clock clock) { clock_ = std::move(clock); }

    int HintPause() const { return hintPause_; }
    int ShortPause() const { return shortPause_; }
    // How long a hint stays.
    int HidePause() const { return hidePause_; }

    // The pause before the hint of the control the pointer rests on now.
    int WakeUpDelay() const;

    // The text as the tooltip shows it: plain text, CR as a line break and
    // the only place a line breaks.
    static QString DisplayText(std::string_view text);

    // The widget whose hint a help event at w shows (w or its nearest
    // ancestor with a hint in the same window), or null.
    static QWidget* HintOwner(QWidget* w);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool ShowHint(QWidget* owner, const QPoint& globalPos);
    static void PlaceTip(const QPoint& hintPos);

    const TForm1& form_;
    Clock clock_;
    int hintPause_ = 500;
    int shortPause_ = 500;
    int hidePause_ = 5000;
    std::optional<std::int64_t> hiddenAt_;  // when the last hint went away
};

}  // namespace norvane
