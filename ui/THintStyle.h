#pragma once

#include <QPointer>
#include <QProxyStyle>

namespace norvane {

class THintFilter;

// Wraps the application's style so that the hint filter decides the pause
// before every tooltip: the delay the toolkit waits once the pointer rests
// is asked from the filter each time, and the toolkit's own quick follow-up
// after a shown tooltip is switched off, since the filter's short pause
// takes its place.
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
