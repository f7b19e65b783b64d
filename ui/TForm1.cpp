#include "ui/TForm1.h"

#include "ui_TForm1.h"

#include "controls/AboutG3F.h"
#include "controls/ChkLstEx.h"
#include "ui/ExtraPage.h"
#include "ui/FileSelection.h"
#include "ui/FormCommands.h"
#include "ui/KeyPanel.h"
#include "ui/OptionPage.h"
#include "ui/QtBytes.h"
#include "ui/QtPrompt.h"
#include "ui/StartUp.h"
#include "ui/THintFilter.h"
#include "ui/TStringGrid.h"
#include "ui/TextFit.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

namespace norvane {

namespace {

// The command buttons' Tags, by which ButtonClick tells them apart; Analyze
// has a handler of its own.
enum class CommandTag : int { File = 1, Vesk = 2, Analyze = 3, Register = 4, Delete = 5, Info = 6 };

}  // namespace

TForm1::TForm1(std::vector<std::string> arguments, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::TForm1>())
{
    ui->setupUi(this);
    // The page beyond the designed two, made before the hints get their CRs.
    extraPage_ = new ExtraPage(*ui->CheckBox3, *ui->CheckBox5, *ui->CheckBox6);
    ui->PageControl1->addTab(extraPage_, tr("Extra"));
    // The form's designed font: the layout's places and widths are made for it.
    QFont designed(QStringLiteral("ＭＳ Ｐゴシック"));
    designed.setPixelSize(12);
    setFont(designed);
    FitCaptions();
    // A Designer file cannot hold a CR, so the form writes the hints' line
    // breaks as LF; the program's hints carry CR.
    for (QWidget* w : findChildren<QWidget*>()) {
        QString hint = w->toolTip();
        if (hint.contains(QLatin1Char('\n')))
            w->setToolTip(hint.replace(QLatin1Char('\n'), QLatin1Char('\r')));
    }
    // The program's title, the main window's caption, heads its error box.
    qtDialogs_.SetTitle(windowTitle());

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addAction(ui->PDelete);
    PopupMenu1->addAction(ui->PPreview);
    PopupMenu1->addAction(ui->PAdd);
    PopupMenu1->addAction(ui->PRestore);
    // The last Vesk run's totals, between the buttons and the grid.
    runReport_ = new QLabel(ui->TabSheet1);
    runReport_->setObjectName(QStringLiteral("RunReport"));
    runReport_->setTextFormat(Qt::PlainText);
    runReport_->setContentsMargins(5, 2, 5, 2);
    runReport_->hide();
    ui->TabSheet1Layout->insertWidget(1, runReport_);

    keyPanel_ = std::make_unique<norvane::KeyPanel>(*ui, keyList_);
    fileGrid_ = std::make_unique<FileGrid>(*ui, *PopupMenu1, keyList_, *keyPanel_);
    options_ = std::make_unique<OptionPage>(*this);
    commands_ = std::make_unique<FormCommands>(*this, *fileGrid_, *keyPanel_, keyList_, keySession_, *options_,
                                               *extraPage_, *runReport_);
    hintFilter_ = std::make_unique<THintFilter>(*this);
    startUp_ = std::make_unique<StartUp>(*this, keyList_, keySession_, *keyPanel_, *fileGrid_, *options_, *extraPage_,
                                         *hintFilter_, std::move(arguments));

    for (QPushButton* button : {ui->Button1, ui->Button2, ui->Button4, ui->Button5, ui->Button6})
        connect(button, &QPushButton::clicked, this, &TForm1::ButtonClick);
    connect(ui->Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    // These run also when start-up sets the ticks, so the hint switch and
    // CheckBox6 follow them.
    connect(ui->CheckBox2, &QCheckBox::toggled, this, &TForm1::CheckBoxClick);
    connect(ui->CheckBox5, &QCheckBox::toggled, this, &TForm1::CheckBoxClick);
    connect(ui->Edit1, &QLineEdit::textChanged, this, &TForm1::Edit1Change);
    connect(ui->ChkListBoxEx1, &TChkListBoxEx::OnClickCheck, this, &TForm1::ChkListBoxEx1ClickCheck);
    // Selection, not the current item: tabbing into the list makes an item
    // current without choosing it.
    connect(ui->ChkListBoxEx1, &QListWidget::itemSelectionChanged, this, &TForm1::ChkListBoxEx1Click);
    connect(ui->ChkListBoxEx1, &TChkListBoxEx::OnDblClick, this, &TForm1::ChkListBoxEx1DblClick);
    connect(PopupMenu1, &QMenu::aboutToShow, this, &TForm1::PopupMenu1Popup);
    connect(ui->PDelete, &QAction::triggered, this, &TForm1::PDeleteClick);
    connect(ui->PAdd, &QAction::triggered, this, &TForm1::PAddClick);
    connect(ui->PRestore, &QAction::triggered, this, &TForm1::PRestoreClick);
    connect(ui->PPreview, &QAction::triggered, this, &TForm1::PPreviewClick);
    connect(ui->StringGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { fileGrid_->ShowMenu(pos); });

    FormCreate();
}

TForm1::~TForm1()
{
    FormDestroy();
    startUp_->Abandon();
}

void TForm1::SetDialogs(FormDialogs* dialogs)
{
    dialogs_ = dialogs ? dialogs : &qtDialogs_;
}

void TForm1::SetExecutablePath(std::string path)
{
    startUp_->SetExecutablePath(std::move(path));
}

const std::vector<std::string>& TForm1::SelectedFiles() const
{
    return fileGrid_->SelectedFiles();
}

const std::vector<std::string>& TForm1::ListedPaths() const
{
    return fileGrid_->ListedPaths();
}

bool TForm1::Started() const
{
    return startUp_->Started();
}

bool TForm1::ShowHints() const
{
    return options_->ShowHints();
}

TStringGrid* TForm1::Grid() const
{
    return ui->StringGrid1;
}

TChkListBoxEx* TForm1::KeyPanel() const
{
    return ui->ChkListBoxEx1;
}

void TForm1::AppShowHint(std::string& text, const QWidget* control, const QPoint& mousePos,
                         QPoint& hintPos) const
{
    // The Delete button's hint names the key it would delete.
    FormatHint(text, control, mousePos, hintPos,
               control == ui->Button5 ? keyPanel_->SelectedKey() : std::nullopt);
}

void TForm1::RebuildKeyPanel()
{
    keyPanel_->Rebuild();
}

void TForm1::ShowSelectedFiles(const std::vector<std::string>& list)
{
    fileGrid_->ShowSelectedFiles(list);
}

void TForm1::ResetGridHeaders(GridReset mode)
{
    fileGrid_->ResetGridHeaders(mode);
}

void TForm1::UpdateCommandButtons()
{
    fileGrid_->UpdateCommandButtons();
}

void TForm1::WMDropFiles(const std::vector<std::string>& paths)
{
    RunGuarded([&] { fileGrid_->Select(UniquePaths(paths)); });
}

void TForm1::FitCaptions()
{
    // Each row of controls, by columns left to right.
    FitColumns({{ui->Button1}, {ui->Button2}, {ui->Button3}, {ui->Label1}});
    FitColumns({{ui->CheckBox1, ui->CheckBox2}, {ui->CheckBox3, ui->CheckBox4}, {ui->CheckBox5, ui->CheckBox6}});
    FitColumns({{ui->Button4}, {ui->Button5}, {ui->Button6}});
}

void TForm1::FormCreate()
{
    startUp_->Create();
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The window is shown again after it was minimised; start-up runs once.
    if (!startUp_->Started())
        FormShow();
}

void TForm1::FormShow()
{
    startUp_->Show([this](const std::string& message) { ReportError(message); });
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (startUp_->PostponeClose()) {
        event->ignore();
        return;
    }
    FormClose();
    QWidget::closeEvent(event);
}

void TForm1::FormClose()
{
    startUp_->Close([this](const std::string& message) { ReportError(message); });
}

void TForm1::FormDestroy()
{
    keyPanel_->Clear();
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TForm1::FormResize()
{
    ui->Edit1->resize(width() - 30, ui->Edit1->height());
}

void TForm1::keyPressEvent(QKeyEvent* event)
{
    // Enter presses the focused button, else the default button, File.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        (focused && focused->isEnabled() ? focused : ui->Button1)->animateClick();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths.push_back(LocalPath(url.toLocalFile()));
    if (paths.empty())
        return;  // nothing local to list
    event->acceptProposedAction();
    WMDropFiles(paths);
}

void TForm1::ReportError(const std::string& message)
{
    dialogs_->ShowError(QtPrompt::BoxParent(this), message);
}

void TForm1::RunGuarded(const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::exception& error) {
        ReportError(error.what());
    }
}

void TForm1::ButtonClick()
{
    const QObject* button = sender();
    if (!button)
        return;
    switch (static_cast<CommandTag>(button->property("Tag").toInt())) {
    case CommandTag::File:
        RunGuarded([this] { commands_->ChooseFiles(*dialogs_); });
        break;
    case CommandTag::Vesk:
        RunGuarded([this] { commands_->Vesk(); });
        break;
    case CommandTag::Register:
        RunGuarded([this] { keyPanel_->Register(); });
        break;
    case CommandTag::Delete:
        RunGuarded([this] { keyPanel_->Delete(); });
        break;
    case CommandTag::Info:
        ShowAbout(false, this);
        break;
    default:
        break;
    }
}

void TForm1::Button3Click()
{
    RunGuarded([this] { commands_->Analyze(); });
}

void TForm1::PopupMenu1Popup()
{
    fileGrid_->UpdateMenu();
}

void TForm1::PRestoreClick()
{
    RunGuarded([this] { commands_->Restore(); });
}

void TForm1::PDeleteClick()
{
    fileGrid_->DeleteName();
}

void TForm1::PAddClick()
{
    fileGrid_->AddKey();
}

void TForm1::PPreviewClick()
{
    RunGuarded([this] { commands_->Preview(fileGrid_->SelectedNames()); });
}

void TForm1::ChkListBoxEx1ClickCheck(int index)
{
    keyPanel_->ClickCheck(index);
}

void TForm1::ChkListBoxEx1Click()
{
    keyPanel_->SelectionChanged();
}

void TForm1::ChkListBoxEx1DblClick()
{
    keyPanel_->DoubleClick();
}

void TForm1::Edit1Change()
{
    keyPanel_->EditChanged();
}

void TForm1::CheckBoxClick()
{
    options_->BoxClicked(sender());
}

}  // namespace norvane
