#include "ui/ButtonsPage.h"

#include <commctrl.h>
#include <commdlg.h>

#include <string>

#include "i18n/Language.h"
#include "i18n/UserMessage.h"
#include "keys/Commands.h"
#include "keys/KeyNames.h"
#include "ui/KeyCaptureDialog.h"
#include "controls/Look.h"
#include "controls/SkinPicture.h"
#include "ui/Layout.h"
#include "ui/Messages.h"

struct ButtonsPage::Button {
    int list;
    int media;
    int edit;
    int slot;
    int small;
    int illustration;
    int defaultEntry;  // the template's selection before the store is shown
    POINT mediaAt;     // where its multimedia list goes, in dialog units
};

// In the order the store's configuration is shown: left, right, middle, 4, 5.
const ButtonsPage::Button ButtonsPage::kButtons[5] = {
    {IDC_BTN_LIST_LEFT, IDC_BTN_MEDIA_LEFT, IDC_BTN_KEY_LEFT, 0, IDC_BTN_SMALL_LEFT, IDB_ILLUSTRATION_LEFT, 2, {5, 39}},
    {IDC_BTN_LIST_RIGHT, IDC_BTN_MEDIA_RIGHT, IDC_BTN_KEY_RIGHT, 2, IDC_BTN_SMALL_RIGHT, IDB_ILLUSTRATION_RIGHT, 3,
     {218, 39}},
    {IDC_BTN_LIST_MIDDLE, IDC_BTN_MEDIA_MIDDLE, IDC_BTN_KEY_MIDDLE, 1, IDC_BTN_SMALL_MIDDLE, IDB_ILLUSTRATION_MIDDLE, 4,
     {5, 148}},
    {IDC_BTN_LIST_B4, IDC_BTN_MEDIA_B4, IDC_BTN_KEY_B4, 3, IDC_BTN_SMALL_B4, IDB_ILLUSTRATION_BUTTON4, 1, {5, 91}},
    {IDC_BTN_LIST_B5, IDC_BTN_MEDIA_B5, IDC_BTN_KEY_B5, 4, IDC_BTN_SMALL_B5, IDB_ILLUSTRATION_BUTTON5, 0, {218, 91}},
};

namespace {

constexpr int kUserDefinedEntry = 22;   // last entry of a function list
constexpr int kLastFixedEntry = 21;     // entries 0..21 stand for one item each
// A multimedia list's size in dialog units, its drop-down part included.
constexpr SIZE kMediaSize{80, 48};
// The profile buttons: the first one's place in picture pixels, and one
// step to the next, so they stand evenly at every scale.
constexpr int kProfileButtonStep = 34;
const int kProfileButtons[3] = {IDC_BTN_LOAD_DEFAULT, IDC_BTN_SAVE_CONFIG, IDC_BTN_LOAD_CONFIG};
const wchar_t kProfileFilter[] = L"Mirvostan Files (*.mvf)\0*.mvf\0\0";
const wchar_t kProfileExtension[] = L"mvf";

const COLORREF kKeyTextColour = RGB(0, 255, 128);
const COLORREF kLabelColour = RGB(0, 0, 0);
const COLORREF kSmallButtonKey = RGB(255, 20, 0);

// Labels, the order their texts are set in, and their text ids.
struct Label {
    int id;
    int textId;
};
const Label kLabels[] = {
    {IDC_BTN_LABEL_LEFT, STR_ID_L_BUTTON},   {IDC_BTN_LABEL_RIGHT, STR_ID_R_BUTTON},
    {IDC_BTN_LABEL_MIDDLE, STR_ID_M_BUTTON}, {IDC_BTN_LABEL_B4, STR_ID_BUTTON_4},
    {IDC_BTN_LABEL_B5, STR_ID_BUTTON_5},
};

// A profile the store would not take: the reason, shown without an owner.
void ShowProfileRefusal(ProfileStatus status) {
    if (status == ProfileStatus::InvalidFormat) ShowUserMessage(nullptr, GetUiText(STR_ID_INVALID_FORAT));
    if (status == ProfileStatus::UnsupportedVersion) ShowUserMessage(nullptr, GetUiText(STR_ID_UNSUPPORT_VERSION));
}

int ItemData(HWND list, int index) { return static_cast<int>(SendMessageW(list, CB_GETITEMDATA, index, 0)); }
int Selection(HWND list) { return static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0)); }

