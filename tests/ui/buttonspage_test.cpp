// The buttons page hosted in a plain window, driven as a user would drive
// it: list choices with their notifications, clicks, keys, file dialogs.
// Results are read from the store and from the virtual mouse.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "PageHost.h"
#include "RecordHex.h"
#include "VirtualMouseFiles.h"
#include "config/DeviceStore.h"
#include "i18n/Language.h"
#include "link/Busy.h"
#include "resources/resource.h"
#include "ui/ButtonsPage.h"
#include "ui/Uploads.h"
#include "ui/Messages.h"

namespace {

using namespace pagetest;

struct ButtonIds {
    int list, media, edit, slot;
};
const ButtonIds kLeft{IDC_BTN_LIST_LEFT, IDC_BTN_MEDIA_LEFT, IDC_BTN_KEY_LEFT, 0};
const ButtonIds kMiddle{IDC_BTN_LIST_MIDDLE, IDC_BTN_MEDIA_MIDDLE, IDC_BTN_KEY_MIDDLE, 1};
const ButtonIds kRight{IDC_BTN_LIST_RIGHT, IDC_BTN_MEDIA_RIGHT, IDC_BTN_KEY_RIGHT, 2};
const ButtonIds kB4{IDC_BTN_LIST_B4, IDC_BTN_MEDIA_B4, IDC_BTN_KEY_B4, 3};
const ButtonIds kB5{IDC_BTN_LIST_B5, IDC_BTN_MEDIA_B5, IDC_BTN_KEY_B5, 4};
const ButtonIds kAllButtons[] = {kLeft, kMiddle, kRight, kB4, kB5};

constexpr int kKeyCombinationEntry = 21;
constexpr int kUserDefinedEntry = 22;
constexpr int kLButtonEntry = 2;

class ButtonsPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        vmouse::Write(vmouse::FactoryMemory(), vmouse::Faults{});
        LoadAppSettingsFrom(HerePath(L"AppCfg.ini"), 0x0409);
        SetUiLanguage(English);
        TheBusyEvent().SetIdle();
    }
    void TearDown() override {
        if (store_) store_->WaitTransfer(5000);
        Pump();
        page_.reset();
        uploads_.reset();
    }
    // A page over a store that read the virtual mouse.
    HWND Open(const vmouse::Memory& memory = vmouse::FactoryMemory(), vmouse::Faults faults = {}) {
        vmouse::Write(memory, faults);
        store_.reset(new DeviceStore());
        store_->LoadFromDevice();
        page_.reset();
        uploads_.reset(new UploadOwner(*store_));
        uploads_->SetWindow(host_.Wnd());
        page_.reset(new ButtonsPage(*store_, *uploads_));
        HWND page = page_->Create(host_.Wnd());
        EXPECT_NE(page, nullptr);
        ShowWindow(page, SW_SHOW);
        Pump();
        messages_.Clear();
        return page;
    }
    std::string Record(int slot) const { return Hex(store_->Table()[slot]); }
    // Opens the key capture dialog with "Key Combination", runs the steps in it.
    void CaptureWith(HWND page, const ButtonIds& b, std::vector<ModalAction::Action> steps) {
        ModalAction inDialog(std::move(steps));
        Choose(page, b.list, kKeyCombinationEntry);
        EXPECT_TRUE(inDialog.Ran()) << "the key capture dialog did not open";
        EXPECT_FALSE(inDialog.TimedOut()) << "the key capture dialog did not end";
    }

    Host host_;
    Messages messages_;
    std::unique_ptr<DeviceStore> store_;
    std::unique_ptr<UploadOwner> uploads_;
    std::unique_ptr<ButtonsPage> page_;
};

