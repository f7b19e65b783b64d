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
// list and the KeyList together.
class KeyPanel {
public:
    KeyPanel(Ui::TForm1& ui, KeyList& keys);

    // Refills the list from the KeyList; afterwards no item is current.
    void Rebuild();
    // Empties the list (the window is going).
    void Clear();

    // The user toggled the tick of the item at index.
    void ClickCheck(int index);
    // The current item changed: Delete is enabled for the rest of the run.
    void CurrentChanged();
    // Copies the current item into the edit field.
    void DoubleClick();
    // Register is enabled exactly while the edit field holds text.
    void EditChanged();

    // Registers the key typed in the edit field, ticked.
    void Register();
    // Deletes the current key after the user said yes.
    void Delete();

    // The current item's key, if an item is current.
    std::optional<std::string> CurrentKey() const;

private:
    int CurrentRow() const;

    Ui::TForm1& ui_;
    KeyList& keys_;
    int programmatic_ = 0;  // > 0 while the panel itself moves the current item
};

}  // namespace norvane
