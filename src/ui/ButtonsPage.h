// The buttons page: a function for each of the mouse's five buttons, the
// wheel swap, profiles and defaults. Every choice goes into the store at
// once; the mouse gets it when the user applies, through the upload owner.
#pragma once
#include <windows.h>

#include <cstdint>

#include "config/DeviceStore.h"
#include "controls/Gdi.h"
#include "controls/PlateButton.h"
#include "controls/SkinButton.h"
#include "controls/SkinCheckBox.h"
#include "controls/SkinCombo.h"
#include "controls/SkinField.h"
#include "keys/KeyUsage.h"
#include "ui/Page.h"
#include "ui/Uploads.h"

class ButtonsPage : public Page {
public:
    ButtonsPage(DeviceStore& store, UploadOwner& uploads);

    // The button upload (the owner checks the left-key rule).
    int ApplyPage() override;
    // Texts in the current language; every list keeps its selection.
    void RefreshPageTexts() override;
    void OnDpiChanged(UINT dpi) override;

    // Shows what the store holds: lists, key texts, swap box. A button the
    // mouse never reported and the user never chose shows no entry.
    void ShowStoreConfiguration();

    // Tests name keys in a layout of their own.
    void SetKeyboardLayout(const KeyboardLayout* layout) { layout_ = layout ? layout : &SystemKeyboardLayout(); }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT message) override;
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    struct Button;
    static const Button kButtons[5];

    void FillFunctionList(HWND list);
    void FillMediaList(HWND list);
    // A button's multimedia list, made when first needed (a drop-down combo
    // box is a slow top-level window at start); nullptr if not made yet.
    HWND Media(const Button& b);
    HWND MediaIfMade(const Button& b) const;
    void AttachSkin();
    void PlaceProfileButtons(UINT dpi);
    void SetStaticTexts();
    bool LeftKeyRuleHolds() const;
    void FunctionChosen(const Button& b);
    void MediaChosen(const Button& b);
    void KeyPressed(unsigned vk, LPARAM data);
    void KeyCaptured(uint8_t modifiers, unsigned vk);
    void ToggleIllustration(int index);
    void LoadDefaults();
    void SaveConfig();
    void LoadConfig();
    void WidenDropDown(HWND list);
    void RepaintLabel(int id);
    HWND EditOf(int slot) const;

    DeviceStore& store_;
    UploadOwner& uploads_;
    const KeyboardLayout* layout_;
    SkinButton small_[5];
    SkinCombo lists_[5];
    SkinCombo media_[5];
    SkinField keys_[5];
    PlateButton profileButtons_[3];
    SkinCheckBox swap_;
    bool illustrated_[5] = {};
    BitmapHandle illustration_;
    int editedSlot_ = 0;
    unsigned lastKey_ = 0;
    LPARAM lastKeyData_ = 0;
};
