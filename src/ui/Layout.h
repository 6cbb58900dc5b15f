// Moves a dialog's controls onto the grid of the system's dialog base
// units, as the skin was drawn for: each control keeps its size, and its
// position goes through dialog units of the dialog's own font.
#pragma once
#include <windows.h>

void NormaliseLayout(HWND dialog);

// Grows a page to its template's size on that same grid, so the controls the
// layout moved there stay inside it when the dialog font's cell is smaller
// than the system's (Wine's stand-in fonts). Never shrinks it.
void FitPageToBaseUnits(HWND page);
