// The small modal pop-up that captures a key combination: modifier keys
// (each side apart) and the first other key. Every key that goes down is
// reported to the owner (WM_KEY_PRESSED) so it can show the combination
// growing; the finished combination follows as WM_KEY_CAPTURED.
#pragma once
#include <windows.h>

#include "controls/LinkLabel.h"
#include "controls/Window.h"

class KeyCaptureDialog : public Dialog {
public:
    KeyCaptureDialog();
    ~KeyCaptureDialog() override;

    // The window that receives the reports; set before Run.
    void SetOwner(HWND owner) { owner_ = owner; }
    // Runs the dialog modally, owned by the owner's top-level window, until
    // the capture ends. -1 without a dialog when another capture is open.
    INT_PTR Run();

protected:
    BOOL OnInitDialog() override;
    void OnClose() override;
    void OnDestroy() override;

private:
    void KeyDown(UINT vk, LPARAM data, const MSG* message);
    void KeyUp();
    bool HeldFromBefore(WPARAM vk, LPARAM data, bool up) const;
    void Finish();
    void PlaceOverOwner();
    void ModifierDown(int leftVk, int rightVk, DWORD leftBit, DWORD rightBit, bool& held, bool& forward);

    static LRESULT CALLBACK KeyboardHook(int code, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK MessageFilterHook(int code, WPARAM wp, LPARAM lp);

    LinkLabel prompt_;
    HWND owner_ = nullptr;
    DWORD modifiers_ = 0;
    DWORD key_ = 0;
    bool shiftHeld_ = false;
    bool ctrlHeld_ = false;
    bool altHeld_ = false;
    bool winHeld_ = false;
    bool finished_ = false;
    // Keys that went down while the dialog was open: only their release
    // ends the capture; keys held from before are passed over.
    bool downHere_[256] = {};
};
