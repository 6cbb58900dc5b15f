#include "ui/Layout.h"

#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "controls/Gdi.h"
#include "controls/Look.h"
#include "controls/PlateButton.h"
#include "controls/SkinPicture.h"
#include "controls/Window.h"
#include "i18n/Language.h"

namespace {
// The main template is 398 x 281 units and its picture 807 x 563 pixels.
constexpr int kTemplateW = 398, kTemplateH = 281, kPictureW = 807, kPictureH = 563;

int Round(double v) { return static_cast<int>(v + 0.5); }

struct Item {
    int id;
    short x, y, cx, cy;
};

// Skips a name-or-ordinal field of a template.
const WORD* SkipField(const WORD* p) {
    if (*p == 0x0000) return p + 1;
    if (*p == 0xFFFF) return p + 2;
    while (*p) ++p;
    return p + 1;
}

const WORD* AlignDword(const WORD* p) {
    return reinterpret_cast<const WORD*>((reinterpret_cast<uintptr_t>(p) + 3) & ~static_cast<uintptr_t>(3));
}

// The items of an extended dialog template, and its own size.
struct TemplateFont {
    int points = 0;
    int weight = FW_NORMAL;
    bool italic = false;
    std::wstring face;
};

bool ReadTemplate(int templateId, SIZE& size, std::vector<Item>& items, TemplateFont* font = nullptr) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* p = static_cast<const WORD*>(loaded ? LockResource(loaded) : nullptr);
    if (!p || p[0] != 1 || p[1] != 0xFFFF) return false;  // only DIALOGEX templates
    const DWORD style = *reinterpret_cast<const DWORD*>(p + 6);
    const WORD count = p[8];
    size = SIZE{static_cast<short>(p[11]), static_cast<short>(p[12])};
    p = SkipField(SkipField(SkipField(p + 13)));  // menu, class, title
    if (style & (DS_SETFONT | DS_SHELLFONT)) {
        if (font) {
            font->points = p[0];
            font->weight = p[1];
            font->italic = (p[2] & 0xFF) != 0;
        }
        p += 3;  // point size, weight, italic and character set
        const WORD* face = p;
        while (*p) ++p;
        if (font) font->face.assign(reinterpret_cast<const wchar_t*>(face), static_cast<size_t>(p - face));
        ++p;
    }
    for (WORD i = 0; i < count; ++i) {
        p = AlignDword(p);
        Item item{};
        item.x = static_cast<short>(p[6]);
        item.y = static_cast<short>(p[7]);
        item.cx = static_cast<short>(p[8]);
        item.cy = static_cast<short>(p[9]);
        item.id = static_cast<int>(*reinterpret_cast<const DWORD*>(p + 10));
        p = SkipField(SkipField(p + 12));  // class, title
        const WORD extra = *p++;
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
        items.push_back(item);
    }
    return true;
}

// The pictures a dialog shows in its picture controls, freed with the dialog.
constexpr UINT_PTR kPictureOwner = 0x4C59;

struct OwnedPictures {
    std::vector<HBITMAP> bitmaps;
    HFONT font = nullptr;
    ~OwnedPictures() {
        for (HBITMAP b : bitmaps) DeleteObject(b);
        if (font) DeleteObject(font);
    }
};

BOOL CALLBACK SetFontOf(HWND child, LPARAM font) {
    SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
    return TRUE;
}

constexpr wchar_t kPictureProp[] = L"Mirvostan.Pictures";

LRESULT CALLBACK PictureOwnerProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(wnd, PictureOwnerProc, kPictureOwner);
        RemovePropW(wnd, kPictureProp);
        delete reinterpret_cast<OwnedPictures*>(ref);
    }
    return DefSubclassProc(wnd, msg, wp, lp);
}

OwnedPictures& PicturesOf(HWND dialog) {
    if (auto* owned = static_cast<OwnedPictures*>(GetPropW(dialog, kPictureProp))) return *owned;
    auto* owned = new OwnedPictures;
    SetPropW(dialog, kPictureProp, owned);
    SetWindowSubclass(dialog, PictureOwnerProc, kPictureOwner, reinterpret_cast<DWORD_PTR>(owned));
    return *owned;
}

// A control without an id has -1, which a 16-bit id field holds as 0xFFFF.
bool IsUnnamed(int id) { return id == -1 || id == 0xFFFF; }

bool IsPictureControl(HWND control) {
    wchar_t cls[16] = {};
    GetClassNameW(control, cls, 16);
    return lstrcmpiW(cls, L"Static") == 0 && (GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP;
}

BOOL CALLBACK FoundFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}

// The first of these faces the system has: Windows' own Chinese UI fonts,
// then those a Linux machine under Wine has.
std::wstring ChineseFace() {
    static const wchar_t* const kFaces[] = {L"Microsoft YaHei UI", L"Microsoft YaHei", L"SimSun",
                                            L"WenQuanYi Micro Hei", L"Noto Sans CJK SC", L"Droid Sans Fallback"};
    WindowDC screen(nullptr);
    for (const wchar_t* face : kFaces) {
        LOGFONTW lf{};
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
        bool found = false;
        EnumFontFamiliesExW(screen.Get(), &lf, FoundFace, reinterpret_cast<LPARAM>(&found), 0);
        if (found) return face;
    }
    return std::wstring();
}

