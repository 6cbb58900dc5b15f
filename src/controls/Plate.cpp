#include "controls/Plate.h"

#include <algorithm>

#include "controls/Gdi.h"
#include "controls/Look.h"

namespace paint {
namespace {

// The shape's corners (at most six); right and bottom exclusive when
// `exclusive` (regions), else on the last pixel row and column (outlines).
int Corners(const RECT& r, const Shape& s, UINT dpi, bool exclusive, POINT* p) {
    const int l = r.left, t = r.top;
    const int R = exclusive ? r.right : r.right - 1, B = exclusive ? r.bottom : r.bottom - 1;
    if (s.slant) {
        const int k = look::Px(s.slant, dpi);
        p[0] = {l + k, t}, p[1] = {R, t}, p[2] = {R - k, B}, p[3] = {l, B};
        return 4;
    }
    const int a = s.cutTopLeft ? look::Px(s.cutTopLeft, dpi) : 0;
    const int c = s.cutBottomRight ? look::Px(s.cutBottomRight, dpi) : 0;
    p[0] = {l + a, t}, p[1] = {R, t}, p[2] = {R, B - c}, p[3] = {R - c, B}, p[4] = {l, B}, p[5] = {l, t + a};
    return 6;
}

COLORREF Mix(COLORREF a, COLORREF b, int num, int den) {
    auto ch = [&](int x, int y) { return x + (y - x) * num / (den ? den : 1); };
    return RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)), ch(GetBValue(a), GetBValue(b)));
}

void Lines(HDC dc, const POINT* pts, int n, COLORREF colour, int width) {
    PenHandle pen(CreatePen(PS_SOLID, width, colour));
    SelectObjectScope sel(dc, pen.Get());
    Polyline(dc, pts, n);
}

}  // namespace

void Fill(HDC dc, const RECT& r, COLORREF colour) {
    BrushHandle brush(CreateSolidBrush(colour));
    FillRect(dc, &r, brush.Get());
}

void Frame(HDC dc, const RECT& r, COLORREF colour) {
    BrushHandle brush(CreateSolidBrush(colour));
    FrameRect(dc, &r, brush.Get());
}

void Plate(HDC dc, const RECT& r, const Shape& shape, UINT dpi, COLORREF top, COLORREF bottom) {
    POINT p[6];
    const int n = Corners(r, shape, dpi, true, p);
    GdiObject<HRGN> region(CreatePolygonRgn(p, n, WINDING));
    if (!region) return;
    SavedDCState saved(dc);
    ExtSelectClipRgn(dc, region.Get(), RGN_AND);
    const int h = r.bottom - r.top;
    // Bands of two pixels: the gradient is a few dozen steps at most.
    for (int y = 0; y < h; y += 2)
        Fill(dc, RECT{r.left, r.top + y, r.right, std::min<LONG>(r.bottom, r.top + y + 2)}, Mix(top, bottom, y, h - 1));
}

void Outline(HDC dc, const RECT& r, const Shape& shape, UINT dpi, COLORREF colour, int width) {
    RECT ring = r;
    for (int i = 0; i < width && ring.right - ring.left > 2 && ring.bottom - ring.top > 2; ++i) {
        POINT p[7];
        const int n = Corners(ring, shape, dpi, false, p);
        p[n] = p[0];
        Lines(dc, p, n + 1, colour, 1);
        InflateRect(&ring, -1, -1);
    }
}

void Chevron(HDC dc, const RECT& box, UINT dpi, COLORREF colour) {
    const int w = look::Px(4, dpi), h = look::Px(4, dpi);
    const int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2 - h / 2;
    const int thick = look::Px(2, dpi);
    for (int i = 0; i < thick; ++i) {
        const POINT p[3] = {{cx - w, cy + i}, {cx, cy + h + i}, {cx + w + 1, cy - 1 + i}};
        Lines(dc, p, 3, colour, 1);
    }
}

void Tick(HDC dc, const RECT& box, UINT dpi, COLORREF colour) {
    const int s = std::min(box.right - box.left, box.bottom - box.top);
    const int x = box.left + (box.right - box.left - s) / 2, y = box.top + (box.bottom - box.top - s) / 2;
    const int thick = look::Px(2, dpi);
    for (int i = 0; i < thick; ++i) {
        const POINT p[3] = {{x + s / 5, y + s / 2 + i - 1}, {x + s * 2 / 5, y + s * 7 / 10 + i - 1},
                            {x + s * 4 / 5 + 1, y + s / 4 + i - 2}};
        Lines(dc, p, 3, colour, 1);
    }
}

}  // namespace paint
