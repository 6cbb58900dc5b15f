// The HID SonixUSB.DLL. Without hardware: its report channel runs over a
// message-mode named pipe (one message = one report, like a HID interface)
// and over scripted system calls for a device that goes away, the choice
// among a mouse's collections runs on tables of what enumeration finds, and
// the library itself is checked with no mouse attached.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Collections.h"
#include "HidChannel.h"
#include "link/MouseLink.h"
#include "link/SonixUsbApi.h"
#include "VirtualMouseFiles.h"

namespace {

// A pipe whose client end stands in for the device's interface.
class FakeInterface {
public:
    FakeInterface() {
        const std::wstring name = L"\\\\.\\pipe\\mirvostan-hid-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(++count_);
        server_.Reset(CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                       1, 64, 64, 0, nullptr));
        client_ = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                              nullptr);
    }
    HANDLE TakeClient() {
        HANDLE c = client_;
        client_ = INVALID_HANDLE_VALUE;
        return c;
    }
    ~FakeInterface() {
        if (client_ != INVALID_HANDLE_VALUE) CloseHandle(client_);
    }
    bool Ready() const { return server_ && client_ != INVALID_HANDLE_VALUE; }
    // The device sends an input report.
    void Send(const std::string& bytes) {
        DWORD n = 0;
        WriteFile(server_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    }
    // The output report the device received.
    std::string Received() {
        char buffer[64];
        DWORD n = 0;
        if (!ReadFile(server_.Get(), buffer, sizeof buffer, &n, nullptr)) return "<none>";
        return std::string(buffer, n);
    }

private:
    static inline int count_ = 0;
    ScopedHandle server_;
    HANDLE client_ = INVALID_HANDLE_VALUE;
};

const std::string kReport("\x00\x04\x03\x00\x10\x00\x00\x00\x00", 9);

TEST(HidChannelTest, TimedOutReadIsCancelledAndTheNextReportArrivesWhole) {
    FakeInterface device;
    ASSERT_TRUE(device.Ready());
    HidChannel channel(device.TakeClient(), 9, 9);
    BYTE buffer[9];
    DWORD count = 99;
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(channel.Read(buffer, 9, &count, 20)) << "read " << i << ": nothing sent";
    device.Send(kReport);
    std::memset(buffer, 0xEE, sizeof buffer);
    ASSERT_TRUE(channel.Read(buffer, 9, &count, 1000));
    EXPECT_EQ(count, 9u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 9), kReport);
}

TEST(HidChannelTest, ShortOrMissingBuffersAreRefusedWithoutTransfer) {
    FakeInterface device;
    ASSERT_TRUE(device.Ready());
    HidChannel channel(device.TakeClient(), 9, 9);
    device.Send(kReport);
    BYTE buffer[16];
    std::memset(buffer, 0xEE, sizeof buffer);
    DWORD count = 0;
    EXPECT_FALSE(channel.Read(nullptr, 9, &count, 100));
    EXPECT_FALSE(channel.Read(buffer, 8, &count, 100));
    EXPECT_EQ(buffer[0], 0xEE) << "a refused read touches nothing";
    EXPECT_FALSE(channel.Write(nullptr, 9, &count, 100));
    EXPECT_FALSE(channel.Write(buffer, 8, &count, 100));
    // The report is still there for a proper read, and a larger buffer
    // receives only the report.
    ASSERT_TRUE(channel.Read(buffer, sizeof buffer, &count, 1000));
    EXPECT_EQ(count, 9u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 9), kReport);
    for (size_t i = 9; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 0xEE) << "byte " << i;
}