bool IsOwnerDrawButton(HWND control) {
    wchar_t cls[16] = {};
    GetClassNameW(control, cls, 16);
    return lstrcmpiW(cls, L"Button") == 0 && (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW;
}
}  // namespace

std::wstring DialogFace(const std::wstring& templateFace) {
    if (GetUiLanguage() != Chinese) return templateFace;
    static const std::wstring chinese = ChineseFace();
    return chinese.empty() ? templateFace : chinese;
}

void SetDialogFontAt(HWND dialog, int templateId, UINT dpi) {
    SIZE size{};
    std::vector<Item> items;
    TemplateFont font;
    if (!ReadTemplate(templateId, size, items, &font) || font.points <= 0) return;
    const int height = -MulDiv(font.points, static_cast<int>(dpi), 72);
    const std::wstring face = DialogFace(font.face);
    // Every control has this font already (the dialog manager gave it, or
    // an earlier call): sending it again costs each list a new measure.
    LOGFONTW now{};
    HFONT current = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    if (current && GetObjectW(current, sizeof now, &now) && now.lfHeight == height && now.lfWeight == font.weight &&
        (now.lfItalic != 0) == (font.italic != 0) &&
        CompareStringOrdinal(now.lfFaceName, -1, face.c_str(), -1, TRUE) == CSTR_EQUAL)
        return;
    HFONT made = CreateFontW(height, 0, 0, 0, font.weight, font.italic, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
    if (!made) return;
    OwnedPictures& owned = PicturesOf(dialog);
    SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(made), FALSE);
    EnumChildWindows(dialog, SetFontOf, reinterpret_cast<LPARAM>(made));
    if (owned.font) DeleteObject(owned.font);
    owned.font = made;
}

int PicturePixelsX(int units) { return Round(static_cast<double>(units) * kPictureW / kTemplateW); }
int PicturePixelsY(int units) { return Round(static_cast<double>(units) * kPictureH / kTemplateH); }

void LayOutOnPictures(HWND dialog, int templateId, UINT dpi, const TemplatePicture* pictures, size_t pictureCount) {
    SIZE size{};
    std::vector<Item> items;
    if (!ReadTemplate(templateId, size, items)) return;
    // Every control in the dialog's font at this scale, made here (the
    // dialog manager's has no Chinese glyphs for fields and lists).
    SetDialogFontAt(dialog, templateId, dpi);
    auto sx = [dpi](int units) { return skin::Scale(PicturePixelsX(units), dpi); };
    auto sy = [dpi](int units) { return skin::Scale(PicturePixelsY(units), dpi); };

    // Controls without an id go by their order in the template.
    std::vector<HWND> unnamed;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (IsUnnamed(GetDlgCtrlID(c))) unnamed.push_back(c);
    auto control = [&](int id) -> HWND { return id == -1 ? (unnamed.empty() ? nullptr : unnamed[0]) : GetDlgItem(dialog, id); };

    if (pictureCount) {
        OwnedPictures& owned = PicturesOf(dialog);
        std::vector<HBITMAP> old;
        old.swap(owned.bitmaps);
        for (size_t i = 0; i < pictureCount; ++i) {
            HWND picture = control(pictures[i].control);
            if (!picture) continue;
            // The plain look shows none of the skin's pictures.
            HBITMAP bitmap = look::Plain() ? nullptr : skin::LoadPicture(pictures[i].picture, dpi);
            SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
            if (bitmap) owned.bitmaps.push_back(bitmap);
        }
        for (HBITMAP b : old) DeleteObject(b);
    }

    // The dialog itself: frameless, so its window is its client area.
    SetWindowPos(dialog, nullptr, 0, 0, sx(size.cx), sy(size.cy), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    size_t nextUnnamed = 0;
    for (const Item& item : items) {
        HWND c = nullptr;
        if (IsUnnamed(item.id)) c = nextUnnamed < unnamed.size() ? unnamed[nextUnnamed++] : nullptr;
        else c = GetDlgItem(dialog, item.id);
        if (!c) continue;
        UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW;
        // Picture buttons keep their picture's size; plates drawn by code take the template's.
        const bool plate = dynamic_cast<PlateButton*>(SubclassedControl::FromHandle(c)) != nullptr;
        if (IsPictureControl(c) || (IsOwnerDrawButton(c) && !plate)) flags |= SWP_NOSIZE;
        SetWindowPos(c, nullptr, sx(item.x), sy(item.y), sx(item.cx), sy(item.cy), flags);
    }
    // Skinned controls take their heights and paddings from the same scale.
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (SubclassedControl* skinned = SubclassedControl::FromHandle(c)) skinned->OnLayoutDpi(dpi);
}
