#include "ui/TForm1.h"

#include "ui_TForm1.h"

#include "controls/AboutG3F.h"
#include "controls/ChkLstEx.h"
#include "engine/Error.h"
#include "engine/HeaderAnalysis.h"
#include "engine/TextRules.h"
#include "engine/VeskFile.h"
#include "engine/VeskRun.h"
#include "settings/KeyListStorage.h"
#include "settings/Messages.h"
#include "settings/Settings.h"
#include "ui/FileSelection.h"
#include "ui/TFormGeometry.h"
#include "ui/QtBytes.h"
#include "ui/QtPrompt.h"
#include "ui/THintFilter.h"
#include "ui/THintStyle.h"
#include "ui/TStringGrid.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QStyleFactory>
#include <QTimer>
#include <QToolTip>
#include <QUrl>

#include <algorithm>
#include <cstdint>

namespace norvane {

namespace {

std::string LocalPath(const QString& path)
{
    const QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Counts the window's own changes of the key panel's current item, which are
// no user's click.
class ProgrammaticChange {
public:
    explicit ProgrammaticChange(int& depth) : depth_(depth) { ++depth_; }
    ~ProgrammaticChange() { --depth_; }
    ProgrammaticChange(const ProgrammaticChange&) = delete;
    ProgrammaticChange& operator=(const ProgrammaticChange&) = delete;

private:
    int& depth_;
};

constexpr std::string_view kFolderHint = "対象フォルダー";
constexpr int kDesignedLeft = 200;
constexpr int kDesignedTop = 95;
constexpr int kDesignedWidth = 333;
constexpr int kDesignedHeight = 292;
constexpr int kMinimumWidth = 160;
constexpr int kMinimumHeight = 120;

// The command buttons' Tags, by which ButtonClick tells them apart; Analyze
// has a handler of its own.
enum class CommandTag : int { File = 1, Vesk = 2, Analyze = 3, Register = 4, Delete = 5, Info = 6 };

bool Clears(GridReset mode, GridReset part)
{
    return (static_cast<int>(mode) & static_cast<int>(part)) != 0;
}

}  // namespace

TForm1::TForm1(std::vector<std::string> arguments, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::TForm1>()), arguments_(std::move(arguments))
{
    ui->setupUi(this);
    // The form's designed font: the layout's places and widths are made for it.
    QFont designed(QStringLiteral("ＭＳ Ｐゴシック"));
    designed.setPixelSize(12);
    setFont(designed);
    // A Designer file cannot hold a CR, so the form writes the hints' line
    // breaks as LF; the program's hints carry CR.
    for (QWidget* w : findChildren<QWidget*>()) {
        QString hint = w->toolTip();
        if (hint.contains(QLatin1Char('\n')))
            w->setToolTip(hint.replace(QLatin1Char('\n'), QLatin1Char('\r')));
    }
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    move(kDesignedLeft, kDesignedTop);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addAction(ui->PDelete);
    PopupMenu1->addAction(ui->PAdd);
    hintFilter_ = std::make_unique<THintFilter>(*this);

    for (QPushButton* button : {ui->Button1, ui->Button2, ui->Button4, ui->Button5, ui->Button6})
        connect(button, &QPushButton::clicked, this, &TForm1::ButtonClick);
    connect(ui->Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    // These run also when start-up sets the ticks, so the hint switch and
    // CheckBox6 follow them.
    connect(ui->CheckBox2, &QCheckBox::toggled, this, &TForm1::CheckBoxClick);
    connect(ui->CheckBox5, &QCheckBox::toggled, this, &TForm1::CheckBoxClick);
    connect(ui->Edit1, &QLineEdit::textChanged, this, &TForm1::Edit1Change);
    connect(ui->ChkListBoxEx1, &TChkListBoxEx::OnClickCheck, this, &TForm1::ChkListBoxEx1ClickCheck);
    connect(ui->ChkListBoxEx1, &QListWidget::currentRowChanged, this, &TForm1::ChkListBoxEx1Click);
    connect(ui->ChkListBoxEx1, &TChkListBoxEx::OnDblClick, this, &TForm1::ChkListBoxEx1DblClick);
    connect(PopupMenu1, &QMenu::aboutToShow, this, &TForm1::PopupMenu1Popup);
    connect(ui->PDelete, &QAction::triggered, this, &TForm1::PDeleteClick);
    connect(ui->PAdd, &QAction::triggered, this, &TForm1::PAddClick);
    connect(ui->StringGrid1, &QWidget::customContextMenuRequested, this, &TForm1::ShowGridMenu);

    FormCreate();
}

TForm1::~TForm1()
{
    FormDestroy();
    if (!started_)
        CloseAbout();  // never shown: the splash goes with the window
    if (hintFilter_)
        qApp->removeEventFilter(hintFilter_.get());
}

void TForm1::SetDialogs(FormDialogs* dialogs)
{
    dialogs_ = dialogs ? dialogs : &qtDialogs_;
}

TStringGrid* TForm1::Grid() const
{
    return ui->StringGrid1;
}

TChkListBoxEx* TForm1::KeyPanel() const
{
    return ui->ChkListBoxEx1;
}

// ---------------------------------------------------------------- life cycle

void TForm1::FormCreate()
{
    ShowAbout(true);
    keyList_.Clear();
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Qt shows the window again after it was minimised; start-up runs once.
    if (started_)
        return;
    started_ = true;
    FormShow();
}

void TForm1::FormShow()
{
    try {
        StartUpSteps();
    } catch (const std::exception& error) {
        CloseAbout();
        setEnabled(true);
        ReportError(error.what());
    }
}

void TForm1::StartUpSteps()
{
    InitSettingsLocation(executablePath_.empty() ? ExecutablePath() : executablePath_);
    keySession_ = KeyListSession(SettingsFile());
    const int loaded = keySession_.Load(keyList_);
    TFormGeometry geometry(*this);
    try {
        const SettingsRead read = ReadSettings(geometry);
        if (read == SettingsRead::FileMissing)
            NotifyUser(MessageCode::SettingsFileMissing, SettingsFile());
        else if (read == SettingsRead::TooLarge)
            ReportError(SettingsTooLargeMessage(SettingsFile()));
    } catch (const Error& error) {
        // A malformed geometry value is reported; the rest of start-up goes on.
        ReportError(error.what());
    }
    ApplySettingsGeometry(geometry);
    if (loaded > 0)
        RebuildKeyPanel();
    QGuiApplication::setApplicationDisplayName(windowTitle());

    QStyle* current = QApplication::style();
    if (auto* hintStyle = qobject_cast<THintStyle*>(current))
        current = hintStyle->baseStyle();
    auto* style = new THintStyle(QStyleFactory::create(current->name()), IntegerSettings().HntPaus,
                                 IntegerSettings().HStPaus);
    QApplication::setStyle(style);
    hintFilter_->SetHidePause(IntegerSettings().HHdPaus);
    qApp->removeEventFilter(hintFilter_.get());
    qApp->installEventFilter(hintFilter_.get());

    const int widths[] = {30, 110, 120, 35, 30};
    for (int col = 0; col < 5; ++col)
        ui->StringGrid1->SetColWidth(col, widths[col]);
    ResetGridHeaders(GridReset::HeaderOnly);

    const std::uint8_t flags = OptionFlags();
    for (const Option option : kOptions)
        OptionBox(option)->setChecked(HasOption(flags, option));
    SetShowHints(ui->CheckBox2->isChecked());
    ui->CheckBox6->setEnabled(ui->CheckBox5->isChecked());
    UpdateCommandButtons();
    setAcceptDrops(true);

    if (!arguments_.empty()) {
        const std::string current = LocalPath(QDir::currentPath());
        std::vector<std::string> files = ExpandArguments(arguments_, current);
        for (auto& file : files)
            selectedFiles_.push_back(std::move(file));
        if (!selectedFiles_.empty())
            ShowSelectedFiles(selectedFiles_);
    }
    SplashWait();
}

void TForm1::SplashWait()
{
    if (!AboutForm())
        return;
    // The window shows but takes no input until the splash has gone.
    setEnabled(false);
    QCoreApplication::processEvents();
    const std::int32_t wait = IntegerSettings().OpnWait;
    for (;;) {
        if (quitRequested_)
            break;
        const auto elapsed = static_cast<std::int32_t>(TickCount() - SplashStartTick);
        if (elapsed > wait)
            break;
        QEventLoop loop;
        QTimer::singleShot(std::min(wait - elapsed + 1, 50), &loop, &QEventLoop::quit);
        if (loop.exec() < 0)  // the application is ending
            break;
    }
    CloseAbout();
    setEnabled(true);
    if (quitRequested_)
        QTimer::singleShot(0, this, &QWidget::close);
}

void TForm1::ApplySettingsGeometry(const TFormGeometry& geometry)
{
    const QRect frame(pos(), size());
    bool onScreen = false;
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(frame))
            onScreen = true;
    if (!onScreen || geometry.SizeSetBelow(kMinimumWidth, kMinimumHeight)) {
        move(kDesignedLeft, kDesignedTop);
        resize(kDesignedWidth, kDesignedHeight);
    }
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (!closed_ && started_ && !isEnabled()) {
        // Asked to end during the splash wait: the wait ends first.
        quitRequested_ = true;
        event->ignore();
        return;
    }
    if (!closed_) {
        closed_ = true;
        FormClose();
    }
    QWidget::closeEvent(event);
}

void TForm1::FormClose()
{
    unsigned flags = OptionFlags() & kFreeOptionBits;
    for (const Option option : kOptions)
        if (Ticked(option))
            flags |= OptionBit(option);
    SetOptionFlags(static_cast<std::uint8_t>(flags));
    // Failures to write the settings file go unnoticed.
    try {
        TFormGeometry geometry(*this);
        WriteSettings(geometry);
    } catch (...) {
    }
    try {
        keySession_.Save(keyList_, KeyOrder::Sorted);
    } catch (...) {
    }
    keyList_.Clear();
}

void TForm1::FormDestroy()
{
    ProgrammaticChange change(programmatic_);
    ui->ChkListBoxEx1->ClearRawItems();
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

// ---------------------------------------------------------------- errors, options

void TForm1::ReportError(const std::string& message)
{
    dialogs_->ShowError(QtPrompt::BoxParent(this), message);
}

void TForm1::RunGuarded(void (TForm1::*command)())
{
    try {
        (this->*command)();
    } catch (const std::exception& error) {
        ReportError(error.what());
    }
}

QCheckBox* TForm1::OptionBox(Option option) const
{
    return findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(static_cast<int>(option)));
}

bool TForm1::Ticked(Option option) const
{
    return OptionBox(option)->isChecked();
}

void TForm1::SetShowHints(bool on)
{
    if (showHints_ == on)
        return;
    showHints_ = on;
    if (!on)
        QToolTip::hideText();
}

// ---------------------------------------------------------------- commands

void TForm1::ButtonClick()
{
    const QObject* button = sender();
    if (!button)
        return;
    switch (static_cast<CommandTag>(button->property("Tag").toInt())) {
    case CommandTag::File:
        RunGuarded(&TForm1::CommandFile);
        break;
    case CommandTag::Vesk:
        RunGuarded(&TForm1::CommandVesk);
        break;
    case CommandTag::Register:
        RunGuarded(&TForm1::CommandRegister);
        break;
    case CommandTag::Delete:
        RunGuarded(&TForm1::CommandDelete);
        break;
    case CommandTag::Info:
        ShowAbout(false, this);
        break;
    default:
        break;
    }
}

void TForm1::CommandFile()
{
    std::vector<std::string> chosen;
    const std::string folder = TextSettings().Path;
    if (!dialogs_->ChooseFiles(this, ConvertFilter(TextSettings().Filter), folder, chosen))
        return;  // a cancelled dialog keeps the earlier selection
    std::vector<std::string> files = UniquePaths(chosen);
    if (files.empty())
        return;
    selectedFiles_ = std::move(files);
    ShowSelectedFiles(selectedFiles_);
}

std::vector<std::string> TForm1::ListedFiles() const
{
    // The grid is the working list: rows up to the first empty name, at most
    // as many as were selected.
    std::vector<std::string> files;
    const int rows = static_cast<int>(selectedFiles_.size());
    for (int row = 1; row <= rows && row < ui->StringGrid1->RowCount(); ++row) {
        if (ui->StringGrid1->Cell(1, row).empty())
            break;
        if (row - 1 < static_cast<int>(listedPaths_.size()))
            files.push_back(listedPaths_[row - 1]);
    }
    return files;
}

void TForm1::CommandVesk()
{
    if (selectedFiles_.empty())
        return;
    const std::size_t keysBefore = keyList_.Count();
    {
        BusyCursorGuard busy;
        try {
            VeskOptions options;
            options.backup = Ticked(Option::BackUp);
            options.allText = Ticked(Option::AllText);
            options.autoRegister = Ticked(Option::AutoRegister);
            options.removeAttachments = Ticked(Option::RemoveAttachments);
            options.removeTraces = Ticked(Option::RemoveAttachments) && Ticked(Option::RemoveTraces);
            VeskRun run(ListedFiles());
            // A failed save here is tried again, and reported, at close.
            KeyListSaveGuard save(keySession_, keyList_);
            for (const auto& file : run.Files())
                save.Note(VeskFile(file, keyList_, options, run).registeredKeys);
        } catch (...) {
            // Keys registered before the error are shown all the same.
            if (keyList_.Count() != keysBefore)
                RebuildKeyPanel();
            throw;
        }
        if (keyList_.Count() != keysBefore)
            RebuildKeyPanel();
    }
    if (NotifyUser(MessageCode::AskAnalyzeAfterVesk, ""))
        Button3Click();
}

void TForm1::Button3Click()
{
    if (selectedFiles_.empty())
        return;
    std::vector<KeyTally> tally;
    std::string failure;
    bool failed = false;
    {
        BusyCursorGuard busy;
        try {
            tally = AnalyzeFiles(ListedFiles(), keyList_, Ticked(Option::AllText));
        } catch (const std::exception& error) {
            failed = true;
            failure = error.what();
        }
        if (!failed)
            ShowAnalysis(tally);
    }
    // The grid stays as it was; the box comes once the busy cursor is off.
    if (failed)
        ReportError(failure);
}

void TForm1::ShowAnalysis(const std::vector<KeyTally>& tally)
{
    TStringGrid& grid = *ui->StringGrid1;
    ResetGridHeaders(GridReset::KeyColumns);
    const int count = static_cast<int>(tally.size());
    grid.SetCell(2, 0, SetCountSuffix(grid.Cell(2, 0), count));
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

void TForm1::CommandRegister()
{
    std::string key = ToBytes(ui->Edit1->text());
    const auto first = key.find_first_not_of(" \t");
    if (first == std::string::npos)
        return;
    key = key.substr(first, key.find_last_not_of(" \t") - first + 1);
    if (!KeyList::IsStorable(key))
        return;
    if (keyList_.Contains(key)) {
        NotifyUser(MessageCode::AlreadyRegistered, key);
        return;
    }
    TChkListBoxEx& panel = *ui->ChkListBoxEx1;
    ProgrammaticChange change(programmatic_);
    const int k = panel.addItem(FromBytes(key));
    panel.SetChecked(k, true);
    panel.setCurrentRow(panel.count() - 1);
    panel.setCurrentRow(k);
    keyList_.RegisterTicked(key);
    NotifyUser(MessageCode::Registered, key);
}

void TForm1::CommandDelete()
{
    TChkListBoxEx& panel = *ui->ChkListBoxEx1;
    const int p = panel.currentRow();
    if (p < 0 || !panel.currentItem())
        return;
    const std::string key = ToBytes(panel.item(p)->text());
    if (!NotifyUser(MessageCode::AskDelete, key))
        return;
    ProgrammaticChange change(programmatic_);
    keyList_.Delete(key);
    panel.DeleteRawItem(p);
    if (p < panel.count())
        panel.setCurrentRow(p);
    else
        panel.setCurrentRow(p - 1);
}

// ---------------------------------------------------------------- file list

void TForm1::ShowSelectedFiles(const std::vector<std::string>& list)
{
    if (list.empty())
        return;
    BusyCursorGuard busy;
    TStringGrid& grid = *ui->StringGrid1;
    ResetGridHeaders(GridReset::All);
    grid.SetRowCount(static_cast<int>(list.size()) + 1);
    // This file system tells letter cases apart, so the folder keeps its own.
    const std::string folder = SplitPath(list.front()).first;
    ui->Label1->setText(FromBytes(folder));
    ui->Label1->setToolTip(FromBytes(std::string(kFolderHint) + "\r" + folder));
    TextSettings().Path = folder;
    listedPaths_ = list;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        grid.SetCell(0, row, std::to_string(row));
        grid.SetCell(1, row, SplitPath(list[i]).second);
    }
    grid.SetCell(1, 0, SetCountSuffix(grid.Cell(1, 0), static_cast<int>(list.size())));
    UpdateCommandButtons();
}

void TForm1::ResetGridHeaders(GridReset mode)
{
    TStringGrid& grid = *ui->StringGrid1;
    std::string fileHeader = "FileName";
    const std::string current = grid.Cell(1, 0);
    if (Clears(mode, GridReset::KeyColumns) && current.find(':') != std::string::npos)
        fileHeader = current;
    for (int row = 0; row < grid.RowCount(); ++row) {
        if (Clears(mode, GridReset::FileColumns)) {
            grid.SetCell(0, row, "");
            grid.SetCell(1, row, "");
        }
        if (Clears(mode, GridReset::KeyColumns))
            for (int col = 2; col <= 4; ++col)
                grid.SetCell(col, row, "");
    }
    grid.SetCell(0, 0, "No.");
    grid.SetCell(1, 0, fileHeader);
    grid.SetCell(2, 0, "MailHedarKey");
    grid.SetCell(3, 0, "Count");
    grid.SetCell(4, 0, "Key");
}

void TForm1::UpdateCommandButtons()
{
    const bool any = !ui->StringGrid1->Cell(1, 1).empty();
    ui->Button2->setEnabled(any);
    ui->Button3->setEnabled(ui->Button2->isEnabled());
}

void TForm1::WMDropFiles(const std::vector<std::string>& paths)
{
    std::vector<std::string> files = UniquePaths(paths);
    if (files.empty())
        return;
    selectedFiles_ = std::move(files);
    RunGuarded(&TForm1::ShowSelection);
}

void TForm1::ShowSelection()
{
    ShowSelectedFiles(selectedFiles_);
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

void TForm1::ShowGridMenu(const QPoint& pos)
{
    PopupMenu1->popup(ui->StringGrid1->viewport()->mapToGlobal(pos));
}

void TForm1::PopupMenu1Popup()
{
    TStringGrid& grid = *ui->StringGrid1;
    int col = 0;
    int row = 0;
    bool canDelete = false;
    bool canAdd = false;
    if (grid.SelectionAnchor(col, row)) {
        if (col == 1)
            canDelete = !grid.Cell(1, row).empty();
        else if (col >= 2)
            canAdd = !grid.Cell(2, row).empty();
    }
    ui->PDelete->setEnabled(canDelete);
    ui->PAdd->setEnabled(canAdd);
}

void TForm1::PDeleteClick()
{
    TStringGrid& grid = *ui->StringGrid1;
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
    const std::string header = grid.Cell(1, 0);
    const auto colon = header.find(": ");
    if (header.find(':') != std::string::npos) {
        long count = 0;
        if (colon != std::string::npos) {
            for (std::size_t i = colon + 2; i < header.size() && header[i] >= '0' && header[i] <= '9'; ++i)
                count = count * 10 + (header[i] - '0');
        }
        grid.SetCell(1, 0, SetCountSuffix(header, static_cast<int>(count - 1)));
    }
    UpdateCommandButtons();
}

void TForm1::PAddClick()
{
    TStringGrid& grid = *ui->StringGrid1;
    int col = 0;
    int r = 0;
    if (!grid.SelectionAnchor(col, r))
        return;
    const std::string key = grid.Cell(2, r);
    if (key.empty())
        return;
    if (keyList_.Contains(key)) {
        NotifyUser(MessageCode::AlreadyRegistered, key);
        return;
    }
    if (NotifyUser(MessageCode::AskRegister, key)) {
        keyList_.RegisterTicked(key);
        RebuildKeyPanel();
    }
}

// ---------------------------------------------------------------- key panel

void TForm1::RebuildKeyPanel()
{
    TChkListBoxEx& panel = *ui->ChkListBoxEx1;
    ProgrammaticChange change(programmatic_);
    panel.SetSorted(false);
    try {
        panel.ClearRawItems();
        for (const KeyList::Item item : keyList_) {
            const int index = panel.addItem(FromBytes(item.key));
            if (item.ticked)
                panel.SetChecked(index, true);
        }
    } catch (...) {
        panel.SetSorted(true);
        throw;
    }
    panel.SetSorted(true);
    panel.setCurrentRow(-1);
}

void TForm1::ChkListBoxEx1ClickCheck(int index)
{
    TChkListBoxEx& panel = *ui->ChkListBoxEx1;
    if (index < 0 || index >= panel.count())
        return;
    const std::string s = ToBytes(panel.item(index)->text());
    const bool ticked = panel.Checked(index);
    if (keyList_.IsTicked(s)) {
        if (!ticked)
            keyList_.Untick(s);
        return;
    }
    if (!keyList_.Contains(s)) {
        NotifyUser(MessageCode::NotRegistered, s);
        return;
    }
    if (ticked)
        keyList_.Tick(s);
}

void TForm1::ChkListBoxEx1Click()
{
    if (programmatic_ == 0 && ui->ChkListBoxEx1->currentRow() >= 0)
        ui->Button5->setEnabled(true);
}

void TForm1::ChkListBoxEx1DblClick()
{
    const QListWidgetItem* current = ui->ChkListBoxEx1->currentItem();
    if (current)
        ui->Edit1->setText(current->text());
}

void TForm1::Edit1Change()
{
    ui->Button4->setEnabled(!ui->Edit1->text().isEmpty());
}

void TForm1::CheckBoxClick()
{
    const QObject* box = sender();
    if (!box)
        return;
    // An option box's Tag is its option's number.
    switch (static_cast<Option>(box->property("Tag").toInt())) {
    case Option::Hint:
        SetShowHints(ui->CheckBox2->isChecked());
        break;
    case Option::RemoveAttachments:
        ui->CheckBox6->setEnabled(ui->CheckBox5->isChecked());
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- hints

void TForm1::AppShowHint(std::string& text, const QWidget* control, const QPoint& mousePos,
                         QPoint& hintPos) const
{
    if (text.empty())
        return;
    hintPos = (control ? control->mapToGlobal(mousePos) : mousePos) + QPoint(-40, 30);
    if (control == ui->Button5) {
        const QListWidgetItem* current = ui->ChkListBoxEx1->currentItem();
        if (current)
            text = ToBytes(current->text()) + " : " + text;
    }
    if (text.find('\r') == std::string::npos)
        text += "！";
    text = " " + text + " ";
}

}  // namespace norvane
