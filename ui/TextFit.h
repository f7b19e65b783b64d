#pragma once

#include <QString>

#include <vector>

class QHeaderView;
class QTableView;
class QWidget;

namespace norvane {

// Texts that fit: a designed pixel width stays wherever it holds its text in
// the font in use, in either language; where it cannot, the width comes from
// the font's metrics, measured the way the style lays the text out.

// The width a button's, check box's or label's caption takes in the widget's
// font (an "&" marking a mnemonic does not count).
int CaptionAdvance(const QWidget& widget);
// The width the style leaves the caption inside the widget (for a push
// button, less a little padding).
int CaptionRoom(const QWidget& widget);

// Widens each widget whose caption does not fit, and moves the columns to the
// right of it so that they keep their designed gaps. A column is a group of
// widgets stacked one over another; columns come left to right.
void FitColumns(const std::vector<std::vector<QWidget*>>& columns);

// The width left to a header section's label, and to an ordinary cell's
// text, in a column of the given width.
int HeaderTextRoom(const QHeaderView& header, int width);
int CellTextRoom(const QTableView& view, int width);
// The narrowest column that holds the text in its header, or in a cell.
int HeaderWidthFor(const QHeaderView& header, const QString& text);
int CellWidthFor(const QTableView& view, const QString& text);

}  // namespace norvane
