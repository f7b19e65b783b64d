#include "ui/FileGrid.h"

#include "ui_TForm1.h"

#include "engine/HeaderAnalysis.h"
#include "engine/KeyList.h"
#include "engine/TextRules.h"
#include "app/BusyCursor.h"
#include "app/DisplayText.h"
#include "app/Prompt.h"
#include "settings/Settings.h"
#include "ui/KeyPanel.h"
#include "ui/QtBytes.h"
#include "ui/TStringGrid.h"
#include "ui/TextFit.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QMenu>

#include <algorithm>
#include <iterator>

namespace norvane {

namespace {

// The grid's texts before translation, in context "FileGrid".
constexpr const char* kFolderHint = QT_TRANSLATE_NOOP("FileGrid", "対象フォルダー");
constexpr const char* kNumberHeader = QT_TRANSLATE_NOOP("FileGrid", "No.");
constexpr const char* kFileHeader = QT_TRANSLATE_NOOP("FileGrid", "FileName");
constexpr const char* kKeyHeader = QT_TRANSLATE_NOOP("FileGrid", "MailHedarKey");
constexpr const char* kCountHeader = QT_TRANSLATE_NOOP("FileGrid", "Count");
constexpr const char* kMarkHeader = QT_TRANSLATE_NOOP("FileGrid", "Key");
constexpr int kColumnWidths[] = {30, 110, 120, 35, 30};
enum Column : int { NumberColumn = 0, FileColumn = 1, KeyColumn = 2, CountColumn = 3, MarkColumn = 4 };

std::string Text(const char* source)
{
    return ToBytes(QCoreApplication::translate("FileGrid", source));
}

bool Clears(GridReset mode, GridReset part)
{
    return (static_cast<int>(mode) & static_cast<int>(part)) != 0;
}

}  // namespace

FileGrid::FileGrid(Ui::TForm1& ui, QMenu& popup, KeyList& keys, KeyPanel& panel)
    : ui_(ui), popup_(popup), keys_(keys), panel_(panel)
{
}

std::vector<std::string> FileGrid::ListedFiles() const
{
    const TStringGrid& grid = *ui_.StringGrid1;
    std::vector<std::string> files;
    const int rows = static_cast<int>(selectedFiles_.size());
    for (int row = 1; row <= rows && row < grid.RowCount(); ++row) {
        if (grid.Cell(1, row).empty())
            break;
        if (row - 1 < static_cast<int>(listedPaths_.size()))
            files.push_back(listedPaths_[row - 1]);
    }
    return files;
}

void FileGrid::Select(std::vector<std::string> files)
{
    if (files.empty())
        return;
    selectedFiles_ = std::move(files);
    ShowSelectedFiles(selectedFiles_);
}

void FileGrid::AddToSelection(std::vector<std::string> files)
{
    for (auto& file : files)
        selectedFiles_.push_back(std::move(file));
}

void FileGrid::ShowSelectedFiles(const std::vector<std::string>& list)
{
    if (list.empty())
        return;
    BusyCursorGuard busy;
    TStringGrid& grid = *ui_.StringGrid1;
    ResetGridHeaders(GridReset::All);
    grid.SetRowCount(static_cast<int>(list.size()) + 1);
    // This file system tells letter cases apart, so the folder keeps its own.
    const std::string folder = SplitPath(list.front()).first;
    ui_.Label1->setText(FromBytes(folder));
    ui_.Label1->setToolTip(FromBytes(Text(kFolderHint) + "\r" + folder));
    TextSettings().Path = folder;
    listedPaths_ = list;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        grid.SetCell(0, row, std::to_string(row));
        grid.SetCell(1, row, SplitPath(list[i]).second);
    }
    fileCount_ = static_cast<long long>(list.size());
    SetHeader(FileColumn, FileHeader());
    UpdateCommandButtons();
}

void FileGrid::ResetGridHeaders(GridReset mode)
{
    TStringGrid& grid = *ui_.StringGrid1;
    // Only a reset of the key columns alone keeps the file count.
    if (!Clears(mode, GridReset::KeyColumns))
        fileCount_.reset();
    for (int row = 0; row < grid.RowCount(); ++row) {
        if (Clears(mode, GridReset::FileColumns)) {
            grid.SetCell(0, row, "");
            grid.SetCell(1, row, "");
        }
        if (Clears(mode, GridReset::KeyColumns))
            for (int col = 2; col <= 4; ++col)
                grid.SetCell(col, row, "");
    }
    SetHeader(NumberColumn, Text(kNumberHeader));
    SetHeader(FileColumn, FileHeader());
    SetHeader(KeyColumn, Text(kKeyHeader));
    SetHeader(CountColumn, Text(kCountHeader));
    SetHeader(MarkColumn, Text(kMarkHeader));
}

std::string FileGrid::FileHeader() const
{
    const std::string caption = Text(kFileHeader);
    return fileCount_ ? SetCountSuffix(caption, *fileCount_) : caption;
}

void FileGrid::SetHeader(int col, const std::string& text)
{
    TStringGrid& grid = *ui_.StringGrid1;
    grid.SetCell(col, 0, text);
    // A caption the column cannot hold widens it; the number column is fixed.
    if (col == NumberColumn)
        return;
    const int needed = HeaderWidthFor(*grid.horizontalHeader(), FromBytes(text));
    if (grid.ColWidth(col) < needed)
        grid.SetColWidth(col, needed);
}

