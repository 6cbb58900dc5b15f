#include "link/DeviceLock.h"

#include <sddl.h>

#include <vector>

namespace {

// The user's SID as text; the user name if the token cannot be read.
std::wstring UserTag() {
    std::wstring tag;
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        ScopedHandle hold(token);
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        std::vector<BYTE> buffer(size ? size : 1);
        wchar_t* sid = nullptr;
        if (size && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
            ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
            tag = sid;
            LocalFree(sid);
        }
    }
    if (tag.empty()) {
        wchar_t name[257];
        DWORD n = 257;
        tag = GetUserNameW(name, &n) ? name : L"unknown";
    }
    // A backslash would name a namespace.
    for (wchar_t& c : tag)
        if (c == L'\\') c = L'_';
    return tag;
}

}  // namespace

const std::wstring& DeviceLock::Name() {
    static const std::wstring name = L"Local\\Mirvostan-Device-" + UserTag();
    return name;
}

DeviceLock::DeviceLock(DWORD waitMs) : mutex_(CreateMutexW(nullptr, FALSE, Name().c_str())) {
    if (!mutex_) return;
    const DWORD got = WaitForSingleObject(mutex_.Get(), waitMs);
    held_ = got == WAIT_OBJECT_0 || got == WAIT_ABANDONED;
}

DeviceLock::~DeviceLock() {
    if (held_) ReleaseMutex(mutex_.Get());
}

bool DeviceLock::HeldElsewhere() {
    DeviceLock probe(0);
    return !probe.Held();
}
