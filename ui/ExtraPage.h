#pragma once

#include "app/ExtraOptions.h"

#include <QWidget>

#include <string_view>

class QCheckBox;

namespace norvane {

// The tab page "Extra": one check box per extra option, named "CheckBox"
// and its settings key ("CheckBoxAnyCase"), in a column. Its "全メッセージの
// ヘッダー" and the Option page's "全文章" exclude each other: ticking one
// unticks the other.
class ExtraPage : public QWidget {
    Q_OBJECT

public:
    // allText: the Option page's "全文章" box.
    explicit ExtraPage(QCheckBox& allText, QWidget* parent = nullptr);

    // The box of the switch stored under key.
    QCheckBox& Box(std::string_view key) const;

    // Ticks the boxes, "全文章" included, from the options.
    void Apply(const ExtraOptions& extra);
    // The options of the ticks, the scope from both pages.
    ExtraOptions Collect() const;

private:
    QCheckBox& allText_;
};

}  // namespace norvane
