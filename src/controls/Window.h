// The thin window layer: a dialog base class that routes messages to
// virtual handlers, and a base for controls that subclass an existing
// child of a dialog. The dialog reflects owner-draw, colour and command
// notifications to the attached control object, so each skinned control
// paints and reacts by itself.
#pragma once
#include <windows.h>

class SubclassedControl;

class Dialog {
public:
    explicit Dialog(int templateId, HINSTANCE instance = nullptr);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally; returns the EndDialog result, or -1 if the
    // dialog could not be created.
    INT_PTR DoModal(HWND parent);
    // Creates the dialog modeless; returns its window or nullptr.
    HWND Create(HWND parent);
    // Modal: ends the modal loop. Modeless: destroys the window.
    void EndDialog(INT_PTR result);

    HWND Hwnd() const { return hwnd_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    bool IsModal() const { return modal_; }

    // The object attached to a dialog window, if it is one of ours.
    static Dialog* FromHandle(HWND wnd);

protected:
    // Return TRUE to let the dialog manager set the focus.
    virtual BOOL OnInitDialog() { return TRUE; }
    // Return true when handled. The default ends the dialog on IDOK/IDCANCEL.
    virtual bool OnCommand(int id, int code, HWND control);
    virtual bool OnNotify(NMHDR* header, LRESULT& result);
    // Owner-draw requests for controls without an object of ours.
    virtual bool OnDrawItem(DRAWITEMSTRUCT* item);
    // A brush for the control's background, or nullptr for the default.
    virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT message);
    virtual bool OnTimer(UINT_PTR id);
    // The default ends the dialog with IDCANCEL.
    virtual void OnClose();
    virtual void OnDestroy() {}
    // Everything else. Return true when handled; result is the dialog
    // procedure's message result (stored with DWLP_MSGRESULT).
    virtual bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

private:
    static INT_PTR CALLBACK DialogProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR Route(UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR Reply(LRESULT result);

    int templateId_;
    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
};

// Subclasses an existing control of a dialog by id. The subclass goes away
// with the window (WM_NCDESTROY) or with the object, whichever comes first.
class SubclassedControl {
public:
    SubclassedControl() = default;
    virtual ~SubclassedControl();
    SubclassedControl(const SubclassedControl&) = delete;
    SubclassedControl& operator=(const SubclassedControl&) = delete;

    // Returns false if there is no such control or it is already attached.
    bool Attach(HWND dialog, int controlId);
    // The same for a window that is no dialog item (a list's header).
    bool AttachWindow(HWND wnd);
    void Detach();
    HWND Hwnd() const { return hwnd_; }

    // The object attached to a control window, if any.
    static SubclassedControl* FromHandle(HWND wnd);

    // Reflected from the parent. Return true when handled.
    virtual bool OnReflectedDrawItem(const DRAWITEMSTRUCT&) { return false; }
    // A brush for WM_CTLCOLOR*, or nullptr to let the parent decide.
    virtual HBRUSH OnReflectedCtlColor(HDC, UINT) { return nullptr; }
    // WM_COMMAND notifications; return true to keep them from the parent.
    virtual bool OnReflectedCommand(int) { return false; }
    // WM_NOTIFY from the control (custom draw); true when answered.
    virtual bool OnReflectedNotify(NMHDR*, LRESULT&) { return false; }

    // The scale its dialog was laid out at (heights, paddings, pictures).
    virtual void OnLayoutDpi(UINT) {}
    // Where the control draws its text, in client pixels; false for a
    // control that draws none. Texts are measured against it.
    virtual bool TextArea(RECT&) const { return false; }

protected:
    virtual void OnAttached() {}
    // Called at WM_NCDESTROY and on Detach, while the window still exists.
    virtual void OnDetaching() {}
    virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) { return Default(msg, wp, lp); }
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp);

private:
    static LRESULT CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
    HWND hwnd_ = nullptr;
};

// A window nobody sees, for timers, posted results and (top-level) the
// system's broadcasts. Its procedure finds its owner with Owner<T>; the
// owner is forgotten before the window goes, so no message reaches a
// half-destroyed object.
class HiddenWindow {
public:
    HiddenWindow() = default;
    ~HiddenWindow();
    HiddenWindow(const HiddenWindow&) = delete;
    HiddenWindow& operator=(const HiddenWindow&) = delete;

    // topLevel: a hidden top-level window (FindWindow finds it, broadcasts
    // reach it) instead of a message-only one. False when not made.
    bool Create(const wchar_t* className, WNDPROC proc, void* owner, bool topLevel = false);
    HWND Get() const { return wnd_; }

    template <class T>
    static T* Owner(HWND wnd) {
        return reinterpret_cast<T*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    }

private:
    HWND wnd_ = nullptr;
};