void FileGrid::UpdateCommandButtons()
{
    const bool any = !ui_.StringGrid1->Cell(1, 1).empty();
    ui_.Button2->setEnabled(any);
    ui_.Button3->setEnabled(ui_.Button2->isEnabled());
}

void FileGrid::SetColumnWidths()
{
    TStringGrid& grid = *ui_.StringGrid1;
    for (int col = 0; col < static_cast<int>(std::size(kColumnWidths)); ++col)
        grid.SetColWidth(col, kColumnWidths[col]);
    // The marks are the widest texts of their column's cells.
    for (const std::string_view mark : {kMarkDel, kMarkKept, kMarkNew})
        grid.SetColWidth(MarkColumn, std::max(grid.ColWidth(MarkColumn), CellWidthFor(grid, FromBytes(mark))));
}

void FileGrid::ShowAnalysis(const std::vector<KeyTally>& tally)
{
    TStringGrid& grid = *ui_.StringGrid1;
    ResetGridHeaders(GridReset::KeyColumns);
    const int count = static_cast<int>(tally.size());
    SetHeader(KeyColumn, SetCountSuffix(grid.Cell(KeyColumn, 0), count));
    if (count == 0)
        return;
    // No file name is cut off; with fewer keys than rows the key rows end at K.
    if (count > grid.RowCount() - 1)
        grid.SetRowCount(count + 1);
    else if (grid.Cell(1, count + 1).empty())
        grid.SetRowCount(count + 1);
    for (int i = 1; i <= count; ++i) {
        const KeyTally& entry = tally[static_cast<std::size_t>(i - 1)];
        grid.SetCell(0, i, std::to_string(i));
        grid.SetCell(2, i, entry.key);
        grid.SetCell(3, i, entry.count);
        grid.SetCell(4, i, entry.mark);
    }
    while (grid.RowCount() > 1) {
        const int last = grid.RowCount() - 1;
        if (!grid.Cell(1, last).empty() || !grid.Cell(2, last).empty())
            break;
        grid.SetRowCount(last);
    }
}

void FileGrid::ShowMenu(const QPoint& pos)
{
    popup_.popup(ui_.StringGrid1->viewport()->mapToGlobal(pos));
}

void FileGrid::UpdateMenu()
{
    const TStringGrid& grid = *ui_.StringGrid1;
    int col = 0;
    int row = 0;
    bool onFile = false;
    bool canAdd = false;
    if (grid.SelectionAnchor(col, row)) {
        if (col == FileColumn)
            onFile = ListedPathAt(row) != nullptr;
        else if (col >= 2)
            canAdd = !grid.Cell(2, row).empty();
    }
    ui_.PDelete->setEnabled(onFile);
    ui_.PPreview->setEnabled(onFile);
    ui_.PRestore->setEnabled(onFile);
    ui_.PAdd->setEnabled(canAdd);
}

const std::string* FileGrid::ListedPathAt(int row) const
{
    if (row < 1 || ui_.StringGrid1->Cell(FileColumn, row).empty() ||
        row - 1 >= static_cast<int>(listedPaths_.size()))
        return nullptr;
    return &listedPaths_[static_cast<std::size_t>(row - 1)];
}

std::optional<std::string> FileGrid::AnchorPath() const
{
    int col = 0;
    int row = 0;
    if (!ui_.StringGrid1->SelectionAnchor(col, row) || col != FileColumn)
        return std::nullopt;
    if (const std::string* path = ListedPathAt(row))
        return *path;
    return std::nullopt;
}

std::vector<std::string> FileGrid::SelectedNames() const
{
    std::vector<std::string> names;
    for (const int row : ui_.StringGrid1->SelectedRows(FileColumn))
        if (const std::string* path = ListedPathAt(row))
            names.push_back(*path);
    return names;
}

void FileGrid::DeleteName()
{
    TStringGrid& grid = *ui_.StringGrid1;
    int col = 0;
    int r = 0;
    if (!grid.SelectionAnchor(col, r) || r < 1)
        return;
    for (int i = r; i < grid.RowCount(); ++i) {
        const std::string below = grid.Cell(1, i + 1);
        grid.SetCell(1, i, below);
        if (below.empty())
            break;
    }
    if (r - 1 < static_cast<int>(listedPaths_.size()))
        listedPaths_.erase(listedPaths_.begin() + (r - 1));
    if (fileCount_) {
        --*fileCount_;
        SetHeader(FileColumn, FileHeader());
    }
    UpdateCommandButtons();
}

void FileGrid::AddKey()
{
    const TStringGrid& grid = *ui_.StringGrid1;
    int col = 0;
    int r = 0;
    if (!grid.SelectionAnchor(col, r))
        return;
    const std::string key = grid.Cell(2, r);
    if (key.empty())
        return;
    if (keys_.Contains(key)) {
        NotifyUser(MessageCode::AlreadyRegistered, key);
        return;
    }
    if (NotifyUser(MessageCode::AskRegister, key)) {
        keys_.RegisterTicked(key);
        panel_.Rebuild();
    }
}

}  // namespace norvane
