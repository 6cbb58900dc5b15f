// Records the message boxes the code under test shows (from any thread),
// each answered with the chosen button.
#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "i18n/UserMessage.h"

class MessageRecorder {
public:
    explicit MessageRecorder(int answer = IDOK) {
        Answer() = answer;
        Clear();
        SetUserMessageSink(&Record);
    }
    ~MessageRecorder() { SetUserMessageSink(nullptr); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;
    void SetAnswer(int answer) { Answer() = answer; }

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
        return Answer();
    }
    static int& Answer() {
        static int a = IDOK;
        return a;
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
