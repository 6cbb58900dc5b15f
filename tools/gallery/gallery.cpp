// Gallery of the skin: every bitmap of the program, the skinned buttons at
// rest, pressed and under the pointer, and the key capture dialog.
//   gallery.exe <page> [seconds]
// Pages: main, pages, parts, languages, buttons, keycapture. With seconds,
// the window closes by itself after that time.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "controls/SkinPicture.h"
#include "controls/Gdi.h"
#include "controls/SkinButton.h"
#include "controls/Window.h"
#include "resources/resource.h"
#include "ui/KeyCaptureDialog.h"

namespace {

constexpr int kTemplate = 30000;
constexpr COLORREF kSkinKey = RGB(20, 255, 12);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kSmallKey = RGB(255, 20, 0);
constexpr COLORREF kBack = RGB(22, 26, 33);
constexpr COLORREF kText = RGB(150, 200, 230);
constexpr int kMaxWidth = 1240;
constexpr UINT_PTR kCloseTimer = 1;

std::vector<int> Range(int first, int last) {
    std::vector<int> ids;
    for (int i = first; i <= last; ++i) ids.push_back(i);
    return ids;
}

std::vector<int> PageIds(const std::wstring& page) {
    if (page == L"main") return {IDB_MAIN_BG};
    if (page == L"pages") return {IDB_BUTTONS_PAGE_BG, IDB_PERF_PAGE_BG, IDB_BANNER};
    if (page == L"languages") return Range(208, 281);
    if (page == L"parts") {
        std::vector<int> ids;
        for (int id : Range(150, 287)) {
            if (id == IDB_MAIN_BG || id == IDB_BUTTONS_PAGE_BG || id == IDB_PERF_PAGE_BG || id == IDB_BANNER) continue;
            if (id >= 208 && id <= 281) continue;
            ids.push_back(id);
        }
        return ids;
    }
    return {};
}

// One row of skinned buttons: a picture pair and its transparent colour.
struct ButtonKind {
    const wchar_t* name;
    int over;
    int resting;
    COLORREF key;
};

const ButtonKind kButtons[] = {
    {L"OK 151/154", IDB_OK_OVER, IDB_OK, kGreen},
    {L"Apply 152/155", IDB_APPLY_OVER, IDB_APPLY, kGreen},
    {L"Cancel 153/156", IDB_CANCEL_OVER, IDB_CANCEL, kGreen},
    {L"Close 160", IDB_TITLE_CLOSE, 0, kSkinKey},
    {L"Minimise 159", IDB_TITLE_MIN, 0, kSkinKey},
    {L"Tray 158", IDB_TITLE_TRAY, 0, kSkinKey},
    {L"Buttons page 182", IDB_PAGE_BUTTONS, 0, kSkinKey},
    {L"Page 3 179", IDB_PAGE3, 0, kSkinKey},
    {L"Performance page 181", IDB_PAGE_PERF, 0, kSkinKey},
    {L"Level 1 164/163", IDB_LEVEL1_OVER, IDB_LEVEL1, kGreen},
    {L"Level 4 170/169", IDB_LEVEL4_OVER, IDB_LEVEL4, kGreen},
    {L"Small button 191", IDB_SMALL_BUTTON, 0, kSmallKey},
    {L"Flag 282", IDB_FLAG_ENGLISH, 0, kSkinKey},
    {L"Flag 287", IDB_FLAG_CHINESE, 0, kSkinKey},
};

class Gallery : public Dialog {
public:
    Gallery(std::wstring page, int seconds) : Dialog(kTemplate), page_(std::move(page)), seconds_(seconds) {}

protected:
    BOOL OnInitDialog() override {
        SetWindowTextW(Hwnd(), (L"Mirvostan Gallery - " + page_).c_str());
        SIZE content = page_ == L"buttons" ? BuildButtons() : BuildPictures(PageIds(page_));
        RECT frame{0, 0, content.cx, content.cy};
        AdjustWindowRectEx(&frame, GetWindowLongW(Hwnd(), GWL_STYLE), FALSE, GetWindowLongW(Hwnd(), GWL_EXSTYLE));
        SetWindowPos(Hwnd(), nullptr, 10, 10, frame.right - frame.left, frame.bottom - frame.top, SWP_NOZORDER);
        if (seconds_ > 0) SetTimer(Hwnd(), kCloseTimer, seconds_ * 1000, nullptr);
        if (pointerTarget_) {
            // Light one button up for real: the pointer rests on it.
            RECT r;
            GetWindowRect(pointerTarget_, &r);
            SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            INPUT in{};
            in.type = INPUT_MOUSE;
            in.mi.dwFlags = MOUSEEVENTF_MOVE;
            SendInput(1, &in, sizeof(in));
        }
        return TRUE;
    }
    bool OnTimer(UINT_PTR id) override {
        if (id != kCloseTimer) return false;
        EndDialog(0);
        return true;
    }
    HBRUSH OnCtlColor(HDC dc, HWND, UINT) override {
        SetTextColor(dc, kText);
        SetBkColor(dc, kBack);
        return background_.Get();
    }

private:
    HWND Label(const std::wstring& text, int x, int y, int w) {
        HWND wnd = CreateWindowW(L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, x, y, w, 16, Hwnd(), nullptr,
                                 nullptr, nullptr);
        SendMessageW(wnd, WM_SETFONT, SendMessageW(Hwnd(), WM_GETFONT, 0, 0), FALSE);
        return wnd;
    }

