#include "ui/PlainPictures.h"

#include <algorithm>
#include <string>

#include "controls/Gdi.h"
#include "controls/Look.h"
#include "controls/Plate.h"
#include "controls/SkinPicture.h"

namespace {

// A bitmap of the picture's size at dpi, filled with the button face, drawn
// on by draw(dc, rect).
template <class Draw>
HBITMAP Drawn(SIZE size, UINT dpi, HFONT font, Draw draw) {
    const int w = skin::Scale(size.cx, dpi), h = skin::Scale(size.cy, dpi);
    WindowDC screen(nullptr);
    MemoryDC dc(screen.Get());
    HBITMAP bitmap = CreateCompatibleBitmap(screen.Get(), w, h);
    if (!bitmap || !dc) {
        if (bitmap) DeleteObject(bitmap);
        return nullptr;
    }
    {
        SelectObjectScope select(dc.Get(), bitmap);
        SelectObjectScope selectFont(dc.Get(), font);
        const RECT all{0, 0, w, h};
        paint::Fill(dc.Get(), all, GetSysColor(COLOR_BTNFACE));
        SetBkMode(dc.Get(), TRANSPARENT);
        SetTextColor(dc.Get(), GetSysColor(COLOR_BTNTEXT));
        draw(dc.Get(), all);
    }
    return bitmap;
}

}  // namespace

HBITMAP PlainTrack(SIZE size, const int* marks, const int* values, int count, UINT dpi, HFONT font) {
    return Drawn(size, dpi, font, [&](HDC dc, const RECT& all) {
        const COLORREF ink = GetSysColor(COLOR_BTNTEXT);
        // The thumb rides on picture row 3, its marks hang below.
        const int rail = skin::Scale(3, dpi);
        paint::Fill(dc, RECT{skin::Scale(4, dpi), rail - 1, all.right - skin::Scale(4, dpi), rail + 1}, ink);
        for (int i = 0; i < count; ++i) {
            const int x = skin::Scale(marks[i], dpi);
            paint::Fill(dc, RECT{x - 1, skin::Scale(7, dpi), x + 1, skin::Scale(13, dpi)}, ink);
            const std::wstring number = std::to_wstring(values[i]);
            SIZE extent{};
            GetTextExtentPoint32W(dc, number.c_str(), static_cast<int>(number.size()), &extent);
            // Centred under the mark, inside the picture at the ends.
            const int left = std::max<int>(0, std::min<int>(x - extent.cx / 2, all.right - extent.cx));
            TextOutW(dc, left, skin::Scale(14, dpi), number.c_str(), static_cast<int>(number.size()));
        }
    });
}

HBITMAP PlainCaption(const std::wstring& text, SIZE size, UINT dpi, HFONT font) {
    return Drawn(size, dpi, font, [&](HDC dc, const RECT& all) {
        // The words may be longer than the skin's painted ones: two lines
        // when they must, centred in height.
        RECT r = all;
        r.left += skin::Scale(4, dpi);
        RECT need = r;
        const UINT flags = DT_LEFT | DT_WORDBREAK | DT_END_ELLIPSIS | DT_NOPREFIX;
        DrawTextW(dc, text.c_str(), -1, &need, flags | DT_CALCRECT);
        const int h = std::min<int>(need.bottom - need.top, r.bottom - r.top);
        r.top += (r.bottom - r.top - h) / 2;
        r.bottom = r.top + h;
        DrawTextW(dc, text.c_str(), -1, &r, flags);
    });
}