// The entry whose item data is item, among entries [0, last]; -1 when none.
int FindItem(HWND list, FunctionItem item, int last) {
    const int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count && i <= last; ++i)
        if (ItemData(list, i) == item) return i;
    return -1;
}

// The list's own visible style: every child of a hidden page reads as
// invisible to IsWindowVisible.
bool IsShown(HWND wnd) { return (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_VISIBLE) != 0; }

std::wstring WindowText(HWND wnd) {
    const int n = GetWindowTextLengthW(wnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(wnd, &text[0], n + 1);
    text.resize(static_cast<size_t>(n));
    return text;
}

// The page's pictures: its background (the template's control without an id)
// and the swap box's decoration.
const TemplatePicture kPictures[] = {{-1, IDB_BUTTONS_PAGE_BG}, {IDC_BTN_SWAP_DECOR, IDB_SWAP_DECOR}};

}  // namespace

ButtonsPage::ButtonsPage(DeviceStore& store, UploadOwner& uploads)
    : Page(IDD_BUTTONS_PAGE), store_(store), uploads_(uploads), layout_(&SystemKeyboardLayout()) {}

BOOL ButtonsPage::OnInitDialog() {
    for (const Button& b : kButtons) {
        FillFunctionList(Item(b.list));
        SendMessageW(Item(b.list), CB_SETCURSEL, b.defaultEntry, 0);
    }
    for (int i = 0; i < 5; ++i) {
        small_[i].Attach(Hwnd(), kButtons[i].small);
        small_[i].SetTextPainted(false, false);  // its text is its name
        small_[i].SetDrawBorder(false, false);
        for (int c : {SkinButton::kBackOver, SkinButton::kBackRest, SkinButton::kBackFocus})
            small_[i].SetColour(c, look::Colour(look::kCard), false);
        small_[i].SetShape(paint::Shape{4, 4, 0});
        small_[i].SetPlainFace(L"", SkinButton::Glyph::Eye);
        small_[i].SetBitmaps(IDB_SMALL_BUTTON, kSmallButtonKey);
        small_[i].SizeToContent();
    }
    AttachSkin();
    for (const Button& b : kButtons) ShowWindow(Item(b.edit), SW_HIDE);
    ShowWindow(Item(IDC_BTN_ILLUSTRATION), SW_HIDE);
    ShowStoreConfiguration();
    SetStaticTexts();
    LayOutOnPictures(Hwnd(), IDD_BUTTONS_PAGE, skin::DpiOf(Hwnd()), kPictures);
    PlaceProfileButtons(skin::DpiOf(Hwnd()));
    return TRUE;
}

// Lists, fields, the profile buttons and the swap box draw themselves in the skin.
void ButtonsPage::AttachSkin() {
    for (int i = 0; i < 5; ++i) {
        lists_[i].Attach(Hwnd(), kButtons[i].list);
        keys_[i].Attach(Hwnd(), kButtons[i].edit);
        keys_[i].SetTextColour(kKeyTextColour);
    }
    for (int i = 0; i < 3; ++i) profileButtons_[i].Attach(Hwnd(), kProfileButtons[i]);
    // The box alone: its label is the plate beside it.
    swap_.SetTextPainted(false);
    swap_.SetBackground(look::kField);
    swap_.Attach(Hwnd(), IDC_BTN_SWAP);
}

// The template's rounding would leave the gaps a pixel apart.
void ButtonsPage::PlaceProfileButtons(UINT dpi) {
    for (int i = 0; i < 3; ++i) {
        HWND b = Item(kProfileButtons[i]);
        RECT r{};
        GetWindowRect(b, &r);
        MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&r), 2);
        const int top = skin::Scale(PicturePixelsY(115) + i * kProfileButtonStep, dpi);
        SetWindowPos(b, nullptr, r.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

namespace {
// Without redrawing each entry as it comes: a list measures and scrolls
// itself again at every entry otherwise.
template <class Entries>
void Fill(HWND list, const Entries& entries) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const auto& e : entries) {
        const LRESULT i = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(GetUiText(e.textId).c_str()));
        SendMessageW(list, CB_SETITEMDATA, i, e.item);
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}
}  // namespace

void ButtonsPage::FillFunctionList(HWND list) { Fill(list, kFunctionList); }

void ButtonsPage::FillMediaList(HWND list) {
    Fill(list, kMultimediaList);
    ShowWindow(list, SW_HIDE);
    SendMessageW(list, CB_SETCURSEL, 1, 0);
}

