// Drawing by code in the skin's shapes: plates with cut corners (as the OK
// button's), slanted tab plates, outlines that follow them, chevrons and
// ticks. Lengths are picture pixels, drawn at a DPI.
#pragma once
#include <windows.h>

namespace paint {

// A plate's outline: 45-degree cuts at the top-left and bottom-right
// corners, or a slant (the page tabs: top edge moved right, bottom left).
struct Shape {
    int cutTopLeft = 0;
    int cutBottomRight = 0;
    int slant = 0;
};

void Fill(HDC dc, const RECT& r, COLORREF colour);
// One-pixel rectangle frame.
void Frame(HDC dc, const RECT& r, COLORREF colour);
// The shape filled with a vertical gradient from top to bottom.
void Plate(HDC dc, const RECT& r, const Shape& shape, UINT dpi, COLORREF top, COLORREF bottom);
// `width` pixels of outline just inside the shape's edge.
void Outline(HDC dc, const RECT& r, const Shape& shape, UINT dpi, COLORREF colour, int width);
// A downward chevron centred in box.
void Chevron(HDC dc, const RECT& box, UINT dpi, COLORREF colour);
// A tick centred in box.
void Tick(HDC dc, const RECT& box, UINT dpi, COLORREF colour);

}  // namespace paint
