// The one way the program shows a message box. Every user-facing box goes
// through ShowUserMessage, so tests can replace the box with a recorder.
#pragma once
#include <windows.h>
#include <string>

// Caption of every message box.
extern const wchar_t* const kAppCaption;

// Shows text in a message box captioned "Mirvostan" (MB_OK unless other
// buttons are given) and returns the button pressed. Safe from any thread.
int ShowUserMessage(HWND owner, const std::wstring& text, UINT type = MB_OK);

// A sink receives every message instead of a real box; its result is what
// ShowUserMessage returns. nullptr restores the real box.
using UserMessageSink = int (*)(HWND owner, const std::wstring& text, UINT type);
void SetUserMessageSink(UserMessageSink sink);
