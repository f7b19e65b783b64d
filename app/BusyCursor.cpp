#include "app/BusyCursor.h"

namespace norvane {

namespace {

struct BusyCursorState {
    std::int16_t busyCursorId = kBusyCursorUnresolved;
    std::int16_t cursorBeforeBusy = kDefaultCursor;
    CursorScreen* screen = nullptr;
};

BusyCursorState& BusyState()
{
    static BusyCursorState state;
    return state;
}

}  // namespace

void SetCursorScreen(CursorScreen* screen)
{
    BusyState().screen = screen;
}

void SetBusyCursor(bool on)
{
    auto& state = BusyState();
    if (state.screen == nullptr)
        return;
    if (!on) {
        state.screen->SetCursor(state.cursorBeforeBusy);
        return;
    }
    // A second "on" must not take the busy cursor for the one to restore.
    if (state.screen->Cursor() == state.busyCursorId)
        return;
    state.cursorBeforeBusy = state.screen->Cursor();
    if (state.busyCursorId == kBusyCursorUnresolved)
        state.busyCursorId = state.screen->LoadCustomBusyCursor() ? kCustomBusyCursor : kHourGlassCursor;
    state.screen->SetCursor(state.busyCursorId);
}

std::int16_t BusyCursorId()
{
    return BusyState().busyCursorId;
}

std::int16_t CursorBeforeBusy()
{
    return BusyState().cursorBeforeBusy;
}

void ResetBusyCursorState()
{
    auto& state = BusyState();
    state.busyCursorId = kBusyCursorUnresolved;
    state.cursorBeforeBusy = kDefaultCursor;
}

}  // namespace norvane