struct EntryRow {
    int entry;
    const wchar_t* text;
    int type, code, usage;
};
// Each fixed entry of a function list and the record it writes.
const EntryRow kEntries[] = {
    {0, L"IE Backward Button", 0, 8, 0},   {1, L"IE Forward Button", 0, 16, 0},
    {2, L"L-Button", 0, 1, 0},             {3, L"R-Button", 0, 2, 0},
    {4, L"Wheel Button", 0, 4, 0},         {5, L"Double Click", 0, 128, 0},
    {6, L"Cut", 1, 0x01, 0x1B},            {7, L"Copy", 1, 0x01, 0x06},
    {8, L"Paste", 1, 0x01, 0x19},          {9, L"Delete", 1, 0x00, 0x4C},
    {10, L"Select All", 1, 0x01, 0x04},    {11, L"New", 1, 0x01, 0x11},
    {12, L"Print", 1, 0x01, 0x13},         {13, L"Find", 1, 0x01, 0x09},
    {14, L"Save", 1, 0x01, 0x16},          {15, L"Switch Window", 1, 0x04, 0x2B},
    {16, L"Close Window", 1, 0x01, 0x1A},  {17, L"Explorer", 1, 0x08, 0x08},
    {18, L"Run", 1, 0x08, 0x15},           {19, L"Desktop", 1, 0x08, 0x07},
    {20, L"Minimize Window", 1, 0x08, 0x10},
};

TEST_F(ButtonsPageTest, EveryFunctionEntryOfEveryButtonWritesItsRecord) {
    HWND page = Open();
    for (const ButtonIds& b : kAllButtons) {
        // Another button keeps "L-Button" while this one walks its list.
        const ButtonIds& keeper = b.slot == kB4.slot ? kB5 : kB4;
        Choose(page, keeper.list, kLButtonEntry);
        HWND list = GetDlgItem(page, b.list);
        ASSERT_EQ(SendMessageW(list, CB_GETCOUNT, 0, 0), 23);
        EXPECT_EQ(EntryText(list, kKeyCombinationEntry), L"Key Combination");
        EXPECT_EQ(EntryText(list, kUserDefinedEntry), L"User-defined");
        for (const EntryRow& row : kEntries) {
            EXPECT_EQ(EntryText(list, row.entry), row.text) << "slot " << b.slot << " entry " << row.entry;
            Choose(page, b.list, row.entry);
            EXPECT_EQ(Record(b.slot), Rec(b.slot, row.type, row.code, row.usage))
                << "slot " << b.slot << " entry " << row.entry;
        }
    }
    EXPECT_EQ(Messages::Joined(), L"");
}

TEST_F(ButtonsPageTest, LeftKeyRule) {
    // L-Button only on the left: removing it is refused.
    HWND page = Open();
    const std::string before = Record(0);
    Choose(page, kLeft.list, 7);  // Copy
    EXPECT_EQ(Selection(page, kLeft.list), kLButtonEntry);
    EXPECT_EQ(Record(0), before);
    EXPECT_EQ(Messages::Joined(), L"[Need at least one Mouse Left Key!!!]");

    // With L-Button also on button 4 the same choice is taken.
    Messages::Clear();
    Choose(page, kB4.list, kLButtonEntry);
    Choose(page, kLeft.list, 7);
    EXPECT_EQ(Selection(page, kLeft.list), 7);
    EXPECT_EQ(Record(0), Rec(0, 1, 0x01, 0x06));
    EXPECT_EQ(Messages::Joined(), L"");

    // A configuration without any L-Button is not uploaded.
    store_->SetCommand(3, 1, 2);
    page_->ShowStoreConfiguration();
    vmouse::Transcript transcript;
    EXPECT_EQ(page_->ApplyPage(), 0);
    Pump(200);
    EXPECT_EQ(Messages::Joined(), L"[Need at least one Mouse Left Key!!!]");
    EXPECT_TRUE(transcript.Reports("out").empty());
}

TEST_F(ButtonsPageTest, UserDefinedShowsTheMediaListAndWritesItsChoice) {
    HWND page = Open();
    EXPECT_EQ(GetDlgItem(page, kRight.media), nullptr) << "made when first needed";
    Choose(page, kRight.list, kUserDefinedEntry);
    HWND media = GetDlgItem(page, kRight.media);
    EXPECT_TRUE(IsWindowVisible(media));
    EXPECT_EQ(Text(media), L"Mute");
    EXPECT_EQ(Record(2), Rec(2, 2, 64));
    Choose(page, kRight.media, 6);  // Volume Up
    EXPECT_EQ(Record(2), Rec(2, 2, 16));
    // Shown again from the store: "User-defined" with its entry.
    page_->ShowStoreConfiguration();
    EXPECT_EQ(Selection(page, kRight.list), kUserDefinedEntry);
    EXPECT_EQ(Text(media), L"Volume Up");
    EXPECT_TRUE(IsWindowVisible(media));
}

