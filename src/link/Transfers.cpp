#include "link/Transfers.h"

#include <objbase.h>

#include <memory>

#include "link/Busy.h"

namespace {

constexpr DWORD kFailedReadPauseMs = 30;

struct TransferJob {
    TransferRunner::Body body;
    DrainReader* reader;
    HWND notify;
    UINT doneMessage;
};

bool Running(const ScopedHandle& thread) {
    return thread && WaitForSingleObject(thread.Get(), 0) == WAIT_TIMEOUT;
}

}  // namespace

DWORD WINAPI DrainReader::Proc(void* arg) {
    DrainReader& self = *static_cast<DrainReader*>(arg);
    uint8_t scratch[9];
    while (!self.stop_.load()) {
        const ULONGLONG start = GetTickCount64();
        if (self.link_.ReadReport(scratch) || self.stop_.load()) continue;
        // A failed read costs at least the pause, so a failing device is not
        // polled in a busy loop; a read that already waited out its time-out
        // needs no more (each extra wait is a wake-up while idle).
        const ULONGLONG spent = GetTickCount64() - start;
        if (spent < kFailedReadPauseMs) Sleep(static_cast<DWORD>(kFailedReadPauseMs - spent));
    }
    return 0;
}

int DrainReader::Start() {
    if (!Stop()) return 0;
    stop_.store(0);
    thread_.Reset(CreateThread(nullptr, 0, Proc, this, 0, nullptr));
    return thread_ ? 1 : 0;
}

// Cooperative: the reader sees the flag after its current read times out.
// Never TerminateThread, which could end it inside the heap lock. A reader
// that outlasts the wait keeps its handle, so nobody mistakes it for gone.
int DrainReader::Stop() {
    stop_.store(1);
    if (!thread_) return 1;
    if (WaitForSingleObject(thread_.Get(), kDrainStopWaitMs) != WAIT_OBJECT_0) {
        OutputDebugStringW(L"DrainThread did not end in time\r\n");
        return 0;
    }
    thread_.Reset();
    return 1;
}

bool DrainReader::Running() const { return ::Running(thread_); }

DWORD WINAPI TransferRunner::Proc(void* arg) {
    std::unique_ptr<TransferJob> job(static_cast<TransferJob*>(arg));
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int result = job->body();
    job->reader->Start();
    // Idle only now: until here an Apply is told "busy" instead of waiting
    // for a thread that still shows a box or restarts the reader.
    TheBusyEvent().SetIdle();
    if (job->notify) PostMessageW(job->notify, job->doneMessage, result ? 1 : 0, 0);
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}

UploadStart TransferRunner::Start(Body body, HWND notify, UINT doneMessage) {
    if (TheBusyEvent().IsBusy()) return UploadStart::Busy;
    // After signalling idle a thread still posts its message; let that finish
    // so that two threads never use the link together.
    if (!Wait(kTransferEndWaitMs)) return UploadStart::Failed;
    thread_.Reset();
    if (!reader_.Stop()) return UploadStart::Failed;
    auto job = std::unique_ptr<TransferJob>(new TransferJob{std::move(body), &reader_, notify, doneMessage});
    // Busy before the thread can run: a body that ends at once must find
    // the reset event, or its idle signal would come first and be lost.
    HANDLE thread = CreateThread(nullptr, 0, Proc, job.get(), CREATE_SUSPENDED, nullptr);
    if (!thread) {
        reader_.Start();
        return UploadStart::Failed;
    }
    TheBusyEvent().SetBusy();
    job.release();  // the thread owns it now
    thread_.Reset(thread);
    ResumeThread(thread);
    return UploadStart::Started;
}

int TransferRunner::Wait(DWORD ms) const {
    return !thread_ || WaitForSingleObject(thread_.Get(), ms) == WAIT_OBJECT_0 ? 1 : 0;
}
