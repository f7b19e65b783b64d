#pragma once

#include <QPointer>
#include <QProxyStyle>

namespace norvane {

class THintFilter;

// Wraps the application's style to give tooltips the pauses the hint filter
// holds: the delay before a hint shows and the short pause while the
// pointer moves on from one hinted control to the next.
class THintStyle : public QProxyStyle {
    Q_OBJECT

public:
    THintStyle(QStyle* base, const THintFilter& filter);

    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;

private:
    QPointer<const THintFilter> filter_;
};

}  // namespace norvane