TEST_F(ButtonsPageTest, StoredRecordsAreShown) {
    vmouse::Memory memory = vmouse::FactoryMemory();
    memory.records[3] = {0x00, 0x04, 0x03, 0x01, 0x05, 0x00, 0x14, 0x00, 0x00};  // Ctrl+Alt+Q
    memory.records[4] = {0x00, 0x04, 0x04, 0x02, 0x10, 0x00, 0x00, 0x00, 0x00};  // Volume Up
    HWND page = Open(memory);
    HWND edit = GetDlgItem(page, kB4.edit);
    EXPECT_EQ(Text(GetDlgItem(page, kB4.list)), L"Key Combination");
    EXPECT_TRUE(IsWindowVisible(edit));
    EXPECT_NE(GetWindowLongW(edit, GWL_STYLE) & ES_READONLY, 0) << "shown, not typed into";
    EXPECT_EQ(Text(edit), L"Ctrl+Alt+Q");
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, kLeft.edit)));
    EXPECT_EQ(Selection(page, kB5.list), kUserDefinedEntry);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, kB5.media)));
    EXPECT_EQ(Text(GetDlgItem(page, kB5.media)), L"Volume Up");
}

void Key(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof(in));
}

TEST_F(ButtonsPageTest, CapturedCombinationReachesTheStore) {
    HWND page = Open();
    CaptureWith(page, kMiddle, {[](HWND dialog) { SetForegroundWindow(dialog); },
                                [](HWND) { Key(VK_LCONTROL, false); }, [](HWND) { Key('C', false); },
                                [](HWND) { Key('C', true); }});
    Key(VK_LCONTROL, true);
    Pump();
    EXPECT_EQ(Record(1), Rec(1, 1, 0x01, 0x06));
    HWND edit = GetDlgItem(page, kMiddle.edit);
    EXPECT_TRUE(IsWindowVisible(edit));
    EXPECT_NE(GetWindowLongW(edit, GWL_STYLE) & ES_READONLY, 0);
    EXPECT_EQ(Text(edit).substr(Text(edit).size() - 2), L"+C") << "running text: " << std::string(Text(edit).begin(), Text(edit).end());
}

// A keyboard layout as the test describes it.
class TableLayout : public KeyboardLayout {
public:
    // virtual key -> scan code, and scan code -> key name.
    TableLayout(std::map<unsigned, unsigned> scans, std::map<unsigned, std::wstring> names)
        : scans_(std::move(scans)), names_(std::move(names)) {}
    unsigned ScanCodeForVirtualKey(unsigned vk) const override {
        auto it = scans_.find(vk);
        return it == scans_.end() ? 0 : it->second;
    }
    std::wstring KeyName(unsigned scan) const override {
        auto it = names_.find(scan);
        return it == names_.end() ? std::wstring() : it->second;
    }

private:
    std::map<unsigned, unsigned> scans_;
    std::map<unsigned, std::wstring> names_;
};

// German: Y and Z change places. French: A/Q, Z/W change places, M sits
// where the US layout has the semicolon.
const TableLayout kGerman({{'Z', 0x15}, {'Y', 0x2C}, {VK_OEM_5, 0x29}},
                          {{0x15, L"Z"}, {0x2C, L"Y"}, {0x10, L"Q"}, {0x29, L"^"}});
const TableLayout kFrench({{'A', 0x10}, {'Q', 0x1E}, {'Z', 0x11}, {'W', 0x2C}, {'M', 0x27}},
                          {{0x10, L"A"}, {0x1E, L"Q"}, {0x11, L"Z"}, {0x2C, L"W"}, {0x27, L"M"}});
const TableLayout kNoNames({}, {});

