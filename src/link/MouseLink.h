// The report channel to the mouse over SonixUSB.DLL. The library is loaded
// from the program's own folder and bound by ordinal; without it (or with an
// ordinal missing) the mouse simply cannot be opened.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "link/SonixUsbApi.h"

class MouseLink {
public:
    // libraryPath: full path of the library; empty means SonixUSB.DLL in the
    // folder of the running program.
    explicit MouseLink(std::wstring libraryPath = std::wstring());
    virtual ~MouseLink();
    MouseLink(const MouseLink&) = delete;
    MouseLink& operator=(const MouseLink&) = delete;

    // 1 opened, 0 not. Releases a handle already held first; refuses a
    // device whose report lengths do not fit the 9-byte reports.
    int OpenMouse();
    void CloseMouse();
    // 1 written, 0 not.
    int SendReport(const uint8_t (&report)[9]);
    // Writes the report and consumes the mouse's answer. 1 written, 0 not
    // written or the mouse gone before it answered (any other answer, or
    // none in time, still counts as written).
    int SendReportChecked(const uint8_t (&report)[9]);
    // 1 read, 0 not (time-out, no mouse).
    int ReadReport(uint8_t (&buffer)[9]);

    // From another thread: closes the handle under a read that is waiting
    // for a report, so that the read returns at once. The link is closed
    // afterwards; the next exchange opens it again.
    void InterruptRead();

    bool IsOpen() const { return handle_.load() != INVALID_HANDLE_VALUE; }
    uint32_t InputLength() const { return inputLength_; }
    uint32_t OutputLength() const { return outputLength_; }

    // What the last call said when it failed, "operation: (0x0000048F)
    // system text"; empty when it succeeded. Every call clears it first, so
    // it never blames an old failure.
    std::wstring LastError() const;

    // SonixUSB.DLL beside the running program.
    static std::wstring DefaultLibraryPath();
    // Errors of a mouse that was unplugged or whose driver stopped.
    static bool Gone(DWORD code);

private:
    bool Bind();
    int Write(const uint8_t (&report)[9]);
    static void TraceReport(const uint8_t (&report)[9]);
    void NoteError(const wchar_t* operation, DWORD code);
    void ClearError();

    std::atomic<HANDLE> handle_{INVALID_HANDLE_VALUE};
    uint32_t inputLength_ = 0;
    uint32_t outputLength_ = 0;

    std::wstring libraryPath_;
    HMODULE library_ = nullptr;
    sonix::OpenFn open_ = nullptr;
    sonix::CloseFn close_ = nullptr;
    sonix::ReadFn read_ = nullptr;
    sonix::WriteFn write_ = nullptr;
    sonix::LengthFn inputLengthFn_ = nullptr;
    sonix::LengthFn outputLengthFn_ = nullptr;

    mutable CRITICAL_SECTION errorLock_;  // the reader and a transfer both note errors
    std::wstring lastError_;
};
