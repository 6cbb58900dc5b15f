// The performance page: the mouse's resolution on a slider of painted
// tracks with small thumb buttons, and the USB report rate. It shows the
// store's DPI and rate and puts the user's choices there at once; an apply
// goes to the upload owner. A DPI or rate nobody knows shows as none.
#pragma once
#include <windows.h>

#include <cstdint>

#include "config/DeviceStore.h"
#include "controls/Gdi.h"
#include "controls/SkinButton.h"
#include "controls/SkinCombo.h"
#include "ui/Page.h"
#include "ui/Uploads.h"

class PerformancePage;

// A thumb of the DPI slider. With the focus it takes the keys a slider
// takes: arrows one mark, Page Up / Page Down two, Home and End the ends.
class DpiThumb : public SkinButton {
public:
    void SetPage(PerformancePage* page, int level) {
        page_ = page;
        level_ = level;
    }

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    PerformancePage* page_ = nullptr;
    int level_ = 0;
};

class PerformancePage : public Page {
public:
    PerformancePage(DeviceStore& store, UploadOwner& uploads);

    // Selected report rate: 0 (125 Hz), 1 (500 Hz), 2 (1000 Hz), -1 none.
    int RateIndex() const;
    // Shows the store's DPI (chosen, else the mouse's) on the first level
    // and its rate, after something else (a read, an undo) changed them.
    void ShowStoreSettings();
    // The first level's DPI as shown; 0 while unknown.
    uint32_t FirstLevelDpi() const { return static_cast<uint32_t>(levelDpi_[0]); }
    // The DPI beside the slider ("1800 DPI"); 0 shows none (not known).
    void SetDpiNumber(int dpi);

    // The performance upload of the store's rate and DPI.
    int ApplyPage() override;
    // The two caption pictures in the current language.
    void RefreshPageTexts() override;
    void OnDpiChanged(UINT dpi) override;

    // Offset of the mark a click at distance d from a track's left edge snaps
    // to, and that mark's DPI.
    struct Mark {
        int offset;
        int32_t dpi;
    };
    static Mark SnapToMark(int distance);
    // The mark of a DPI; the first mark for a DPI that has none.
    static Mark MarkOfDpi(int32_t dpi);
    // Where a thumb waits while its DPI is unknown: left of the track, on no mark.
    static constexpr int kNoMark = -1;
    // Moves a level's thumb for a slider key (clamped to the ends); false
    // for any other key.
    bool SliderKey(int level, UINT vk);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT message) override;
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    // The plain look's tracks, drawn by code (the skin's come with the layout).
    void LoadPlainTracks(UINT dpi);
    void SetLevelDpi(int level, int32_t dpi, int markOffset);
    void ShowDpi(int level, int32_t dpi);
    void MoveThumb(int level, int left);
    void PlaceThumb(int level, int markOffset);
    void LoadCaptions();
    void Click(POINT client);

    DeviceStore& store_;
    UploadOwner& uploads_;
    int32_t levelDpi_[4] = {600, 600, 600, 600};
    SkinButton labels_[4];
    DpiThumb thumbs_[4];
    SkinCombo rate_;
    int dpiNumber_ = 0;  // shown beside the slider
    BitmapHandle plainTracks_[4];
    BitmapHandle captionDpi_;
    BitmapHandle captionRate_;
};