HWND ButtonsPage::MediaIfMade(const Button& b) const { return Item(b.media); }

void ButtonsPage::OnDpiChanged(UINT dpi) {
    SetDialogFontAt(Hwnd(), IDD_BUTTONS_PAGE, dpi);
    for (SkinButton& small : small_) {
        small.SetBitmaps(IDB_SMALL_BUTTON, kSmallButtonKey);
        small.SizeToContent();
    }
    LayOutOnPictures(Hwnd(), IDD_BUTTONS_PAGE, dpi, kPictures);
    PlaceProfileButtons(dpi);
    for (const Button& b : kButtons) {
        if (HWND media = MediaIfMade(b))
            SetWindowPos(media, nullptr, skin::Scale(PicturePixelsX(b.mediaAt.x), dpi),
                         skin::Scale(PicturePixelsY(b.mediaAt.y), dpi), skin::Scale(PicturePixelsX(kMediaSize.cx), dpi),
                         skin::Scale(PicturePixelsY(kMediaSize.cy), dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (int i = 0; i < 5; ++i) {
        if (!illustrated_[i]) continue;
        illustrated_[i] = false;  // shown again at the new scale
        ToggleIllustration(i);
    }
    InvalidateRect(Hwnd(), nullptr, TRUE);
}

HWND ButtonsPage::Media(const Button& b) {
    if (HWND made = Item(b.media)) return made;
    const UINT dpi = skin::DpiOf(Hwnd());
    HWND list = Item(b.list);
    HWND media = CreateWindowExW(0, WC_COMBOBOXW, L"",
                                 WS_CHILD | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                                 skin::Scale(PicturePixelsX(b.mediaAt.x), dpi),
                                 skin::Scale(PicturePixelsY(b.mediaAt.y), dpi),
                                 skin::Scale(PicturePixelsX(kMediaSize.cx), dpi),
                                 skin::Scale(PicturePixelsY(kMediaSize.cy), dpi), Hwnd(),
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(b.media)), GetModuleHandleW(nullptr), nullptr);
    if (!media) return nullptr;
    media_[&b - kButtons].Attach(Hwnd(), b.media);
    SendMessageW(media, WM_SETFONT, SendMessageW(Hwnd(), WM_GETFONT, 0, 0), FALSE);
    // Right after its function list, in the tab order too.
    SetWindowPos(media, list, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    FillMediaList(media);
    return media;
}

void ButtonsPage::SetStaticTexts() {
    SetDlgItemTextW(Hwnd(), IDC_BTN_LOAD_CONFIG, GetUiText(STR_ID_LOAD_CONFIG).c_str());
    SetDlgItemTextW(Hwnd(), IDC_BTN_SAVE_CONFIG, GetUiText(STR_ID_SAVE_CONFIG).c_str());
    SetDlgItemTextW(Hwnd(), IDC_BTN_LOAD_DEFAULT, GetUiText(STR_ID_LOAD_DEFAULT).c_str());
    for (const Label& l : kLabels) {
        SetDlgItemTextW(Hwnd(), l.id, GetUiText(l.textId).c_str());
        RepaintLabel(l.id);
    }
    // Names for screen readers: the picture buttons say whose picture they
    // show; the swap box is too small to show its text and is named by it.
    static_assert(sizeof kLabels / sizeof kLabels[0] == 5, "one label per button, in the buttons' order");
    for (int i = 0; i < 5; ++i) {
        const std::wstring name = FillText(GetUiText(STR_ID_SHOW_PICTURE), GetUiText(kLabels[i].textId));
        SetWindowTextW(small_[i].Hwnd(), name.c_str());
    }
    SetDlgItemTextW(Hwnd(), IDC_BTN_SWAP, GetUiText(STR_ID_UP_DOWN_SWAP).c_str());
}

// A label on the hollow brush draws only its letters: the picture under it
// must be painted again first, or the old text stays.
void ButtonsPage::RepaintLabel(int id) {
    HWND label = Item(id);
    RECT r;
    GetWindowRect(label, &r);
    MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&r), 2);
    RedrawWindow(Hwnd(), &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void ButtonsPage::ShowStoreConfiguration() {
    for (const Button& b : kButtons) {
        HWND list = Item(b.list);
        HWND edit = Item(b.edit);
        const FunctionItem item = store_.GetFunctionItem(b.slot);
        ShowWindow(edit, SW_HIDE);
        if (store_.UnknownSlots() & SlotBit(b.slot)) {
            SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
            if (HWND media = MediaIfMade(b)) ShowWindow(media, SW_HIDE);
            continue;
        }
        if (item == kItemKeyCombination) {
            const std::wstring text =
                StoredCombinationText(store_.GetModifiers(b.slot), store_.GetKeyUsage(b.slot), *layout_);
            SetWindowTextW(edit, text.c_str());
            ShowWindow(edit, SW_SHOW);
            // A stored combination is shown, not typed: read-only, and clearly so
            // by its text rather than greyed.
            SendMessageW(edit, EM_SETREADONLY, TRUE, 0);
        }
        // "User-defined" is not searched: a media record always shows its list.
        const int entry = FindItem(list, item, kLastFixedEntry);
        if (entry >= 0) {
            SendMessageW(list, CB_SETCURSEL, entry, 0);
            if (HWND media = MediaIfMade(b)) ShowWindow(media, SW_HIDE);
        } else {
            // The multimedia list holds its entries in the table's order.
            int mediaEntry = -1;
            for (size_t i = 0; i < sizeof kMultimediaList / sizeof kMultimediaList[0]; ++i)
                if (item != kItemNone && kMultimediaList[i].item == item) mediaEntry = static_cast<int>(i);
            HWND media = mediaEntry >= 0 ? Media(b) : nullptr;
            if (media) {
                SendMessageW(list, CB_SETCURSEL, kUserDefinedEntry, 0);
                SendMessageW(list, CB_SETITEMDATA, kUserDefinedEntry, item);
                SendMessageW(media, CB_SETCURSEL, mediaEntry, 0);
                ShowWindow(media, SW_SHOW);
            }
        }
    }
    SetDlgItemTextW(Hwnd(), IDC_BTN_SWAP_LABEL, GetUiText(STR_ID_UP_DOWN_SWAP).c_str());
    RepaintLabel(IDC_BTN_SWAP_LABEL);
    CheckDlgButton(Hwnd(), IDC_BTN_SWAP, store_.IsWheelSwapped() ? BST_CHECKED : BST_UNCHECKED);
}

// Some list shows L-Button, or shows nothing (the mouse did not say; the
// apply then asks it before anything is sent).
bool ButtonsPage::LeftKeyRuleHolds() const {
    for (const Button& b : kButtons) {
        HWND list = Item(b.list);
        const int sel = Selection(list);
        if (sel < 0 || ItemData(list, sel) == kItemLeftButton) return true;
    }
    return false;
}

HWND ButtonsPage::EditOf(int slot) const {
    for (const Button& b : kButtons)
        if (b.slot == slot) return Item(b.edit);
    return nullptr;
}

void ButtonsPage::FunctionChosen(const Button& b) {
    HWND list = Item(b.list);
    HWND edit = Item(b.edit);
    editedSlot_ = b.slot;
    if (!LeftKeyRuleHolds()) {
        SendMessageW(list, CB_SETCURSEL, FindItem(list, kItemLeftButton, kLastFixedEntry), 0);
        ShowUserMessage(Hwnd(), GetUiText(STR_ID_NEED_LEFT_KEY));
        return;
    }
    const int sel = Selection(list);
    if (sel == kUserDefinedEntry) {
        HWND media = Media(b);
        if (media && !IsShown(media)) {
            // What the list shows is what the store holds: "Mute" at once.
            const MediaEntry& first = kMultimediaList[0];
            SendMessageW(media, CB_SETCURSEL, 0, 0);
            ShowWindow(media, SW_SHOW);
            ShowWindow(edit, SW_HIDE);
            SendMessageW(list, CB_SETITEMDATA, kUserDefinedEntry, first.item);
            store_.SetCommand(b.slot, Multimedia, first.bit);
        }
        return;
    }
    if (HWND media = MediaIfMade(b)) ShowWindow(media, SW_HIDE);
    ShowWindow(edit, SW_HIDE);
    const FunctionItem item = ItemData(list, sel);
    int group = 0;
    uint8_t number = 0;
    if (const int code = MouseCodeForItem(item)) {
        store_.SetMouseFunction(b.slot, code);
    } else if (CommandForItem(item, &group, &number)) {
        store_.SetCommand(b.slot, group, number);
    } else if (item == kItemKeyCombination) {
        SetWindowTextW(edit, L"");
        SendMessageW(edit, EM_SETREADONLY, FALSE, 0);
        EnableWindow(edit, TRUE);
        ShowWindow(edit, SW_SHOW);
        lastKey_ = 0;
        KeyCaptureDialog capture;
        capture.SetOwner(Hwnd());
        capture.Run();
    }
}

void ButtonsPage::MediaChosen(const Button& b) {
    HWND media = Item(b.media);
    editedSlot_ = b.slot;
    const int sel = Selection(media);
    if (sel < 0) return;
    const FunctionItem item = ItemData(media, sel);
    SendMessageW(Item(b.list), CB_SETITEMDATA, kUserDefinedEntry, item);
    for (const MediaEntry& e : kMultimediaList)
        if (e.item == item) store_.SetCommand(b.slot, Multimedia, e.bit);
}

void ButtonsPage::KeyPressed(unsigned vk, LPARAM data) {
    HWND edit = EditOf(editedSlot_);
    if (!edit) return;
    if (vk != VK_CONTROL && vk != VK_SHIFT && vk != VK_MENU && vk != VK_LWIN && vk != VK_RWIN) {
        lastKey_ = vk;
        lastKeyData_ = data;
    }
    wchar_t name[32] = {};
    const int n = GetKeyNameTextW(static_cast<LONG>(data), name, 32);
    const std::wstring current = WindowText(edit);
    const std::wstring text = CapturedKeyText(current, std::wstring(name, n > 0 ? n : 0), vk);
    SetWindowTextW(edit, text.c_str());
    SendMessageW(edit, EM_SETREADONLY, TRUE, 0);
}

void ButtonsPage::KeyCaptured(uint8_t modifiers, unsigned vk) {
    if (HWND edit = EditOf(editedSlot_)) SetFocus(edit);
    // The key goes in by the position pressed, which the mouse's usage names.
    const LPARAM data = vk == lastKey_ ? lastKeyData_ : 0;
    const unsigned key = vk ? PositionVirtualKey(vk, static_cast<unsigned>(data), *layout_) : 0;
    store_.SetCapturedKey(editedSlot_, 4, modifiers, key);
}

int ButtonsPage::ApplyPage() { return uploads_.ApplyButtons() == UploadOwner::Start::Started ? 1 : 0; }

void ButtonsPage::ToggleIllustration(int index) {
    HWND picture = Item(IDC_BTN_ILLUSTRATION);
    if (illustrated_[index]) {
        illustrated_[index] = false;
        ShowWindow(picture, SW_HIDE);
        return;
    }
    BitmapHandle bitmap(skin::LoadPicture(kButtons[index].illustration, skin::DpiOf(Hwnd())));
    SetWindowLongPtrW(picture, GWL_STYLE, WS_CHILD | WS_VISIBLE | SS_BITMAP);
    HGDIOBJ previous = reinterpret_cast<HGDIOBJ>(
        SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.Get())));
    // A picture the control made itself (a copy of ours) is ours to free.
    if (previous && previous != illustration_.Get() && previous != bitmap.Get()) DeleteObject(previous);
    illustration_ = std::move(bitmap);  // the old picture goes after the control let go of it
    for (bool& f : illustrated_) f = false;
    illustrated_[index] = true;
    InvalidateRect(picture, nullptr, TRUE);
}

void ButtonsPage::LoadDefaults() {
    if (ShowUserMessage(Hwnd(), GetUiText(STR_ID_RESET_TO_DEFAULT), MB_YESNO) != IDYES) return;
    store_.ResetTableToDefaults();
    ShowStoreConfiguration();
}

namespace {
// Runs the save or open dialog; the chosen path, or empty.
std::wstring AskProfilePath(HWND owner, bool save) {
    wchar_t path[MAX_PATH] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kProfileFilter;
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = kProfileExtension;
    ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER;
    const BOOL ok = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    return ok ? std::wstring(path) : std::wstring();
}
}  // namespace

void ButtonsPage::SaveConfig() {
    const std::wstring path = AskProfilePath(Hwnd(), true);
    if (path.empty()) return;
    const bool saved = store_.SaveProfile(path) == 1;
    ShowUserMessage(Hwnd(), GetUiText(saved ? STR_ID_SAVE_SUCCESS : STR_ID_SAVE_CONFIG_FAIL));
}

void ButtonsPage::LoadConfig() {
    const std::wstring path = AskProfilePath(Hwnd(), false);
    if (path.empty()) return;
    const ProfileStatus status = store_.LoadProfile(path);
    if (status != ProfileStatus::Accepted) {
        ShowProfileRefusal(status);
        return;
    }
    ShowStoreConfiguration();
    ShowUserMessage(Hwnd(), GetUiText(STR_ID_KEY_FUNCTION_UPDATED));
}

void ButtonsPage::WidenDropDown(HWND list) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
    WindowDC dc(list);
    SelectObjectScope select(dc.Get(), font);
    int widest = 0;
    const int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const LRESULT n = SendMessageW(list, CB_GETLBTEXTLEN, i, 0);
        if (n == CB_ERR) continue;
        std::wstring text(static_cast<size_t>(n) + 1, L'\0');
        SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        SIZE s{};
        GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(n), &s);
        if (s.cx > widest) widest = s.cx;
    }
    SIZE zero{};
    GetTextExtentPoint32W(dc.Get(), L"0", 1, &zero);
    SendMessageW(list, CB_SETDROPPEDWIDTH, widest + GetSystemMetrics(SM_CXVSCROLL) + zero.cx, 0);
}