struct LayoutRow {
    const char* name;
    const KeyboardLayout* layout;
    unsigned vk;
    unsigned scan;  // in the key data; 0: none came
    int modifiers;
    int usage;               // what the mouse is to send
    const wchar_t* shown;    // the stored combination, shown again
};
const LayoutRow kLayoutRows[] = {
    {"German Ctrl+Z is the Y position", &kGerman, 'Z', 0x15, 0x01, 0x1C, L"Ctrl+Z"},
    {"German Z without key data", &kGerman, 'Z', 0, 0x01, 0x1C, L"Ctrl+Z"},
    {"German Y", &kGerman, 'Y', 0x2C, 0x02, 0x1D, L"Shift+Y"},
    {"German ^ left of 1 (VK_OEM_5 there) is the grave position", &kGerman, VK_OEM_5, 0x29, 0x00, 0x35, L"^"},
    {"French A is the Q position", &kFrench, 'A', 0x10, 0x01, 0x14, L"Ctrl+A"},
    {"French W is the Z position", &kFrench, 'W', 0x2C, 0x00, 0x1D, L"W"},
    {"French M is the semicolon position", &kFrench, 'M', 0x27, 0x04, 0x33, L"Alt+M"},
    {"names from the usage table where the layout has none", &kNoNames, VK_F13, 0x64, 0x01, 0x68, L"Ctrl+F13"},
    {"F24", &kNoNames, VK_F24, 0x76, 0x00, 0x73, L"F24"},
    {"key left of Z", &kNoNames, VK_OEM_102, 0x56, 0x00, 0x64, L"Non-US \\"},
    {"numpad 5 without NumLock", &kNoNames, VK_CLEAR, 0x4C, 0x00, 0x5D, L"Num 5"},
    {"Ctrl+Pause", &kNoNames, VK_CANCEL, 0x46, 0x01, 0x48, L"Ctrl+Pause"},
    {"a navigation key stays what it is", &kGerman, VK_HOME, 0x47, 0x00, 0x4A, L"Home"},
};

TEST_F(ButtonsPageTest, CapturedKeysGoInByPositionAndAreNamedInTheUsersLayout) {
    HWND page = Open();
    for (const LayoutRow& row : kLayoutRows) {
        page_->SetKeyboardLayout(row.layout);
        // What the key capture dialog reports for the key.
        CaptureWith(page, kRight, {[&](HWND dialog) {
                        SendMessageW(page, WM_KEY_PRESSED, row.vk, static_cast<LPARAM>(row.scan << 16 | 1));
                        SendMessageW(page, WM_KEY_CAPTURED, row.modifiers, row.vk);
                        EndDialog(dialog, IDCANCEL);
                    }});
        EXPECT_EQ(Record(2), Rec(2, 1, row.modifiers, row.usage)) << row.name;
        page_->ShowStoreConfiguration();
        EXPECT_EQ(Text(GetDlgItem(page, kRight.edit)), row.shown) << row.name;
    }
}

