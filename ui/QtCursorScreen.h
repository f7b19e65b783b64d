#pragma once

#include "app/BusyCursor.h"

namespace norvane {

// The busy cursor as Qt's application-wide override cursor. The program
// brings no busy cursor of its own, so the standard one serves.
class QtCursorScreen : public CursorScreen {
public:
    std::int16_t Cursor() const override { return cursor_; }
    void SetCursor(std::int16_t cursor) override;
    bool LoadCustomBusyCursor() override { return false; }

private:
    std::int16_t cursor_ = kDefaultCursor;
};

}  // namespace norvane