bool ButtonsPage::OnCommand(int id, int code, HWND control) {
    for (int i = 0; i < 5; ++i) {
        const Button& b = kButtons[i];
        if (id == b.list || id == b.media) {
            if (code == CBN_DROPDOWN) WidenDropDown(control);
            if (code == CBN_SELCHANGE) {
                if (id == b.list) FunctionChosen(b);
                else MediaChosen(b);
            }
            return true;
        }
        if (id == b.small && code == BN_CLICKED) {
            ToggleIllustration(i);
            return true;
        }
    }
    switch (id) {
    case IDC_BTN_LOAD_DEFAULT:
        if (code == BN_CLICKED) LoadDefaults();
        return true;
    case IDC_BTN_SAVE_CONFIG:
        if (code == BN_CLICKED) SaveConfig();
        return true;
    case IDC_BTN_LOAD_CONFIG:
        if (code == BN_CLICKED) LoadConfig();
        return true;
    case IDC_BTN_SWAP:
        if (code == BN_CLICKED) store_.ToggleWheelSwap();
        return true;
    default:
        return Page::OnCommand(id, code, control);
    }
}

HBRUSH ButtonsPage::OnCtlColor(HDC dc, HWND control, UINT message) {
    if (look::Plain()) return look::PlainCtlColor(dc, message);
    const int id = GetDlgCtrlID(control);
    if (message != WM_CTLCOLORSTATIC && message != WM_CTLCOLORBTN) return nullptr;
    switch (id) {
    case IDC_BTN_LABEL_LEFT:
    case IDC_BTN_LABEL_RIGHT:
    case IDC_BTN_LABEL_MIDDLE:
    case IDC_BTN_LABEL_B4:
    case IDC_BTN_LABEL_B5:
    case IDC_BTN_SWAP_LABEL:
    case 0xFFFF:  // the pictures without an id
        SetTextColor(dc, kLabelColour);
        SetBkMode(dc, TRANSPARENT);
        return static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
    default:
        return nullptr;
    }
}

