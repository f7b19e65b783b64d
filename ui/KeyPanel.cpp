#include "ui/KeyPanel.h"

#include "ui_TForm1.h"

#include "controls/ChkLstEx.h"
#include "engine/KeyList.h"
#include "app/BusyCursor.h"
#include "app/DisplayText.h"
#include "app/Prompt.h"
#include "ui/QtBytes.h"

namespace norvane {

namespace {

// Counts the panel's own changes of the current item, which are no user's
// click.
class ProgrammaticChange {
public:
    explicit ProgrammaticChange(int& depth) : depth_(depth) { ++depth_; }
    ~ProgrammaticChange() { --depth_; }
    ProgrammaticChange(const ProgrammaticChange&) = delete;
    ProgrammaticChange& operator=(const ProgrammaticChange&) = delete;

private:
    int& depth_;
};

// The key as typed, without the blanks and tabs around it.
std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

KeyPanel::KeyPanel(Ui::TForm1& ui, KeyList& keys) : ui_(ui), keys_(keys) {}

void KeyPanel::Rebuild()
{
    TChkListBoxEx& panel = *ui_.ChkListBoxEx1;
    ProgrammaticChange change(programmatic_);
    // Sorting is off while the items go in, so item i is built from entry i.
    panel.SetSorted(false);
    try {
        panel.ClearRawItems();
        for (const KeyList::Item item : keys_) {
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

void KeyPanel::Clear()
{
    ProgrammaticChange change(programmatic_);
    ui_.ChkListBoxEx1->ClearRawItems();
}

void KeyPanel::ClickCheck(int index)
{
    TChkListBoxEx& panel = *ui_.ChkListBoxEx1;
    if (index < 0 || index >= panel.count())
        return;
    const std::string key = ToBytes(panel.item(index)->text());
    const bool ticked = panel.Checked(index);
    if (keys_.IsTicked(key)) {
        if (!ticked)
            keys_.Untick(key);
        return;
    }
    if (!keys_.Contains(key)) {
        NotifyUser(MessageCode::NotRegistered, key);
        return;
    }
    if (ticked)
        keys_.Tick(key);
}

void KeyPanel::SelectionChanged()
{
    if (programmatic_ == 0 && SelectedRow() >= 0)
        ui_.Button5->setEnabled(true);
}

void KeyPanel::DoubleClick()
{
    if (const auto key = SelectedKey())
        ui_.Edit1->setText(FromBytes(*key));
}

void KeyPanel::EditChanged()
{
    ui_.Button4->setEnabled(!ui_.Edit1->text().isEmpty());
}

void KeyPanel::Register()
{
    const std::string key = Trimmed(ToBytes(ui_.Edit1->text()));
    if (key.empty() || !KeyList::IsStorable(key))
        return;
    if (keys_.Contains(key)) {
        NotifyUser(MessageCode::AlreadyRegistered, key);
        return;
    }
    TChkListBoxEx& panel = *ui_.ChkListBoxEx1;
    ProgrammaticChange change(programmatic_);
    const int k = panel.addItem(FromBytes(key));
    panel.SetChecked(k, true);
    // Through the last row first, so the new item scrolls into view from below.
    panel.setCurrentRow(panel.count() - 1);
    panel.setCurrentRow(k);
    keys_.RegisterTicked(key);
    NotifyUser(MessageCode::Registered, key);
}

void KeyPanel::Delete()
{
    TChkListBoxEx& panel = *ui_.ChkListBoxEx1;
    const int p = SelectedRow();
    if (p < 0)
        return;
    const std::string key = ToBytes(panel.item(p)->text());
    if (!NotifyUser(MessageCode::AskDelete, key))
        return;
    ProgrammaticChange change(programmatic_);
    keys_.Delete(key);
    panel.DeleteRawItem(p);
    // The item that moved into its place, or the one above when the last went.
    panel.setCurrentRow(p < panel.count() ? p : p - 1);
}

std::optional<std::string> KeyPanel::SelectedKey() const
{
    const int row = SelectedRow();
    if (row < 0)
        return std::nullopt;
    return ToBytes(ui_.ChkListBoxEx1->item(row)->text());
}

int KeyPanel::SelectedRow() const
{
    const TChkListBoxEx& panel = *ui_.ChkListBoxEx1;
    const QList<QListWidgetItem*> selected = panel.selectedItems();
    return selected.isEmpty() ? -1 : panel.row(selected.front());
}

}  // namespace norvane
