// Moves a dialog's controls onto the grid of the system's dialog base
// units, as the skin was drawn for: each control keeps its size, and its
// position goes through dialog units of the dialog's own font.
#pragma once
#include <windows.h>

void NormaliseLayout(HWND dialog);
