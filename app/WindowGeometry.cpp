#include "app/WindowGeometry.h"

namespace norvane {

void ApplyWindowRect(const StoredWindowRect& stored, WindowGeometry& window)
{
    if (stored.left)
        window.SetLeft(*stored.left);
    if (stored.top)
        window.SetTop(*stored.top);
    if (stored.width)
        window.SetWidth(*stored.width);
    if (stored.height)
        window.SetHeight(*stored.height);
    if (stored.error)
        throw *stored.error;
}

WindowRect WindowRectOf(const WindowGeometry& window)
{
    return {window.Left(), window.Top(), window.Width(), window.Height()};
}

SettingsRead LoadSettings(WindowGeometry& window, ExtraOptions& extra)
{
    const auto read = ReadSettings();
    extra = ExtraOptionsFrom(read.values, OptionFlags());
    ApplyWindowRect(read.windowRect, window);
    return read.status;
}

void SaveSettings(const WindowGeometry& window, const ExtraOptions& extra)
{
    SetOptionFlags(StoredOptionFlags(OptionFlags(), extra));
    WriteSettings(WindowRectOf(window), ExtraOptionEntries(extra));
}

}  // namespace norvane
