#pragma once

#include <QIcon>

// Maps the font families the forms are laid out with onto installed fonts of
// like shape. Called once at start, before any window is created.
void InstallFontSubstitutions();

// The program's own 32 x 32 icon.
QIcon ApplicationIcon();
