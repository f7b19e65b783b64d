#pragma once

#include "app/ExtraOptions.h"
#include "settings/Settings.h"

namespace norvane {

// The main window's bounds as the settings see them; the window implements
// it.
class WindowGeometry {
public:
    virtual ~WindowGeometry() = default;
    virtual int Left() const = 0;
    virtual int Top() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetLeft(int value) = 0;
    virtual void SetTop(int value) = 0;
    virtual void SetWidth(int value) = 0;
    virtual void SetHeight(int value) = 0;
};

// Sets the stored bounds on the window one by one (left, top, width,
// height), then raises the error of a malformed field, so that the bounds
// before it are in force.
void ApplyWindowRect(const StoredWindowRect& stored, WindowGeometry& window);

// The window's current bounds.
WindowRect WindowRectOf(const WindowGeometry& window);

// ReadSettings, with the stored bounds applied to window and the stored
// extra options in extra. A malformed XYWH is raised after everything else
// was read and the bounds before it were applied.
[[nodiscard]] SettingsRead LoadSettings(WindowGeometry& window, ExtraOptions& extra);

// WriteSettings with the window's current bounds and the extra options;
// the option bits are stored as StoredOptionFlags gives them.
void SaveSettings(const WindowGeometry& window, const ExtraOptions& extra);

}  // namespace norvane
