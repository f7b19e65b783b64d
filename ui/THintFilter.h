#pragma once

#include <QObject>
#include <QString>

#include <string_view>

class QPoint;
class QWidget;

namespace norvane {

class TForm1;

// Shows every tooltip of the application through the main window's hint
// hook. The main window's hints follow its hint switch; other windows (the
// About dialog) always show theirs.
class THintFilter : public QObject {
    Q_OBJECT

public:
    explicit THintFilter(const TForm1& form, QObject* parent = nullptr);

    // How long a hint stays, in milliseconds.
    void SetHidePause(int msec) { hidePause_ = msec; }
    int HidePause() const { return hidePause_; }

    // The text as the tooltip shows it: plain text, CR as a line break.
    static QString DisplayText(std::string_view text);

    // The widget whose hint a help event at w shows (w or its nearest
    // ancestor with a hint in the same window), or null.
    static QWidget* HintOwner(QWidget* w);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static void PlaceTip(const QPoint& hintPos);

    const TForm1& form_;
    int hidePause_ = 5000;
};

}  // namespace norvane
