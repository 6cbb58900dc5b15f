// "Keep these button settings?": asked after an apply that is hard to undo
// by hand (the left click moved off the left button, or the pointer speed
// jumped). Keep ends it; Undo, Esc, closing it or the countdown reaching 0
// runs the undo upload and waits for it.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "controls/Gdi.h"
#include "controls/SkinButton.h"
#include "controls/Window.h"
#include "link/Transfers.h"

struct KeepRequest {
    int questionId = 0;    // numbered text of the question
    std::wstring info;     // what changed, in words
    int seconds = 15;
    // Starts the upload that restores what the mouse held; it reports to
    // notify with doneMessage.
    std::function<UploadStart(HWND notify, UINT doneMessage)> undo;
    // Told the dialog's window once it is open (so the session's end can close it).
    std::function<void(HWND dialog)> shown;
};

// Kept only by the Keep button. Unanswered: the dialog ended any other way
// (the program or the session ends, it could not be shown) before its undo
// ended; the caller undoes.
enum class KeepResult { Kept, Undone, UndoFailed, Unanswered };

class KeepDialog : public Dialog {
public:
    explicit KeepDialog(KeepRequest request);
    KeepResult Result() const { return result_; }
    int SecondsLeft() const { return left_; }

    // Length of one countdown step; tests shorten it.
    static void SetTickMs(UINT ms);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnTimer(UINT_PTR id) override;
    void OnClose() override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT message) override;
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void ShowCountdown();
    void StartUndo();

    KeepRequest request_;
    KeepResult result_ = KeepResult::Unanswered;
    int left_ = 0;
    bool undoing_ = false;
    SkinButton keep_;
    SkinButton undo_;
    BrushHandle background_;
    BitmapHandle emblem_;
};

// Runs the dialog modally over owner.
KeepResult AskToKeep(HWND owner, KeepRequest request);
