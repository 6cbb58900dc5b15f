// Two real programs' windows brought to the front in turn: the follower
// switches the mouse to each one's profile once it stayed in front, and
// the virtual mouse's transcript shows exactly those uploads.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../link/VirtualMouseFiles.h"
#include "config/DeviceStore.h"
#include "files/Profile.h"
#include "i18n/UserMessage.h"
#include "ui/ProfileFollower.h"
#include "ui/Uploads.h"

namespace {

// A test program's process and window; closed when the case ends, also
// when it fails early.
struct Program {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
    Program() = default;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program();
};

void Pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        const DWORD now = GetTickCount();
        if (static_cast<int32_t>(end - now) <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
    }
}

void Launch(const std::wstring& name, Program& p) {
    std::wstring command = L"\"" + vmouse::Dir() + name + L".exe\" " + name;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &p.process)) return;
    for (int i = 0; i < 100 && !p.window; ++i) {
        p.window = FindWindowW(L"MirvostanTestFrontWindow", name.c_str());
        if (!p.window) Sleep(50);
    }
}

Program::~Program() {
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    if (process.hProcess) {
        if (WaitForSingleObject(process.hProcess, 3000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
}

// Whether the system's foreground event ever reached the hook.
bool g_hookDelivered = false;

// Brings a window to the front and waits while the follower works. Where
// the system does not report the change to the hook (Wine 8 does not for
// other processes), the follower's own look at the window in front finds it.
void Front(ProfileFollower& follower, HWND window, DWORD ms) {
    const int seen = follower.HookEvents();
    SetForegroundWindow(window);
    Pump(ms);
    if (follower.HookEvents() != seen) g_hookDelivered = true;
}

// Records written to the mouse since the transcript's mark.
std::vector<vmouse::Bytes> RecordWrites(const vmouse::Transcript& t) {
    std::vector<vmouse::Bytes> writes;
    for (const vmouse::Bytes& b : t.Reports("out"))
        if (b[2] < kRecordCount) writes.push_back(b);
    return writes;
}

int g_boxes = 0;
int CountBox(HWND, const std::wstring&, UINT) { return ++g_boxes, IDOK; }

RecordArray WithCommand(int slot, uint8_t number) {
    RecordTable t;
    t.SetCommand(slot, 1, number);
    return t.Table();
}

}  // namespace

TEST(ProfileFollower, SwitchesOncePerSettledProgramAndNotForQuickBackAndForth) {
    SetUserMessageSink(CountBox);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // profiles are XML
    vmouse::Write(vmouse::FactoryMemory(), vmouse::Faults{});
    DeviceStore store;
    ASSERT_EQ(store.LoadFromDevice(), 1);

    const RecordArray alpha = WithCommand(3, 2);  // button 4: Copy
    const RecordArray beta = WithCommand(4, 3);   // button 5: Paste
    const std::wstring alphaFile = vmouse::Dir() + L"alpha profile.mvf";
    const std::wstring betaFile = vmouse::Dir() + L"beta.mvf";
    ASSERT_EQ(WriteProfileFile(alphaFile, alpha), 1);
    ASSERT_EQ(WriteProfileFile(betaFile, beta), 1);
    ProgramProfiles rules;
    rules.SetRule(L"alpha.exe", alphaFile);
    rules.SetRule(L"BETA.EXE", betaFile);
    rules.SetFollow(true);

    Program a, b;
    Launch(L"alpha", a);
    Launch(L"beta", b);
    ASSERT_TRUE(a.window && b.window) << "test programs did not open their windows";
    // One of our own windows, as the main window would be.
    HWND own = CreateWindowExW(0, L"STATIC", L"own", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                               nullptr);

    UploadOwner uploads(store);
    ProfileFollower follower(uploads);
    std::vector<std::wstring> statuses;
    follower.SetStatusSink([&](const std::wstring& text, bool) { statuses.push_back(text); });
    SetForegroundWindow(own);
    Pump(100);
    ASSERT_EQ(follower.SetProfiles(rules), 1);
    ASSERT_TRUE(follower.Following());

    struct Step {
        const char* what;
        std::vector<HWND> fronts;  // brought forward 200 ms apart, the last one stays
        const RecordArray* expected;  // nullptr: nothing written
    };
    const Step steps[] = {
        {"alpha in front", {a.window}, &alpha},
        {"beta in front", {b.window}, &beta},
        {"alpha for 200 ms, then beta again", {a.window, b.window}, nullptr},
        {"our own window", {own}, nullptr},
        {"back to beta from our window", {b.window}, nullptr},
        {"alpha again", {a.window}, &alpha},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        vmouse::Transcript transcript;
        for (size_t i = 0; i + 1 < s.fronts.size(); ++i) Front(follower, s.fronts[i], 200);
        Front(follower, s.fronts.back(), 1500);
        std::vector<vmouse::Bytes> writes = RecordWrites(transcript);
        if (!s.expected) {
            EXPECT_EQ(writes.size(), 0u);
            continue;
        }
        ASSERT_EQ(writes.size(), size_t(kRecordCount)) << "one upload of the whole table";
        for (int slot = 0; slot < kRecordCount; ++slot)
            EXPECT_EQ(writes[slot], vmouse::ToBytes((*s.expected)[slot])) << "slot " << slot;
        EXPECT_EQ(vmouse::ReadMemory().records[3], vmouse::ToBytes((*s.expected)[3]));
    }
    EXPECT_EQ(follower.UploadsStarted(), 3);
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.back(), L"profile alpha profile.mvf");
    EXPECT_EQ(g_boxes, 0) << "a switch never shows a message box";

    // Beta's rule now names what the mouse already holds: nothing is
    // written. Then alpha's profile is gone: nothing is written or shown.
    rules.SetRule(L"beta.exe", alphaFile);
    rules.SetRule(L"alpha.exe", vmouse::Dir() + L"gone.mvf");
    follower.SetProfiles(rules);
    for (HWND w : {b.window, a.window}) {
        vmouse::Transcript transcript;
        Front(follower, w, 1500);
        EXPECT_EQ(RecordWrites(transcript).size(), 0u) << (w == a.window ? "missing profile" : "same records");
    }
    EXPECT_EQ(follower.UploadsStarted(), 3);
    EXPECT_EQ(g_boxes, 0);

    // The mouse unplugged: the switch fails on the page and in the tip, never in a box.
    vmouse::Faults unplugged;
    unplugged.absent = 1;
    vmouse::Write(vmouse::ReadMemory(), unplugged);
    rules.SetRule(L"beta.exe", betaFile);
    follower.SetProfiles(rules);
    Front(follower, b.window, 1500);
    EXPECT_EQ(statuses.back(), L"profile switch failed");
    EXPECT_EQ(g_boxes, 0) << "a failed switch shows no message box";
    vmouse::Write(vmouse::ReadMemory(), vmouse::Faults{});

    rules.SetFollow(false);
    follower.SetProfiles(rules);
    EXPECT_FALSE(follower.Following());
    DestroyWindow(own);
    std::printf("foreground event delivered to the hook: %s\n", g_hookDelivered ? "yes" : "no (found by looking)");
    SetUserMessageSink(nullptr);
    CoUninitialize();
}

// A switch never replaces choices the user has not applied, and never
// uploads a profile without a left click; the program already in front
// when following starts counts as a change.
TEST(ProfileFollower, WaitsForUnappliedEditsAndRefusesAProfileWithoutLeftClick) {
    SetUserMessageSink(CountBox);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    vmouse::Write(vmouse::FactoryMemory(), vmouse::Faults{});
    DeviceStore store;
    ASSERT_EQ(store.LoadFromDevice(), 1);
    UploadOwner uploads(store);
    RecordArray noLeft = RecordTable::Defaults();
    noLeft[0] = WithCommand(0, 2)[0];  // Copy on the left, no left click anywhere
    const std::wstring alphaFile = vmouse::Dir() + L"alpha.mvf";
    const std::wstring noLeftFile = vmouse::Dir() + L"no left.mvf";
    ASSERT_EQ(WriteProfileFile(alphaFile, WithCommand(3, 2)), 1);
    ASSERT_EQ(WriteProfileFile(noLeftFile, noLeft), 1);
    Program a, b;
    Launch(L"alpha", a);
    Launch(L"beta", b);
    ASSERT_TRUE(a.window && b.window);

    // The user changed button 5 and has not applied it.
    store.SetCommand(4, 1, 3);
    const vmouse::Bytes edit = vmouse::ToBytes(store.Table()[4]);
    ProgramProfiles rules;
    rules.SetRule(L"alpha.exe", alphaFile);
    rules.SetRule(L"beta.exe", noLeftFile);
    rules.SetFollow(true);
    ProfileFollower follower(uploads);
    std::wstring status;
    follower.SetStatusSink([&](const std::wstring& text, bool) { status = text; });
    // Until the status says so, pumping (a loaded machine is slow to bring
    // windows forward).
    auto waitStatus = [&](const std::wstring& text) {
        for (int i = 0; i < 50 && status != text; ++i) Pump(100);
        return status;
    };
    // Beta, started last, may still come forward: until alpha stays there.
    for (int i = 0; i < 30 && GetForegroundWindow() != a.window; ++i) {
        SetForegroundWindow(a.window);
        Pump(100);
    }
    ASSERT_EQ(GetForegroundWindow(), a.window);
    vmouse::Transcript transcript;
    ASSERT_EQ(follower.SetProfiles(rules), 1);
    EXPECT_EQ(waitStatus(L"profile alpha.mvf is waiting: apply your changes first"),
              L"profile alpha.mvf is waiting: apply your changes first")
        << "alpha, in front at the start";
    EXPECT_TRUE(RecordWrites(transcript).empty());
    EXPECT_EQ(vmouse::ToBytes(store.Table()[4]), edit) << "the user's choice was replaced";

    // Applied: the waiting switch goes ahead.
    ASSERT_TRUE(store.UploadNow(UploadPolicy(store.Model()).Buttons()).Ok());
    EXPECT_EQ(waitStatus(L"profile alpha.mvf"), L"profile alpha.mvf");
    Pump(300);
    EXPECT_EQ(vmouse::ReadMemory().records[3], vmouse::ToBytes(WithCommand(3, 2)[3]));

    // A profile without a left click is never uploaded.
    vmouse::Transcript later;
    SetForegroundWindow(b.window);
    EXPECT_EQ(waitStatus(L"profile no left.mvf not used: no button is set to left click"),
              L"profile no left.mvf not used: no button is set to left click");
    EXPECT_TRUE(RecordWrites(later).empty());
    EXPECT_EQ(g_boxes, 0);
    rules.SetFollow(false);
    follower.SetProfiles(rules);
    SetUserMessageSink(nullptr);
    CoUninitialize();
}
