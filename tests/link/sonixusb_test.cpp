// The HID SonixUSB.DLL. Without hardware: its report channel runs over a
// message-mode named pipe (one message = one report, like a HID interface),
// and the library itself is checked with no mouse attached.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

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
    EXPECT_EQ(GetProcAddress(library_, "SnxOpen@8"), nullptr) << "exported by ordinal only";

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
