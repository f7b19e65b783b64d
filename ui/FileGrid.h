#pragma once

#include <optional>
#include <string>
#include <vector>

class QMenu;
class QPoint;

namespace Ui {
class TForm1;
}

namespace norvane {

class KeyList;
class KeyPanel;
struct KeyTally;

// What ResetGridHeaders clears before it writes the header row: the number
// and file-name columns, the key columns (the file header then keeps its
// count), or both.
enum class GridReset : int { HeaderOnly = 0, FileColumns = 1, KeyColumns = 2, All = 3 };

// The file page: the grid with the selected files (column 1, numbered in
// column 0) beside the last Analyze run's keys (columns 2 to 4), the folder
// label, the states of Vesk and Analyze, and the grid's popup menu. It keeps
// the selection, the full path of every listed name and the number of files
// the header shows.
class FileGrid {
public:
    FileGrid(Ui::TForm1& ui, QMenu& popup, KeyList& keys, KeyPanel& panel);

    const std::vector<std::string>& SelectedFiles() const { return selectedFiles_; }
    // The full path of each listed name, by grid row - 1.
    const std::vector<std::string>& ListedPaths() const { return listedPaths_; }
    // The files the commands work on: the listed names down to the first
    // empty one, at most as many as were selected.
    std::vector<std::string> ListedFiles() const;

    // Replaces the selection and shows it; an empty list changes nothing.
    void Select(std::vector<std::string> files);
    // Appends to the selection without showing it (the command line).
    void AddToSelection(std::vector<std::string> files);

    void ShowSelectedFiles(const std::vector<std::string>& list);
    void ResetGridHeaders(GridReset mode);
    // Vesk and Analyze are enabled exactly while a name is listed.
    void UpdateCommandButtons();
    void SetColumnWidths();
    // Writes an Analyze run's keys into columns 2 to 4.
    void ShowAnalysis(const std::vector<KeyTally>& tally);

    // The full path of the file named in the selection's top-left cell, when
    // that is a listed name.
    std::optional<std::string> AnchorPath() const;

    // The popup menu at a point of the grid's viewport.
    void ShowMenu(const QPoint& pos);
    // Enables the menu's items for the selection's top-left cell.
    void UpdateMenu();
    // The full paths of the selected rows' names (column 1), in order.
    std::vector<std::string> SelectedNames() const;
    // Takes the selected row's name off the list.
    void DeleteName();
    // Registers the selected row's key, ticked, after the user said yes.
    void AddKey();

private:
    // The full path of the name in a row, when it lists one.
    const std::string* ListedPathAt(int row) const;
    std::string FileHeader() const;
    // Writes a header caption, widening its column when the caption needs it.
    void SetHeader(int col, const std::string& text);

    Ui::TForm1& ui_;
    QMenu& popup_;
    KeyList& keys_;
    KeyPanel& panel_;
    std::vector<std::string> selectedFiles_;
    std::vector<std::string> listedPaths_;
    std::optional<long long> fileCount_;  // the count the file header shows, if any
};

}  // namespace norvane
