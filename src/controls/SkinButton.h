// The owner-drawn push button that gives the program's windows their
// painted look: a resting and a pointer-over picture with transparent
// colours, optional text, tooltip and link. Towards its parent it stays an
// ordinary push button (the parent still gets BN_CLICKED).
#pragma once
#include <windows.h>

#include <string>

#include "controls/Gdi.h"
#include "controls/Plate.h"
#include "controls/Window.h"

class SkinButton : public SubclassedControl {
public:
    // Colour slots.
    enum Colour {
        kBackOver = 0,   // background while the pointer is over or pressed
        kTextOver = 1,
        kBackRest = 2,
        kTextRest = 3,
        kBackFocus = 4,
        kTextFocus = 5,
        kColourCount = 6
    };
    // Results of SetBitmaps.
    enum { kBitmapsOk = 0, kBitmapInvalid = 1, kMaskFailed = 2 };
    // Results of SetColour / OffsetColour.
    enum { kColourOk = 0, kBadIndex = 3, kBadOffset = 5 };
    static constexpr size_t kMaxLink = 260;
    // The skin's accent colour: the focus ring.
    static constexpr COLORREF kFocusRingColour = RGB(0, 196, 255);

    SkinButton();
    ~SkinButton() override;

    // Loads the pointer-over picture and, unless restingId is 0, the resting
    // one, each with the colour that shows the background, at the window's
    // DPI (call again after a DPI change). Repaints.
    int SetBitmaps(int overId, COLORREF overTransparent, int restingId = 0, COLORREF restingTransparent = 0);
    // Makes the button as large as its pointer-over picture.
    void SizeToContent();
    void SetFlat(bool flat, bool repaint = true);
    void SetDrawBorder(bool draw, bool repaint = true);
    int SetColour(int index, COLORREF colour, bool repaint = true);
    // Adds offset to each channel of a colour, shrunk so no channel leaves 0..255.
    int OffsetColour(int index, int offset, bool repaint = true);
    COLORREF GetColour(int index) const;
    // Back to the system's button colours.
    void SetDefaultColours(bool repaint = true);
    // The tooltip window is made when the pointer first comes over the button.
    void SetTooltipText(const std::wstring& text, bool activate = true);
    // At most 260 characters are kept; nullptr or "" removes the link.
    void SetLink(const wchar_t* link);
    // False: the window text only names the button (screen readers); the
    // picture says it already, so the text is not painted.
    void SetTextPainted(bool painted, bool repaint = true);
    // Leaves the pointer-over look, for when the window lost activation
    // (child windows never hear of it themselves).
    void LeavePointerOver();
    // The plate's outline in the picture (picture pixels): the focus ring
    // and the pressed edge follow its cut corners.
    void SetShape(const paint::Shape& shape) { shape_ = shape; }

    // The plain look draws no pictures: a system-coloured button with a
    // short text, or one of these glyphs, instead.
    enum class Glyph { None, Close, Minimise, Down, Eye, Thumb };
    // Framed: a button's outline; unframed for pictures that overlap their
    // neighbours (the banner, the flags).
    void SetPlainFace(const std::wstring& text, Glyph glyph = Glyph::None, bool framed = true);
    // Plain look: shown as chosen (the current page's tab).
    void SetSelected(bool selected);

    const std::wstring& Link() const { return link_; }
    bool IsPointerOver() const { return pointerOver_; }
    bool IsDefault() const { return isDefault_; }
    bool IsFlat() const { return flat_; }
    HWND Tooltip() const { return tooltip_; }
    SIZE OverImageSize() const { return over_.size; }

    // Opens links; tests replace it to see what a click would open.
    using LinkOpener = void (*)(HWND button, const std::wstring& link);
    static void SetLinkOpener(LinkOpener opener);

    bool OnReflectedDrawItem(const DRAWITEMSTRUCT& item) override;
    bool OnReflectedCommand(int code) override;

protected:
    void OnAttached() override;
    void OnDetaching() override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    struct Image {
        BitmapHandle bitmap;
        BitmapHandle mask;
        SIZE size{0, 0};
        explicit operator bool() const { return static_cast<bool>(bitmap); }
        void Reset() {
            bitmap.Reset();
            mask.Reset();
            size = SIZE{0, 0};
        }
    };

    static int LoadImage(int id, COLORREF transparent, UINT dpi, Image& image);
    void ReleaseImages();
    void Repaint(bool repaint);
    void OnMouseMove(WPARAM keys);
    void DrawFocusRing(HDC dc, const RECT& item, UINT state) const;
    void PaintPlain(const DRAWITEMSTRUCT& item);
    void DrawImage(HDC dc, const RECT& item, bool hasText, bool pressed, bool disabled);
    void DrawText(HDC dc, const RECT& item, const RECT& textArea, bool pressed, bool focused, bool disabled);
    void RelayToTooltip(UINT msg, WPARAM wp, LPARAM lp);
    void MakeTooltip();
    void UpdateTooltip();

    bool flat_ = true;
    bool drawBorder_ = true;
    bool isDefault_ = false;
    bool pointerOver_ = false;
    bool drawDisabledImage_ = true;
    bool paintText_ = true;
    POINT pressedShift_{1, 1};
    POINT imageMargin_{3, 3};
    COLORREF colours_[kColourCount]{};
    std::wstring link_;
    HWND tooltip_ = nullptr;
    std::wstring tipText_;
    bool tipActive_ = false;
    Image over_;
    Image resting_;
    UINT dpi_ = 96;  // of the pictures loaded
    paint::Shape shape_;
    std::wstring plainText_;
    Glyph plainGlyph_ = Glyph::None;
    bool plainFramed_ = true;
    bool selected_ = false;
};
