#pragma once

#include <QProxyStyle>

namespace norvane {

// Wraps the application's style to give tooltips the pauses from the
// settings file: the delay before a hint shows and the short pause while the
// pointer moves on from one hinted control to the next.
class THintStyle : public QProxyStyle {
    Q_OBJECT

public:
    THintStyle(QStyle* base, int hintPause, int shortPause);

    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;

    int HintPause() const { return hintPause_; }
    int ShortPause() const { return shortPause_; }

private:
    int hintPause_;
    int shortPause_;
};

}  // namespace norvane