    // Every picture as it is stored, key colours included, with its id and size.
    SIZE BuildPictures(const std::vector<int>& ids) {
        int x = 8, y = 8, rowHeight = 0, width = 0;
        for (int id : ids) {
            HBITMAP loaded = skin::LoadPicture(id, skin::kBaseDpi);
            if (!loaded) continue;
            pictures_.emplace_back(loaded);
            BITMAP info{};
            GetObjectW(loaded, sizeof(info), &info);
            const int cellW = std::max<int>(info.bmWidth, 70) + 10, cellH = info.bmHeight + 22;
            if (x + cellW > kMaxWidth && x > 8) {
                x = 8;
                y += rowHeight;
                rowHeight = 0;
            }
            HWND pic = CreateWindowW(L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP, x, y + 16, info.bmWidth,
                                     info.bmHeight, Hwnd(), nullptr, nullptr, nullptr);
            SendMessageW(pic, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(loaded));
            Label(std::to_wstring(id) + L"  " + std::to_wstring(info.bmWidth) + L"x" + std::to_wstring(info.bmHeight),
                  x, y, cellW - 4);
            x += cellW;
            rowHeight = std::max(rowHeight, cellH);
            width = std::max(width, x);
        }
        return SIZE{width + 4, y + rowHeight + 4};
    }

    // Each kind of skinned button three times: at rest, pressed, and (first
    // row) under the pointer.
    SIZE BuildButtons() {
        int y = 8, id = 1000, width = 0;
        Label(L"at rest", 170, y, 150);
        Label(L"pressed", 400, y, 150);
        Label(L"pointer over", 630, y, 150);
        y += 20;
        bool first = true;
        for (const ButtonKind& kind : kButtons) {
            Label(kind.name, 8, y, 150);
            int rowHeight = 20;
            const int columns = first ? 3 : 2;
            for (int column = 0; column < columns; ++column) {
                HWND wnd = CreateWindowW(L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 170 + column * 230, y,
                                         60, 20, Hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr,
                                         nullptr);
                auto button = std::make_unique<SkinButton>();
                button->Attach(Hwnd(), id++);
                button->SetBitmaps(kind.over, kind.key, kind.resting, kind.key);
                button->SizeToContent();
                button->SetTooltipText(kind.name);
                if (column == 1) SendMessageW(wnd, BM_SETSTATE, TRUE, 0);
                if (column == 2) pointerTarget_ = wnd;
                RECT r;
                GetWindowRect(wnd, &r);
                rowHeight = std::max<int>(rowHeight, r.bottom - r.top);
                width = std::max<int>(width, 170 + column * 230 + (r.right - r.left));
                buttons_.push_back(std::move(button));
            }
            first = false;
            y += rowHeight + 10;
        }
        return SIZE{std::max(width, 780) + 8, y};
    }

    std::wstring page_;
    int seconds_;
    BrushHandle background_{CreateSolidBrush(kBack)};
    std::vector<BitmapHandle> pictures_;
    std::vector<std::unique_ptr<SkinButton>> buttons_;
    HWND pointerTarget_ = nullptr;
};

void CALLBACK CloseCapture(HWND, UINT, UINT_PTR, DWORD) {
    // The dialog has no buttons: closing it ends the capture like a key release.
    HWND dlg = FindWindowW(L"#32770", nullptr);
    if (dlg) PostMessageW(dlg, WM_CLOSE, 0, 0);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR cmdLine, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring page = argc > 1 ? argv[1] : L"buttons";
    const int seconds = argc > 2 ? _wtoi(argv[2]) : 0;
    LocalFree(argv);
    (void)cmdLine;

    if (page == L"keycapture") {
        const UINT_PTR timer = seconds > 0 ? SetTimer(nullptr, 0, seconds * 1000, CloseCapture) : 0;
        KeyCaptureDialog dialog;
        dialog.Run();
        if (timer) KillTimer(nullptr, timer);
        return 0;
    }
    Gallery gallery(page, seconds);
    return gallery.DoModal(nullptr) < 0 ? 1 : 0;
}