void ButtonsPage::RefreshPageTexts() {
    for (const Button& b : kButtons) {
        HWND list = Item(b.list);
        const int sel = Selection(list);
        const LRESULT userData = SendMessageW(list, CB_GETITEMDATA, kUserDefinedEntry, 0);
        FillFunctionList(list);
        SendMessageW(list, CB_SETITEMDATA, kUserDefinedEntry, userData);
        SendMessageW(list, CB_SETCURSEL, sel, 0);
    }
    for (const Button& b : kButtons) {
        HWND media = MediaIfMade(b);
        if (!media) continue;
        const int sel = Selection(media);
        const bool shown = IsShown(media);
        FillMediaList(media);
        SendMessageW(media, CB_SETCURSEL, sel, 0);
        // A button that shows "User-defined" keeps showing its choice.
        if (shown) ShowWindow(media, SW_SHOW);
    }
    SetStaticTexts();
    SetDlgItemTextW(Hwnd(), IDC_BTN_SWAP_LABEL, GetUiText(STR_ID_UP_DOWN_SWAP).c_str());
    RepaintLabel(IDC_BTN_SWAP_LABEL);
}

bool ButtonsPage::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_KEY_PRESSED:
        KeyPressed(static_cast<unsigned>(wp), lp);
        result = 0;
        return true;
    case WM_KEY_CAPTURED:
        KeyCaptured(static_cast<uint8_t>(wp), static_cast<unsigned>(lp));
        result = 0;
        return true;
    default:
        return false;
    }
}
