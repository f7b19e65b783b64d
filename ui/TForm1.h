#pragma once

#include "engine/HeaderAnalysis.h"
#include "engine/KeyList.h"
#include "settings/KeyListStorage.h"
#include "ui/QtFormDialogs.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QMenu;
class TChkListBoxEx;

namespace Ui {
class TForm1;
}

namespace norvane {

class TFormGeometry;
class THintFilter;
class TStringGrid;
enum class Option : int;

// What ResetGridHeaders clears before it writes the header row: the number
// and file-name columns, the key columns (the file header then keeps its
// count), or both.
enum class GridReset : int { HeaderOnly = 0, FileColumns = 1, KeyColumns = 2, All = 3 };

// The main window: the file list page "Vesk" and the option page "Option".
// It owns the key list and the selected files for the whole run.
class TForm1 : public QWidget {
    Q_OBJECT

public:
    // arguments: the command line after the program name.
    explicit TForm1(std::vector<std::string> arguments = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    // Replaces the error box and the file-open dialog (tests); null restores them.
    void SetDialogs(FormDialogs* dialogs);
    // The executable the settings file is named after (tests); empty: this program.
    void SetExecutablePath(std::string path) { executablePath_ = std::move(path); }

    const KeyList& Keys() const { return keyList_; }
    const std::vector<std::string>& SelectedFiles() const { return selectedFiles_; }
    // The full path of each listed name, by grid row - 1.
    const std::vector<std::string>& ListedPaths() const { return listedPaths_; }
    bool Started() const { return started_; }
    // The window-level hint switch.
    bool ShowHints() const { return showHints_; }

    TStringGrid* Grid() const;
    TChkListBoxEx* KeyPanel() const;
    QMenu* PopupMenu() const { return PopupMenu1; }

    // The hint hook for every hint of the application: text in and out, the
    // control under the mouse, the mouse in its client coordinates, and the
    // screen position where the hint goes (out).
    void AppShowHint(std::string& text, const QWidget* control, const QPoint& mousePos,
                     QPoint& hintPos) const;

    void RebuildKeyPanel();
    void ShowSelectedFiles(const std::vector<std::string>& list);
    void ResetGridHeaders(GridReset mode);
    void UpdateCommandButtons();
    void WMDropFiles(const std::vector<std::string>& paths);

public slots:
    void ButtonClick();
    void Button3Click();
    void PopupMenu1Popup();
    void PDeleteClick();
    void PAddClick();
    void ChkListBoxEx1ClickCheck(int index);
    void ChkListBoxEx1Click();
    void ChkListBoxEx1DblClick();
    void Edit1Change();
    void CheckBoxClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void FormDestroy();
    void FormResize();

    void StartUpSteps();
    void ShowSelection();
    void ShowAnalysis(const std::vector<KeyTally>& tally);
    std::vector<std::string> ListedFiles() const;
    void ApplySettingsGeometry(const TFormGeometry& geometry);
    void SplashWait();
    void CommandFile();
    void CommandVesk();
    void CommandRegister();
    void CommandDelete();
    void RunGuarded(void (TForm1::*command)());
    void ReportError(const std::string& message);
    void SetShowHints(bool on);
    QCheckBox* OptionBox(Option option) const;
    bool Ticked(Option option) const;
    void ShowGridMenu(const QPoint& pos);

    std::unique_ptr<Ui::TForm1> ui;
    QMenu* PopupMenu1 = nullptr;
    std::unique_ptr<THintFilter> hintFilter_;
    QtFormDialogs qtDialogs_;
    FormDialogs* dialogs_ = &qtDialogs_;

    std::string executablePath_;
    std::vector<std::string> arguments_;
    KeyList keyList_;
    KeyListSession keySession_;
    std::vector<std::string> selectedFiles_;
    std::vector<std::string> listedPaths_;
    bool started_ = false;
    bool closed_ = false;
    bool quitRequested_ = false;
    int programmatic_ = 0;  // > 0 while the window itself moves the key panel's current item
    bool showHints_ = true;
};

}  // namespace norvane
