#include "ui/ProfilesPage.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>

#include "controls/Look.h"
#include "controls/SkinPicture.h"
#include "i18n/Language.h"
#include "i18n/UserMessage.h"
#include "resources/resource.h"
#include "ui/Layout.h"

namespace {

// Texts that tell of a problem, on the skin's plates.
constexpr COLORREF kMissing = RGB(255, 150, 90);
constexpr COLORREF kFailed = RGB(255, 110, 90);

std::wstring OpenFileDialog(HWND owner, bool program) {
    wchar_t path[MAX_PATH * 4] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = program ? L"*.exe\0*.exe\0" : L"Mirvostan Files (*.mvf)\0*.mvf\0";
    ofn.lpstrDefExt = program ? L"exe" : L"mvf";
    ofn.lpstrFile = path;
    ofn.nMaxFile = static_cast<DWORD>(sizeof(path) / sizeof(path[0]));
    ofn.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    return GetOpenFileNameW(&ofn) ? std::wstring(path) : std::wstring();
}

BOOL CALLBACK CollectProgram(HWND wnd, LPARAM out) {
    if (!IsWindowVisible(wnd) || GetWindow(wnd, GW_OWNER) || GetWindowTextLengthW(wnd) == 0) return TRUE;
    DWORD process = 0;
    GetWindowThreadProcessId(wnd, &process);
    if (process == GetCurrentProcessId()) return TRUE;
    std::wstring name = ProfileFollower::ProgramOfWindow(wnd);
    auto& names = *reinterpret_cast<std::vector<std::wstring>*>(out);
    if (name.empty()) return TRUE;
    for (const std::wstring& n : names)
        if (SameProgram(n, name)) return TRUE;
    names.push_back(name);
    return TRUE;
}

std::wstring ComboText(HWND combo) {
    const int n = GetWindowTextLengthW(combo);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(combo, &text[0], n + 1);
    text.resize(static_cast<size_t>(n));
    return text;
}

}  // namespace

ProfilesPage::ProfilesPage(ProgramProfiles& profiles, ProfileFollower& follower)
    : Page(IDD_THIRD_PAGE), profiles_(profiles), follower_(follower) {}

std::vector<std::wstring> ProfilesPage::ProgramsWithWindows() {
    std::vector<std::wstring> names;
    EnumWindows(CollectProgram, reinterpret_cast<LPARAM>(&names));
    return names;
}

BOOL ProfilesPage::OnInitDialog() {
    HWND list = Item(IDC_PROF_RULES);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.pszText = const_cast<wchar_t*>(L"");
    ListView_InsertColumn(list, 0, &column);
    ListView_InsertColumn(list, 1, &column);
    follow_.Attach(Hwnd(), IDC_PROF_FOLLOW);
    rules_.Attach(Hwnd(), IDC_PROF_RULES);
    program_.Attach(Hwnd(), IDC_PROF_PROGRAM);
    default_.Attach(Hwnd(), IDC_PROF_DEFAULT);
    const int buttons[] = {IDC_PROF_BROWSE, IDC_PROF_ADD, IDC_PROF_REMOVE, IDC_PROF_CHOOSE_DEFAULT, IDC_PROF_CLEAR_DEFAULT};
    for (int i = 0; i < 5; ++i) buttons_[i].Attach(Hwnd(), buttons[i]);
    LayOut(skin::DpiOf(Hwnd()));

    RefreshPageTexts();
    FillPrograms();
    return TRUE;
}

void ProfilesPage::OnDpiChanged(UINT dpi) {
    LayOut(dpi);
    ShowDefault();
    InvalidateRect(Hwnd(), nullptr, TRUE);
}

// On the page's picture as the other pages, the rules' columns over the list's width.
void ProfilesPage::LayOut(UINT dpi) {
    const TemplatePicture pictures[] = {{-1, IDB_PROFILES_PAGE_BG}};
    LayOutOnPictures(Hwnd(), IDD_THIRD_PAGE, dpi, pictures);
    HWND list = Item(IDC_PROF_RULES);
    RECT r{};
    GetClientRect(list, &r);
    const int first = (r.right - r.left) * 3 / 10;
    ListView_SetColumnWidth(list, 0, first);
    ListView_SetColumnWidth(list, 1, r.right - r.left - first - GetSystemMetrics(SM_CXVSCROLL));
}

void ProfilesPage::SetTexts() {
    const struct {
        int control, text;
    } texts[] = {{IDC_PROF_FOLLOW, STR_ID_FOLLOW_PROGRAM},       {IDC_PROF_PROGRAM_LABEL, STR_ID_PROGRAM},
                 {IDC_PROF_BROWSE, STR_ID_BROWSE_PROGRAM},      {IDC_PROF_ADD, STR_ID_ADD_RULE},
                 {IDC_PROF_REMOVE, STR_ID_REMOVE_RULE},         {IDC_PROF_DEFAULT_LABEL, STR_ID_DEFAULT_PROFILE},
                 {IDC_PROF_CHOOSE_DEFAULT, STR_ID_CHOOSE_PROFILE}, {IDC_PROF_CLEAR_DEFAULT, STR_ID_CLEAR_PROFILE},
                 {IDC_PROF_RULES_NAME, STR_ID_PROFILES}};  // the rule list's name, for screen readers
    for (const auto& t : texts) SetDlgItemTextW(Hwnd(), t.control, GetUiText(t.text).c_str());
    HWND list = Item(IDC_PROF_RULES);
    const int headers[] = {STR_ID_PROGRAM, STR_ID_PROFILE_FILE};
    for (int i = 0; i < 2; ++i) {
        std::wstring text = GetUiText(headers[i]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = &text[0];
        ListView_SetColumn(list, i, &column);
    }
}

void ProfilesPage::RefreshPageTexts() {
    SetTexts();
    CheckDlgButton(Hwnd(), IDC_PROF_FOLLOW, profiles_.Follow() ? BST_CHECKED : BST_UNCHECKED);
    FillRules();
    ShowDefault();
}

// A rule whose file is gone says so in its row; the follower passes over it.
void ProfilesPage::FillRules() {
    HWND list = Item(IDC_PROF_RULES);
    ListView_DeleteAllItems(list);
    int row = 0;
    for (const ProgramRule& rule : profiles_.Rules()) {
        std::wstring program = rule.program;
        std::wstring profile =
            ProfileFileExists(rule.profile) ? rule.profile : FillText(GetUiText(STR_ID_FILE_MISSING), rule.profile);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = &program[0];
        ListView_InsertItem(list, &item);
        ListView_SetItemText(list, row, 1, &profile[0]);
        ++row;
    }
}

void ProfilesPage::FillPrograms() {
    HWND combo = Item(IDC_PROF_PROGRAM);
    const std::wstring typed = ComboText(combo);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& name : ProgramsWithWindows())
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    SetWindowTextW(combo, typed.c_str());
}

