// Stand-ins for the skin's pictures that carry meaning, for the plain look:
// drawn by code in the system's colours at a DPI, in the same places and
// sizes. The caller owns the bitmaps.
#pragma once
#include <windows.h>

#include <string>

// The DPI track: a rail, a tick at each mark and the mark's number under
// it. Sizes and offsets are picture pixels.
HBITMAP PlainTrack(SIZE size, const int* marks, const int* values, int count, UINT dpi, HFONT font);
// Words on the button face colour, left-aligned and centred in height, on
// two lines where one is too short.
HBITMAP PlainCaption(const std::wstring& text, SIZE size, UINT dpi, HFONT font);
