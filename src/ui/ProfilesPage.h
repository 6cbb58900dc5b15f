// The profiles page: which profile file the mouse switches to for which
// program, a default for every other program, and the switch that follows
// the program in front. Every change is stored in AppCfg.ini at once. The
// rules and the follower belong to the resident, which keeps following
// while the window is gone.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "config/ProgramProfiles.h"
#include "controls/Gdi.h"
#include "controls/PlateButton.h"
#include "controls/SkinCheckBox.h"
#include "controls/SkinCombo.h"
#include "controls/SkinField.h"
#include "ui/Page.h"
#include "ui/ProfileFollower.h"

class ProfilesPage : public Page {
public:
    ProfilesPage(ProgramProfiles& profiles, ProfileFollower& follower);

    // Nothing to upload: the rules are stored as they change.
    int ApplyPage() override { return 1; }
    void RefreshPageTexts() override;
    void OnDpiChanged(UINT dpi) override;

    const ProgramProfiles& Profiles() const { return profiles_; }
    // The status line: the follower's last word (or that no mouse is there).
    void ShowStatus(const std::wstring& text, bool failed);

    // Picks a file: a program (.exe) or a profile (.mvf); "" when cancelled.
    // The file dialogs by default; tests answer themselves.
    using FileChooser = std::function<std::wstring(HWND owner, bool program)>;
    void SetFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

    // File names of the programs that have a visible window now, other than
    // this one, without repeats.
    static std::vector<std::wstring> ProgramsWithWindows();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT message) override;

private:
    void LayOut(UINT dpi);
    void SetTexts();
    void FillRules();
    void FillPrograms();
    void ShowDefault();
    void Store();
    void AddRule();
    void RemoveRule();
    std::wstring Choose(bool program);

    ProgramProfiles& profiles_;
    ProfileFollower& follower_;
    FileChooser chooser_;
    SkinCheckBox follow_;
    SkinListView rules_;
    SkinCombo program_;
    SkinField default_;
    PlateButton buttons_[5];
    bool statusFailed_ = false;
};
