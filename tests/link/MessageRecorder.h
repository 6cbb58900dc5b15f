// Records the message boxes the code under test shows (from any thread).
#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "i18n/UserMessage.h"

class MessageRecorder {
public:
    MessageRecorder() {
        Clear();
        SetUserMessageSink(&Record);
    }
    ~MessageRecorder() { SetUserMessageSink(nullptr); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    static std::vector<std::wstring> Texts() {
        std::lock_guard<std::mutex> lock(Mutex());
        return Shown();
    }
    static void Clear() {
        std::lock_guard<std::mutex> lock(Mutex());
        Shown().clear();
    }

private:
    static int Record(HWND, const std::wstring& text, UINT) {
        std::lock_guard<std::mutex> lock(Mutex());
        Shown().push_back(text);
        return IDOK;
    }
    static std::mutex& Mutex() {
        static std::mutex m;
        return m;
    }
    static std::vector<std::wstring>& Shown() {
        static std::vector<std::wstring> v;
        return v;
    }
};
