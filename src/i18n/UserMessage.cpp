#include "i18n/UserMessage.h"

#include <atomic>

const wchar_t* const kAppCaption = L"Mirvostan";

namespace {
std::atomic<UserMessageSink> g_sink{nullptr};
}

int ShowUserMessage(HWND owner, const std::wstring& text, UINT type) {
    if (UserMessageSink sink = g_sink.load()) return sink(owner, text, type);
    return MessageBoxW(owner, text.c_str(), kAppCaption, type);
}

void SetUserMessageSink(UserMessageSink sink) { g_sink.store(sink); }
