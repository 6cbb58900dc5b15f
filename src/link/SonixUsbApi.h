// The six operations of SonixUSB.DLL. The library exports them by ordinal
// only; the program, the HID library and the virtual mouse share these types
// so the three can never disagree on an argument list.
#pragma once
#include <windows.h>

namespace sonix {

enum Ordinal : WORD {
    kOpen = 1,
    kClose = 2,
    kReadInput = 3,
    kWriteOutput = 4,
    kInputLength = 5,
    kOutputLength = 6,
};

constexpr DWORD kVendorId = 0x0C45;
constexpr DWORD kProductId = 0x8301;

// Open by vendor and product id; INVALID_HANDLE_VALUE when no device opened.
using OpenFn = HANDLE(WINAPI*)(DWORD vendor, DWORD product);
using CloseFn = BOOL(WINAPI*)(HANDLE device);
// Non-zero when one report was transferred; count receives its length.
using ReadFn = BOOL(WINAPI*)(HANDLE device, BYTE* buffer, DWORD length, DWORD* count);
using WriteFn = BOOL(WINAPI*)(HANDLE device, const BYTE* buffer, DWORD length, DWORD* count);
// Report length in the low 16 bits, report id byte included.
using LengthFn = DWORD(WINAPI*)(HANDLE device);

}  // namespace sonix
