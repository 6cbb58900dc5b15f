#include "link/Transfers.h"

#include <objbase.h>

#include <memory>

#include "config/DeviceStore.h"
#include "link/Busy.h"
#include "ui/Messages.h"

namespace {

constexpr DWORD kFailedReadPauseMs = 30;

DWORD WINAPI DrainThreadProc(void* arg) {
    DeviceStore& store = *static_cast<DeviceStore*>(arg);
    uint8_t scratch[9];
    while (!store.StopDrain().load()) {
        const ULONGLONG start = GetTickCount64();
        if (store.Link().ReadReport(scratch) || store.StopDrain().load()) continue;
        // A failed read costs at least the pause, so a failing device is not
        // polled in a busy loop; a read that already waited out its time-out
        // needs no more (each extra wait is a wake-up while idle).
        const ULONGLONG spent = GetTickCount64() - start;
        if (spent < kFailedReadPauseMs) Sleep(static_cast<DWORD>(kFailedReadPauseMs - spent));
    }
    return 0;
}

struct TransferJob {
    DeviceStore* store;
    HWND notify;
    uint32_t dpi;
};

void PostDone(const TransferJob& job, int result) {
    if (job.notify) PostMessageW(job.notify, WM_TRANSFER_DONE, result ? 1 : 0, 0);
}

DWORD WINAPI ButtonUploadProc(void* arg) {
    std::unique_ptr<TransferJob> job(static_cast<TransferJob*>(arg));
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int result = job->store->ApplyButtons();
    StartDrainThread(*job->store);
    PostDone(*job, result);
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}

DWORD WINAPI PerformanceUploadProc(void* arg) {
    std::unique_ptr<TransferJob> job(static_cast<TransferJob*>(arg));
    const int result = job->store->ApplyPerformance(job->dpi);
    StartDrainThread(*job->store);
    TheBusyEvent().SetIdle();
    PostDone(*job, result);
    return 0;
}

bool Running(const ScopedHandle& thread) {
    return thread && WaitForSingleObject(thread.Get(), 0) == WAIT_TIMEOUT;
}

int StartUpload(DeviceStore& store, LPTHREAD_START_ROUTINE body, HWND notify, uint32_t dpi) {
    if (TheBusyEvent().IsBusy()) return 0;
    // An upload signals BusyEvent a few steps before its thread ends (it still
    // starts the next reader); let those steps finish so that two threads
    // never use the link together.
    ScopedHandle& last = store.TransferThread();
    if (last && WaitForSingleObject(last.Get(), kTransferEndWaitMs) != WAIT_OBJECT_0) return 0;
    last.Reset();
    if (!StopDrainThread(store)) return 0;
    TheBusyEvent().SetBusy();
    auto job = std::make_unique<TransferJob>(TransferJob{&store, notify, dpi});
    HANDLE thread = CreateThread(nullptr, 0, body, job.get(), 0, nullptr);
    if (!thread) {
        TheBusyEvent().SetIdle();
        StartDrainThread(store);
        return 0;
    }
    job.release();  // the thread owns it now
    last.Reset(thread);
    return 1;
}

}  // namespace

int StartDrainThread(DeviceStore& store) {
    if (Running(store.DrainThread()) && !StopDrainThread(store)) return 0;
    store.StopDrain().store(0);
    HANDLE thread = CreateThread(nullptr, 0, DrainThreadProc, &store, 0, nullptr);
    store.DrainThread().Reset(thread);
    return thread ? 1 : 0;
}

// Cooperative: the reader sees the flag after its current read times out.
// Never TerminateThread, which could end it inside the heap lock.
int StopDrainThread(DeviceStore& store) {
    store.StopDrain().store(1);
    ScopedHandle& thread = store.DrainThread();
    if (!thread) return 1;
    if (WaitForSingleObject(thread.Get(), kDrainStopWaitMs) != WAIT_OBJECT_0) {
        OutputDebugStringW(L"DrainThread did not end in time\r\n");
        return 0;
    }
    thread.Reset();
    return 1;
}

int StartButtonUpload(DeviceStore& store, HWND notify) {
    return StartUpload(store, ButtonUploadProc, notify, 0);
}

int StartPerformanceUpload(DeviceStore& store, HWND notify, uint32_t dpi) {
    return StartUpload(store, PerformanceUploadProc, notify, dpi);
}
