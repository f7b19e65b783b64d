#pragma once

#include "engine/KeyList.h"
#include "settings/KeyListStorage.h"
#include "ui/FileGrid.h"
#include "ui/QtFormDialogs.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QMenu;
class TChkListBoxEx;

namespace Ui {
class TForm1;
}

namespace norvane {

class ExtraPage;
class FormCommands;
class KeyPanel;
class OptionPage;
class StartUp;
class THintFilter;
class TStringGrid;

// The main window: the file list page "Vesk", the option page "Option" and
// the page "Extra".
// It owns the key list for the whole run; its handlers forward to helpers by
// concern: the file grid, the key panel, the options, the commands, start-up
// and shutdown, and the hints.
class TForm1 : public QWidget {
    Q_OBJECT

public:
    // arguments: the command line after the program name.
    explicit TForm1(std::vector<std::string> arguments = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    // Replaces the error box and the file-open dialog (tests); null restores them.
    void SetDialogs(FormDialogs* dialogs);
    // The executable the settings file is named after (tests); empty: this program.
    void SetExecutablePath(std::string path);

    const KeyList& Keys() const { return keyList_; }
    const std::vector<std::string>& SelectedFiles() const;
    // The full path of each listed name, by grid row - 1.
    const std::vector<std::string>& ListedPaths() const;
    bool Started() const;
    // The window-level hint switch.
    bool ShowHints() const;
    THintFilter& HintFilter() const { return *hintFilter_; }

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
    void PRestoreClick();
    void PPreviewClick();
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
    // Widens the captions the designed widths cannot hold (another language,
    // another font); the controls right of them move along.
    void FitCaptions();
    void FormCreate();
    void FormShow();
    void FormClose();
    void FormDestroy();
    void FormResize();

    void RunGuarded(const std::function<void()>& command);
    void ReportError(const std::string& message);

    std::unique_ptr<Ui::TForm1> ui;
    QMenu* PopupMenu1 = nullptr;
    QtFormDialogs qtDialogs_;
    FormDialogs* dialogs_ = &qtDialogs_;
    KeyList keyList_;
    KeyListSession keySession_;  // the key list as loaded, for merging at each save

    std::unique_ptr<norvane::KeyPanel> keyPanel_;
    std::unique_ptr<FileGrid> fileGrid_;
    std::unique_ptr<OptionPage> options_;
    ExtraPage* extraPage_ = nullptr;  // owned by the tab widget
    QLabel* runReport_ = nullptr;     // under the Vesk page's buttons, shown after a run
    std::unique_ptr<FormCommands> commands_;
    std::unique_ptr<THintFilter> hintFilter_;
    std::unique_ptr<StartUp> startUp_;
};

}  // namespace norvane
