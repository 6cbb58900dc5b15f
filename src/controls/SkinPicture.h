// The skin's pictures at the display scale. The program carries each
// picture twice as PNG: at 1x (type "PNG") and drawn at twice the pixels
// (type "PNG2X"). 96 DPI shows the 1x picture as drawn; any other DPI scales
// the 2x picture once, with an area-averaging filter, to picture pixels x
// DPI / 96.
#pragma once
#include <windows.h>

namespace skin {

constexpr UINT kBaseDpi = 96;

// Picture pixels at a DPI: v x dpi / 96, rounded.
inline int Scale(int v, UINT dpi) { return MulDiv(v, static_cast<int>(dpi), static_cast<int>(kBaseDpi)); }

// The DPI a window is drawn at: its monitor's where the system tells it
// per window, else the screen's.
UINT DpiOf(HWND wnd);

// A 24-bit DIB section of picture `id` at `dpi`, or nullptr if the program
// has no such picture (the caller owns it). With a key colour, the pixels of
// that colour stay exactly that colour at every scale, with no blend of it
// into their neighbours, and no other pixel takes it. Pictures that are only
// 24-bit BITMAP resources (test programs) load too, scaled if need be.
HBITMAP LoadPicture(int id, UINT dpi, COLORREF key = CLR_INVALID);

// The 1x size of picture `id` (0 x 0 if there is none).
SIZE PictureSize(int id);

// Lets go of the picture decoder and its library until the next picture
// (the window is gone: a resident keeps none of it).
void ReleaseDecoder();

}  // namespace skin