// The library's close ends a read that waits for a report, on another
// thread, at once; the failure reads as hidapi words its last error.
TEST(HidChannelTest, AbortEndsAWaitingReadAndErrorsReadLikeHidapi) {
    FakeInterface device;
    ASSERT_TRUE(device.Ready());
    HidChannel channel(device.TakeClient(), 9, 9);
    HANDLE aborter = CreateThread(
        nullptr, 0,
        [](void* c) -> DWORD {
            Sleep(100);
            static_cast<HidChannel*>(c)->Abort();
            return 0;
        },
        &channel, 0, nullptr);
    BYTE buffer[9];
    DWORD count = 0;
    EXPECT_FALSE(channel.Read(buffer, 9, &count, 60000));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
    WaitForSingleObject(aborter, 10000);
    CloseHandle(aborter);
    EXPECT_FALSE(channel.Write(buffer, 9, &count, 1000)) << "an aborted channel stays shut";
    const std::wstring text = HidChannel::ErrorText(L"WriteFile", ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(text.compare(0, 24, L"WriteFile: (0x0000048F) "), 0) << std::string(text.begin(), text.end());
    EXPECT_GT(text.size(), 24u) << "the system's words follow";
}

TEST(HidChannelTest, WriteSendsExactlyOneOutputReport) {
    FakeInterface device;
    ASSERT_TRUE(device.Ready());
    HidChannel channel(device.TakeClient(), 9, 9);
    BYTE longer[12];
    std::memcpy(longer, kReport.data(), 9);
    std::memset(longer + 9, 0x77, 3);
    DWORD count = 0;
    ASSERT_TRUE(channel.Write(longer, sizeof longer, &count, 1000));
    EXPECT_EQ(count, 9u);
    EXPECT_EQ(device.Received(), kReport);
}

// What a composite gaming mouse shows. Windows holds the pointer and the
// keyboard; the keyboard's 9-byte input would fit, were it ours.
const CollectionInfo kMouse{L"mouse", 0x0001, 0x0002, 5, 0, 0, false};
const CollectionInfo kKeyboard{L"keyboard", 0x0001, 0x0006, 9, 2, 0, false};
const CollectionInfo kConsumer{L"consumer", 0x000C, 0x0001, 3, 0, 0, true};
const CollectionInfo kVendor9{L"vendor-9", 0xFF00, 0x0001, 9, 9, 0, true};
const CollectionInfo kVendor64{L"vendor-64", 0xFF01, 0x0001, 65, 65, 0, true};
// Variations that are never taken, and rivals that order decides.
const CollectionInfo kVendor9Held{L"vendor-9 held", 0xFF00, 0x0001, 9, 9, 0, false};
const CollectionInfo kVendor9Second{L"vendor-9 second", 0xFF02, 0x0002, 9, 9, 0, true};
const CollectionInfo kVendor9Mi0{L"\\\\?\\hid#vid_0c45&pid_8301&mi_00#7&1", 0xFF00, 0x0001, 9, 9, 0, true};
const CollectionInfo kVendor9Mi2{L"\\\\?\\hid#vid_0c45&pid_8301&mi_02#7&0", 0xFF00, 0x0001, 9, 9, 0, true};
const CollectionInfo kVendorShort{L"vendor-short", 0xFF00, 0x0002, 5, 5, 0, true};
const CollectionInfo kVendorShortOut{L"vendor short output", 0xFF00, 0x0002, 9, 8, 0, true};
const CollectionInfo kSystem9{L"system-9", 0xFEFF, 0x0001, 9, 9, 0, true};
const CollectionInfo kVendorNoOutput{L"vendor no output", 0xFF00, 0x0003, 9, 0, 9, true};
const CollectionInfo kVendorLongInput{L"vendor long input", 0xFF00, 0x0004, 65, 9, 0, true};
const CollectionInfo kVendorLongOutput{L"vendor long output", 0xFF00, 0x0005, 9, 33, 0, true};

TEST(ChooseCollectionTest, TakesOnlyAVendorNineByteCollectionInAFixedOrder) {
    struct Row {
        const char* name;
        std::vector<CollectionInfo> found;
        const wchar_t* chosen;  // nullptr: none
    };
    const Row rows[] = {
        {"composite, vendor-9 last", {kMouse, kKeyboard, kConsumer, kVendor64, kVendor9}, L"vendor-9"},
        {"composite, vendor-9 first", {kVendor9, kVendor64, kConsumer, kKeyboard, kMouse}, L"vendor-9"},
        {"consumer ahead", {kConsumer, kMouse, kVendor9, kKeyboard}, L"vendor-9"},
        {"short vendor ahead", {kVendorShort, kVendor9}, L"vendor-9"},
        {"near-vendor page ahead", {kSystem9, kVendor9}, L"vendor-9"},
        {"lower usage page wins", {kVendor64, kVendor9Second, kVendor9}, L"vendor-9"},
        {"then the lower interface", {kVendor9Mi2, kVendor9Mi0}, kVendor9Mi0.path.c_str()},
        {"in either order", {kVendor9Mi0, kVendor9Mi2}, kVendor9Mi0.path.c_str()},
        {"only short vendor reports", {kMouse, kVendor64, kKeyboard, kVendorShort}, nullptr},
        {"output one byte short", {kVendorShortOut, kConsumer}, nullptr},
        {"vendor-9 held elsewhere", {kVendor9Held, kConsumer, kVendorShort}, nullptr},
        {"no vendor page", {kMouse, kSystem9}, nullptr},
        {"keyboard is Windows's", {kKeyboard, kConsumer, kVendor64}, nullptr},
        {"no output report", {kVendorNoOutput, kConsumer}, nullptr},
        {"reports too long for 9 bytes", {kVendorLongInput, kVendorLongOutput, kVendor64}, nullptr},
        {"nothing found", {}, nullptr},
    };
    for (const Row& row : rows) {
        const int index = ChooseCollection(row.found);
        ASSERT_LT(index, static_cast<int>(row.found.size())) << row.name;
        const std::wstring got = index < 0 ? L"<none>" : row.found[index].path;
        EXPECT_EQ(got, row.chosen ? row.chosen : L"<none>") << row.name;
    }
}

// A device behind the channel's system calls. Each transfer fails with the
// scripted error at the stage given (or succeeds when error is 0); every call
// the channel makes is counted.
class ScriptedDevice : public ChannelCalls {
public:
    enum Stage { AtStart, AtEnd, AfterTimeOut };
    static inline HANDLE const kFile = reinterpret_cast<HANDLE>(0x4320);

    Stage stage = AtStart;
    DWORD error = 0;
    int transfers = 0;
    int traces = 0;
    int strangeFiles = 0;
    std::vector<HANDLE> closed;

    BOOL Read(HANDLE file, void*, DWORD length, OVERLAPPED* ov) override { return Start(file, length, ov); }
    BOOL Write(HANDLE file, const void*, DWORD length, OVERLAPPED* ov) override { return Start(file, length, ov); }
    BOOL Result(HANDLE file, OVERLAPPED*, DWORD* transferred, BOOL) override {
        Check(file);
        if (error) {
            SetLastError(error);
            return FALSE;
        }
        *transferred = length_;
        return TRUE;
    }
    BOOL Cancel(HANDLE file) override {
        Check(file);
        return TRUE;
    }
    BOOL Close(HANDLE file) override {
        closed.push_back(file);
        return TRUE;
    }
    void Trace(const wchar_t*) override { ++traces; }

private:
    BOOL Start(HANDLE file, DWORD length, OVERLAPPED* ov) {
        Check(file);
        ++transfers;
        length_ = length;
        if (error && stage == AtStart) {
            SetLastError(error);
            return FALSE;
        }
        // Finished at once, or (after a time-out) never.
        if (!error || stage == AtEnd) SetEvent(ov->hEvent);
        SetLastError(ERROR_IO_PENDING);
        return FALSE;
    }
    void Check(HANDLE file) {
        if (file != kFile) ++strangeFiles;
    }
    DWORD length_ = 0;
};

TEST(HidChannelTest, AGoneDeviceClosesTheChannelAndLaterCallsFailWithoutIo) {
    struct Row {
        const char* name;
        ScriptedDevice::Stage stage;
        DWORD error;
        bool write;
        bool gone;    // the channel gives up the device
        int traces;   // lines the failure writes
    };
    const Row rows[] = {
        {"read, not connected at once", ScriptedDevice::AtStart, ERROR_DEVICE_NOT_CONNECTED, false, true, 1},
        {"read, not connected at the end", ScriptedDevice::AtEnd, ERROR_DEVICE_NOT_CONNECTED, false, true, 1},
        {"read, not connected after a time-out", ScriptedDevice::AfterTimeOut, ERROR_DEVICE_NOT_CONNECTED, false, true, 1},
        {"write, not connected at once", ScriptedDevice::AtStart, ERROR_DEVICE_NOT_CONNECTED, true, true, 1},
        {"write, removed at the end", ScriptedDevice::AtEnd, ERROR_DEVICE_REMOVED, true, true, 1},
        {"write, general failure", ScriptedDevice::AtStart, ERROR_GEN_FAILURE, true, true, 1},
        {"read, bad command at the end", ScriptedDevice::AtEnd, ERROR_BAD_COMMAND, false, true, 1},
        {"write, handle invalidated", ScriptedDevice::AtStart, ERROR_INVALID_HANDLE, true, true, 1},
        {"read, aborted by the system", ScriptedDevice::AtEnd, ERROR_OPERATION_ABORTED, false, true, 1},
        {"read, no report in time", ScriptedDevice::AfterTimeOut, ERROR_OPERATION_ABORTED, false, false, 0},
        {"write, access denied", ScriptedDevice::AtStart, ERROR_ACCESS_DENIED, true, false, 1},
    };
    for (const Row& row : rows) {
        ScriptedDevice device;
        {
            HidChannel channel(ScriptedDevice::kFile, 9, 9, device);
            device.stage = row.stage;
            device.error = row.error;
            BYTE buffer[9] = {};
            DWORD count = 0;
            const BOOL first = row.write ? channel.Write(buffer, 9, &count, 10) : channel.Read(buffer, 9, &count, 10);
            EXPECT_FALSE(first) << row.name;
            EXPECT_EQ(device.traces, row.traces) << row.name;
            EXPECT_EQ(channel.LastError().empty(), row.traces == 0) << row.name << ": a failure worth a trace is kept";
            EXPECT_EQ(device.closed.size(), row.gone ? 1u : 0u) << row.name << ": handle closed at the failure";

            // Whatever the device would do now, a gone channel does nothing.
            device.error = 0;
            const int transfers = device.transfers;
            const BOOL read = channel.Read(buffer, 9, &count, 10);
            const DWORD readError = GetLastError();
            const BOOL write = channel.Write(buffer, 9, &count, 10);
            const DWORD writeError = GetLastError();
            if (row.gone) {
                EXPECT_FALSE(read) << row.name;
                EXPECT_FALSE(write) << row.name;
                EXPECT_EQ(readError, static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED)) << row.name;
                EXPECT_EQ(writeError, static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED)) << row.name;
                EXPECT_EQ(device.transfers, transfers) << row.name << ": no I/O after the device went";
                EXPECT_EQ(device.traces, row.traces) << row.name << ": no trace after the device went";
            } else {
                EXPECT_TRUE(read) << row.name;
                EXPECT_TRUE(write) << row.name;
                EXPECT_EQ(device.transfers, transfers + 2) << row.name;
            }
        }
        ASSERT_EQ(device.closed.size(), 1u) << row.name << ": closed once, at the latest with the channel";
        EXPECT_EQ(device.closed[0], ScriptedDevice::kFile) << row.name;
        EXPECT_EQ(device.strangeFiles, 0) << row.name;
    }
}

class SonixUsbLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        library_ = LoadLibraryW((vmouse::Dir() + L"HidSonixUSB.dll").c_str());
        ASSERT_TRUE(library_);
    }
    void TearDown() override {
        if (library_) FreeLibrary(library_);
    }
    template <typename Fn>
    Fn Bind(WORD ordinal) {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library_, MAKEINTRESOURCEA(ordinal))));
    }
    HMODULE library_ = nullptr;
};

TEST_F(SonixUsbLibraryTest, NoMouseMeansNoHandleAndStrangeHandlesAreRefused) {
    auto open = Bind<sonix::OpenFn>(sonix::kOpen);
    auto close = Bind<sonix::CloseFn>(sonix::kClose);
    auto read = Bind<sonix::ReadFn>(sonix::kReadInput);
    auto write = Bind<sonix::WriteFn>(sonix::kWriteOutput);
    auto inputLength = Bind<sonix::LengthFn>(sonix::kInputLength);
    auto outputLength = Bind<sonix::LengthFn>(sonix::kOutputLength);
    ASSERT_TRUE(open && close && read && write && inputLength && outputLength) << "all six ordinals";
    EXPECT_EQ(GetProcAddress(library_, sizeof(void*) == 4 ? "SnxOpen@8" : "SnxOpen"), nullptr) << "exported by ordinal only";

    EXPECT_EQ(open(sonix::kVendorId, sonix::kProductId), INVALID_HANDLE_VALUE);
    BYTE buffer[9] = {};
    DWORD count = 0;
    for (HANDLE bogus : {INVALID_HANDLE_VALUE, static_cast<HANDLE>(nullptr), reinterpret_cast<HANDLE>(0x100)}) {
        EXPECT_FALSE(read(bogus, buffer, 9, &count));
        EXPECT_FALSE(write(bogus, buffer, 9, &count));
        EXPECT_EQ(inputLength(bogus), 0u);
        EXPECT_EQ(outputLength(bogus), 0u);
        EXPECT_FALSE(close(bogus));
    }
}

TEST_F(SonixUsbLibraryTest, LinkOverTheHidLibraryFindsNoMouse) {
    MouseLink link(vmouse::Dir() + L"HidSonixUSB.dll");
    EXPECT_EQ(link.OpenMouse(), 0);
    const uint8_t request[9] = {0, 4, 0xAA, 0x55, 0, 0, 0, 0, 0};
    EXPECT_EQ(link.SendReport(request), 0);
}

}  // namespace