// The common file dialog: types a name and presses OK, or cancels.
ModalAction::Action FileDialog(const std::wstring& name) {
    return [name](HWND dialog) {
        if (name.empty()) {
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        // The name field is an edit (edt1) or a combo box (cmb13).
        if (!SetDlgItemTextW(dialog, 0x480, name.c_str())) SetDlgItemTextW(dialog, 0x47C, name.c_str());
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
}

TEST_F(ButtonsPageTest, ProfilesSaveLoadAndDefaults) {
    const std::wstring base = HerePath(L"page-profile");
    DeleteFileW((base + L".mvf").c_str());
    HWND page = Open();
    Choose(page, kB4.list, kLButtonEntry);
    Choose(page, kLeft.list, 7);  // Copy
    Click(page, IDC_BTN_SWAP);
    ASSERT_EQ(store_->IsWheelSwapped(), 1);
    const RecordArray saved = store_->Table();
    {
        // Typed without extension: the profile's own is added.
        ModalAction save(FileDialog(base));
        Click(page, IDC_BTN_SAVE_CONFIG);
        ASSERT_TRUE(PumpUntil([&] { return save.Ran() && !Messages::Texts().empty(); }));
    }
    EXPECT_EQ(Messages::Joined(), L"[Save Success]");
    EXPECT_NE(GetFileAttributesW((base + L".mvf").c_str()), INVALID_FILE_ATTRIBUTES);

    // Load Default Config answered No changes nothing; Yes shows the defaults.
    messages_.Clear();
    messages_.SetAnswer(IDNO);
    Click(page, IDC_BTN_LOAD_DEFAULT);
    EXPECT_EQ(Messages::Joined(), L"[Reset to default?]");
    EXPECT_EQ(Record(0), Hex(saved[0]));
    EXPECT_EQ(Selection(page, kLeft.list), 7);
    messages_.SetAnswer(IDYES);
    Click(page, IDC_BTN_LOAD_DEFAULT);
    EXPECT_EQ(Record(0), Rec(0, 0, 1));
    EXPECT_EQ(Selection(page, kLeft.list), kLButtonEntry);
    EXPECT_EQ(IsDlgButtonChecked(page, IDC_BTN_SWAP), BST_UNCHECKED);

    // A cancelled dialog does nothing.
    messages_.Clear();
    messages_.SetAnswer(IDOK);
    for (int button : {IDC_BTN_LOAD_CONFIG, IDC_BTN_SAVE_CONFIG}) {
        ModalAction cancel(FileDialog(L""));
        Click(page, button);
        EXPECT_TRUE(cancel.Ran());
    }
    Pump();
    EXPECT_EQ(Messages::Joined(), L"");
    EXPECT_EQ(Record(0), Rec(0, 0, 1));

    // Loading shows the loaded configuration.
    {
        ModalAction load(FileDialog(base));
        Click(page, IDC_BTN_LOAD_CONFIG);
        ASSERT_TRUE(PumpUntil([&] { return load.Ran() && !Messages::Texts().empty(); }));
    }
    EXPECT_EQ(Messages::Joined(), L"[Key function updated]");
    for (int slot = 0; slot < kRecordCount; ++slot) EXPECT_EQ(Record(slot), Hex(saved[slot])) << "slot " << slot;
    EXPECT_EQ(Selection(page, kLeft.list), 7);
    EXPECT_EQ(Selection(page, kB4.list), kLButtonEntry);
    EXPECT_EQ(IsDlgButtonChecked(page, IDC_BTN_SWAP), BST_CHECKED);
}

struct RefusedRow {
    const char* name;
    const char* content;
    const wchar_t* shown;
};
const RefusedRow kRefused[] = {
    {"newer version", "<Mirvostan><Version>2</Version><MouseFun/></Mirvostan>", L"[Unsupport version!]"},
    {"no version", "<Mirvostan><MouseFun/></Mirvostan>", L"[Invalid Format!]"},
};

TEST_F(ButtonsPageTest, RefusedProfileSaysWhyAndChangesNothing) {
    HWND page = Open();
    Choose(page, kB4.list, kLButtonEntry);
    const RecordArray before = store_->Table();
    for (const RefusedRow& row : kRefused) {
        const std::wstring path = HerePath(L"refused.mvf");
        {
            FILE* f = _wfopen(path.c_str(), L"wb");
            ASSERT_NE(f, nullptr);
            fputs(row.content, f);
            fclose(f);
        }
        Messages::Clear();
        ModalAction load(FileDialog(path));
        Click(page, IDC_BTN_LOAD_CONFIG);
        EXPECT_TRUE(load.Ran()) << row.name;
        Pump();
        EXPECT_EQ(Messages::Joined(), row.shown) << row.name;
        for (int slot = 0; slot < kRecordCount; ++slot) EXPECT_EQ(Record(slot), Hex(before[slot])) << row.name;
        EXPECT_EQ(Selection(page, kB4.list), kLButtonEntry) << row.name;
    }
}

bool WaitCursorShown(HWND host, HWND page) {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    const LRESULT handled = SendMessageW(host, WM_SETCURSOR, reinterpret_cast<WPARAM>(GetDlgItem(page, IDC_BTN_LIST_LEFT)),
                                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return handled && GetCursor() == LoadCursorW(nullptr, IDC_WAIT);
}

TEST_F(ButtonsPageTest, ApplyIsReportedByItsMessageWithTheWaitCursorMeanwhile) {
    vmouse::Faults slow;
    slow.latencyMs = 8;
    HWND page = Open(vmouse::FactoryMemory(), slow);
    // The left click stays on the left button, so no keep question comes.
    Choose(page, kRight.list, 7);
    vmouse::Transcript transcript;
    EXPECT_FALSE(WaitCursorShown(host_.Wnd(), page));
    ASSERT_EQ(page_->ApplyPage(), 1);
    EXPECT_TRUE(WaitCursorShown(host_.Wnd(), page));
    ASSERT_TRUE(PumpUntil([] { return !Messages::Texts().empty(); }));
    EXPECT_EQ(Messages::Joined(), L"[operation ok.]");
    EXPECT_FALSE(WaitCursorShown(host_.Wnd(), page));
    EXPECT_EQ(vmouse::ReadMemory().records[2], (vmouse::Bytes{0x00, 0x04, 0x02, 0x01, 0x01, 0x00, 0x06, 0x00, 0x00}));
    EXPECT_EQ(transcript.Reports("out").size(), 20u);
}

TEST_F(ButtonsPageTest, UnpluggedMouseShowsFailAfterText44) {
    HWND page = Open();
    vmouse::Faults unplugged;
    unplugged.absent = 1;
    vmouse::Write(vmouse::ReadMemory(), unplugged);
    (void)page;
    ASSERT_EQ(page_->ApplyPage(), 1);
    ASSERT_TRUE(PumpUntil([] { return Messages::Texts().size() >= 2; }));
    Pump(100);
    EXPECT_EQ(Messages::Joined(), L"[" + GetUiText(STR_ID_CANT_OPEN_USB) + L"][Operation fail]");
}

TEST_F(ButtonsPageTest, LanguageSwitchKeepsEverySelectionAndChangesTheTexts) {
    HWND page = Open();
    Choose(page, kB4.list, kLButtonEntry);
    Choose(page, kLeft.list, kUserDefinedEntry);
    Choose(page, kLeft.media, 4);
    Choose(page, kLeft.list, 7);  // the multimedia list hides with its own choice
    Choose(page, kRight.list, kUserDefinedEntry);
    Choose(page, kRight.media, 6);
    Choose(page, kB5.list, 15);
    const RecordArray before = store_->Table();
    std::map<int, int> selections;
    for (const ButtonIds& b : kAllButtons) {
        selections[b.list] = Selection(page, b.list);
        selections[b.media] = Selection(page, b.media);
    }
    // The switch is made from another page: this one is hidden meanwhile.
    ShowWindow(page, SW_HIDE);
    SetUiLanguage(German);
    page_->RefreshPageTexts();
    ShowWindow(page, SW_SHOW);
    for (const auto& s : selections) EXPECT_EQ(Selection(page, s.first), s.second) << "control " << s.first;
    EXPECT_EQ(Text(GetDlgItem(page, kLeft.list)), GetUiText(STR_ID_COPY));
    EXPECT_NE(GetUiText(STR_ID_COPY), L"Copy");
    EXPECT_EQ(Text(GetDlgItem(page, IDC_BTN_LOAD_DEFAULT)), GetUiText(STR_ID_LOAD_DEFAULT));
    EXPECT_EQ(Text(GetDlgItem(page, IDC_BTN_LABEL_B5)), GetUiText(STR_ID_BUTTON_5));
    EXPECT_EQ(Text(GetDlgItem(page, IDC_BTN_SWAP_LABEL)), GetUiText(STR_ID_UP_DOWN_SWAP));
    EXPECT_NE(Text(GetDlgItem(page, IDC_BTN_LOAD_DEFAULT)), L"Load Default Config");
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, kRight.media)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, kLeft.media)));
    // "User-defined" picked again keeps the user's choice, no Mute over it.
    Choose(page, kRight.list, kUserDefinedEntry);
    for (int slot = 0; slot < kRecordCount; ++slot) EXPECT_EQ(Record(slot), Hex(before[slot])) << "slot " << slot;
    SetUiLanguage(English);
}

}  // namespace
