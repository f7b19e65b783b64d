#pragma once

#include <QIcon>

// Maps the designed Windows font families onto installed ones. Called once at
// start, before any window is created.
void InstallFontSubstitutions();

// The program's own 32 x 32 icon.
QIcon ApplicationIcon();
