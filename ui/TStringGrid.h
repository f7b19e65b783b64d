#pragma once

#include <QTableWidget>

#include <string>
#include <string_view>
#include <vector>

namespace norvane {

// A string grid addressed by (column, row) with a fixed header row 0 and a
// fixed number column 0. Qt's headers carry the fixed cells so they stay in
// view while scrolling: row 0 is the horizontal header (its column 0 is the
// corner), column 0 is the vertical header. Cell texts are kept as bytes.
class TStringGrid : public QTableWidget {
    Q_OBJECT

public:
    explicit TStringGrid(QWidget* parent = nullptr);

    int ColCount() const { return columnCount() + 1; }
    // Rows including the header row.
    int RowCount() const { return rowCount() + 1; }
    void SetRowCount(int rows);

    std::string Cell(int col, int row) const;
    void SetCell(int col, int row, std::string_view text);

    int ColWidth(int col) const;
    void SetColWidth(int col, int width);

    // Top-left cell of the current selection, or false when nothing is selected.
    bool SelectionAnchor(int& col, int& row) const;
    // The rows (>= 1) with a selected cell in column col, in order, each once.
    std::vector<int> SelectedRows(int col) const;
    // Selects one ordinary cell (col >= 1, row >= 1).
    void SelectCell(int col, int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTableWidgetItem* HeaderItem(int col, int row) const;

    QWidget* corner_ = nullptr;  // Qt's corner button, showing column 0's header
    std::string cornerText_;
};

}  // namespace norvane
