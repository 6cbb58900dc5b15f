// Puts a dialog's controls on the places the skin was painted for, at the
// window's scale. The skin is drawn on a grid of picture pixels: a template
// rectangle (x, y, w, h) in dialog units is (x x 807 / 398, y x 563 / 281,
// ...) picture pixels, each rounded, the mapping that makes the main
// template's 398 x 281 units its 807 x 563 picture. At a DPI the control
// goes to picture pixels x DPI / 96, whatever the dialog font measures.
#pragma once
#include <windows.h>

#include <cstddef>

// A picture control of a template and the skin picture it shows.
struct TemplatePicture {
    int control;
    int picture;
};

// Picture pixels of dialog units.
int PicturePixelsX(int units);
int PicturePixelsY(int units);

// Sizes the dialog to its template and places every control of the
// template on its painted place at `dpi` (controls created later, such as
// pages, are left alone). Picture controls first get their pictures at that
// DPI (the dialog keeps them; none in the plain look) and keep their
// picture's size; owner-drawn picture buttons keep their size (the
// picture's, see SkinButton::SizeToContent); every other control, plate
// buttons drawn by code too, takes its template size.
// Skinned controls then hear of the DPI (SubclassedControl::OnLayoutDpi).
void LayOutOnPictures(HWND dialog, int templateId, UINT dpi, const TemplatePicture* pictures, size_t pictureCount);

inline void LayOutOnPictures(HWND dialog, int templateId, UINT dpi) {
    LayOutOnPictures(dialog, templateId, dpi, nullptr, 0);
}

// Gives the dialog and its controls the template's font made for `dpi` (the
// dialog keeps it); in Chinese a face of the system's with Chinese glyphs.
// LayOutOnPictures does it first.
void SetDialogFontAt(HWND dialog, int templateId, UINT dpi);

template <size_t N>
void LayOutOnPictures(HWND dialog, int templateId, UINT dpi, const TemplatePicture (&pictures)[N]) {
    LayOutOnPictures(dialog, templateId, dpi, pictures, N);
}