void ProfilesPage::ShowDefault() {
    const std::wstring& path = profiles_.DefaultProfile();
    std::wstring text = path.empty()                 ? GetUiText(STR_ID_NO_PROFILE)
                        : ProfileFileExists(path) ? path
                                                  : FillText(GetUiText(STR_ID_FILE_MISSING), path);
    SetDlgItemTextW(Hwnd(), IDC_PROF_DEFAULT, text.c_str());
    const bool missing = !path.empty() && !ProfileFileExists(path);
    default_.SetTextColour(missing && !look::Plain() ? kMissing : CLR_INVALID);
}

void ProfilesPage::Store() {
    if (!profiles_.Save(AppSettingsPath())) ShowUserMessage(Hwnd(), GetUiText(STR_ID_SAVE_CONFIG_FAIL));
    follower_.SetProfiles(profiles_);
}

std::wstring ProfilesPage::Choose(bool program) {
    return chooser_ ? chooser_(Hwnd(), program) : OpenFileDialog(Hwnd(), program);
}

void ProfilesPage::AddRule() {
    std::wstring program = FileNameOf(ComboText(Item(IDC_PROF_PROGRAM)));
    if (program.empty()) {
        SetFocus(Item(IDC_PROF_PROGRAM));
        return;
    }
    const bool known = std::any_of(profiles_.Rules().begin(), profiles_.Rules().end(),
                                   [&](const ProgramRule& r) { return SameProgram(r.program, program); });
    if (!known && profiles_.Rules().size() >= ProgramProfiles::kMaxRules) {
        ShowUserMessage(Hwnd(), GetUiText(STR_ID_RULES_FULL));
        return;
    }
    const std::wstring profile = Choose(false);
    if (profile.empty() || !profiles_.SetRule(program, profile)) return;
    Store();
    FillRules();
}

void ProfilesPage::RemoveRule() {
    const int row = ListView_GetNextItem(Item(IDC_PROF_RULES), -1, LVNI_SELECTED);
    if (row < 0 || !profiles_.RemoveRule(static_cast<size_t>(row))) return;
    Store();
    FillRules();
}

void ProfilesPage::ShowStatus(const std::wstring& text, bool failed) {
    statusFailed_ = failed;
    if (!Hwnd()) return;
    SetDlgItemTextW(Hwnd(), IDC_PROF_STATUS, text.c_str());
    InvalidateRect(Item(IDC_PROF_STATUS), nullptr, TRUE);
}

bool ProfilesPage::OnCommand(int id, int code, HWND control) {
    switch (id) {
    case IDC_PROF_FOLLOW:
        if (code != BN_CLICKED) return false;
        profiles_.SetFollow(IsDlgButtonChecked(Hwnd(), IDC_PROF_FOLLOW) == BST_CHECKED);
        Store();
        return true;
    case IDC_PROF_PROGRAM:
        // The list of open programs is taken afresh each time it opens.
        if (code == CBN_DROPDOWN) FillPrograms();
        return code == CBN_DROPDOWN;
    case IDC_PROF_BROWSE:
        if (code == BN_CLICKED) {
            const std::wstring exe = Choose(true);
            if (!exe.empty()) SetDlgItemTextW(Hwnd(), IDC_PROF_PROGRAM, FileNameOf(exe).c_str());
        }
        return true;
    case IDC_PROF_ADD:
        if (code == BN_CLICKED) AddRule();
        return true;
    case IDC_PROF_REMOVE:
        if (code == BN_CLICKED) RemoveRule();
        return true;
    case IDC_PROF_CHOOSE_DEFAULT:
        if (code == BN_CLICKED) {
            const std::wstring profile = Choose(false);
            if (!profile.empty()) {
                profiles_.SetDefaultProfile(profile);
                Store();
                ShowDefault();
            }
        }
        return true;
    case IDC_PROF_CLEAR_DEFAULT:
        if (code == BN_CLICKED) {
            profiles_.SetDefaultProfile(std::wstring());
            Store();
            ShowDefault();
        }
        return true;
    default:
        return Page::OnCommand(id, code, control);
    }
}

// Labels and the status line lie on the plates: opaque in the plates' colour.
HBRUSH ProfilesPage::OnCtlColor(HDC dc, HWND control, UINT message) {
    if (look::Plain()) return look::PlainCtlColor(dc, message);
    if (message != WM_CTLCOLORSTATIC) return nullptr;
    SetBkColor(dc, look::Colour(look::kCard));
    SetTextColor(dc, control == Item(IDC_PROF_STATUS) && statusFailed_ ? kFailed : look::Colour(look::kText));
    return look::Brush(look::kCard);
}
