#pragma once

#include <optional>
#include <string>

namespace Ui {
class TForm1;
}

namespace norvane {

class KeyList;

// The option page's key list bound to the KeyList: one item per registered
// key, ticked when the key is stripped; a tick changes the key's entry at
// once. The Register and Delete commands live here too, since they change the
// list and the KeyList together. Delete acts on the selected item only: an
// item that is merely current (as after tabbing into the list) is not chosen.
class KeyPanel {
public:
    KeyPanel(Ui::TForm1& ui, KeyList& keys);

    // Refills the list from the KeyList; afterwards no item is current.
    void Rebuild();
    // Empties the list (the window is going).
    void Clear();

    // The user toggled the tick of the item at index.
    void ClickCheck(int index);
    // The selection changed: a selected item enables Delete for the rest of the run.
    void SelectionChanged();
    // Copies the selected item into the edit field.
    void DoubleClick();
    // Register is enabled exactly while the edit field holds text.
    void EditChanged();

    // Registers the key typed in the edit field, ticked.
    void Register();
    // Deletes the selected key after the user said yes.
    void Delete();

    // The selected item's key, if an item is selected.
    std::optional<std::string> SelectedKey() const;

private:
    int SelectedRow() const;

    Ui::TForm1& ui_;
    KeyList& keys_;
    int programmatic_ = 0;  // > 0 while the panel itself moves the current item
};

}  // namespace norvane
