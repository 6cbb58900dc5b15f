#include "link/Transfers.h"

#include <objbase.h>

#include <memory>

#include "link/Busy.h"

namespace {

struct TransferJob {
    TransferRunner::Body body;
    DrainReader* reader;
    HWND notify;
    UINT doneMessage;
    TransferResult* result;
    std::atomic<int>* ready;
};

bool Running(const ScopedHandle& thread) {
    return thread && WaitForSingleObject(thread.Get(), 0) == WAIT_TIMEOUT;
}

}  // namespace

DWORD DrainPace::Next(int read, DWORD spentMs) {
    if (read) {
        timeoutsInARow = 0;
        failPause = 0;
        return 0;
    }
    // A read that waited out the library's time-out: the mouse is quiet.
    if (spentMs >= kDrainFailPauseMs) {
        failPause = 0;
        return ++timeoutsInARow >= kDrainIdleReads ? kDrainIdlePauseMs : 0;
    }
    // Failed at once: closed, unplugged or refused. Back off.
    timeoutsInARow = 0;
    failPause = failPause ? (failPause * 2 < kDrainMaxPauseMs ? failPause * 2 : kDrainMaxPauseMs) : kDrainFailPauseMs;
    return failPause;
}

DrainReader::DrainReader(MouseLink& link) : link_(link), wake_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

// Each wake-up while idle costs CPU, so a quiet mouse is read once per
// idle pause, and a dead channel ever more rarely.
DWORD WINAPI DrainReader::Proc(void* arg) {
    DrainReader& self = *static_cast<DrainReader*>(arg);
    uint8_t scratch[9];
    DrainPace pace;
    bool told = false;
    while (!self.stop_.load()) {
        const ULONGLONG start = GetTickCount64();
        const int read = self.link_.ReadReport(scratch);
        const DWORD error = GetLastError();
        if (self.stop_.load()) break;
        if (!read && !told && MouseLink::Gone(error) && self.goneWindow_) {
            told = true;
            PostMessageW(self.goneWindow_, self.goneMessage_, 0, 0);
        }
        const DWORD pause = pace.Next(read, static_cast<DWORD>(GetTickCount64() - start));
        if (pause) WaitForSingleObject(self.wake_.Get(), pause);
    }
    return 0;
}

int DrainReader::Start() {
    if (!Stop()) return 0;
    stop_.store(0);
    if (wake_) ResetEvent(wake_.Get());
    thread_.Reset(CreateThread(nullptr, kLinkThreadStack, Proc, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    return thread_ ? 1 : 0;
}

// Cooperative: the flag, the wake event for its pause, and the link closed
// under its read, so an Apply need not wait out a read time-out. Never
// TerminateThread, which could end it inside the heap lock. A reader that
// outlasts the wait keeps its handle, so nobody mistakes it for gone.
int DrainReader::Stop() {
    stop_.store(1);
    if (!thread_) return 1;
    if (wake_) SetEvent(wake_.Get());
    if (Running()) link_.InterruptRead();
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
    TransferResult result = job->body();
    const WPARAM status = static_cast<WPARAM>(result.status);
    *job->result = std::move(result);
    job->ready->store(1, std::memory_order_release);
    job->reader->Start();
    // Idle only now: until here an Apply is told "busy" instead of waiting
    // for a thread that still restarts the reader.
    TheBusyEvent().SetIdle();
    if (job->notify) PostMessageW(job->notify, job->doneMessage, status, 0);
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
    resultReady_.store(0);
    auto job = std::unique_ptr<TransferJob>(
        new TransferJob{std::move(body), &reader_, notify, doneMessage, &result_, &resultReady_});
    // Busy before the thread can run: a body that ends at once must find
    // the reset event, or its idle signal would come first and be lost.
    HANDLE thread = CreateThread(nullptr, kLinkThreadStack, Proc, job.get(),
                                 CREATE_SUSPENDED | STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
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

TransferResult TransferRunner::TakeResult() {
    if (!resultReady_.exchange(0, std::memory_order_acquire)) return TransferResult{};
    return std::move(result_);
}
