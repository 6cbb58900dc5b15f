#include "ui/StartupRead.h"

#include "config/DeviceStore.h"
#include "link/Transfers.h"

StartupRead::StartupRead(DeviceStore& store, bool onThisThread) : store_(store) {
    if (!onThisThread)
        thread_ = CreateThread(nullptr, kLinkThreadStack, Run, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    // Without a thread the read happens on the spot.
    if (!thread_) result_ = store_.LoadFromDevice();
}

StartupRead::~StartupRead() { Join(); }

DWORD WINAPI StartupRead::Run(void* self) {
    auto* read = static_cast<StartupRead*>(self);
    read->result_ = read->store_.LoadFromDevice();
    return 0;
}

bool StartupRead::Join() {
    if (thread_) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    return result_;
}
