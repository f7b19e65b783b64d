#pragma once

#include <cstdint>

namespace norvane {

// Cursor identities of the busy-cursor state.
inline constexpr std::int16_t kDefaultCursor = 0;
inline constexpr std::int16_t kCustomBusyCursor = 1;  // the screen's custom cursor slot 1
inline constexpr std::int16_t kHourGlassCursor = -11;  // the toolkit's standard busy cursor
inline constexpr std::int16_t kBusyCursorUnresolved = -1;

// The application-wide cursor override; the window implements it.
class CursorScreen {
public:
    virtual ~CursorScreen() = default;
    virtual std::int16_t Cursor() const = 0;
    virtual void SetCursor(std::int16_t cursor) = 0;
    // Installs a custom busy cursor as custom cursor 1 when there is one;
    // false when there is none (the standard busy cursor then serves).
    virtual bool LoadCustomBusyCursor() = 0;
};

// Installs the screen SetBusyCursor works on (nullptr: none; then
// SetBusyCursor does nothing). The screen must outlive its installation.
void SetCursorScreen(CursorScreen* screen);

// On: remembers the cursor in force (only when the busy cursor is not shown
// already) and shows the busy cursor; the custom cursor is looked for once
// per run. Off: restores the remembered cursor. No nesting count.
void SetBusyCursor(bool on);
std::int16_t BusyCursorId();
std::int16_t CursorBeforeBusy();
// Back to the state at program start (for tests).
void ResetBusyCursorState();

// Shows the busy cursor for its lifetime.
class BusyCursorGuard {
public:
    BusyCursorGuard() { SetBusyCursor(true); }
    ~BusyCursorGuard() { SetBusyCursor(false); }
    BusyCursorGuard(const BusyCursorGuard&) = delete;
    BusyCursorGuard& operator=(const BusyCursorGuard&) = delete;
};

}  // namespace norvane
