// Stand-ins for the working pages until they join this branch: each is an
// empty child dialog with the same public operations.
#pragma once
#include <windows.h>

#include <cstdint>

#include "config/DeviceStore.h"
#include "resources/resource.h"
#include "ui/Page.h"

class StandInPage : public Page {
public:
    explicit StandInPage(int templateId) : Page(templateId) {}
    int ApplyPage() override { return 1; }
    int WaitPageIdle() override { return 1; }
    void RefreshPageTexts() override {}
};

class ButtonsPage : public StandInPage {
public:
    explicit ButtonsPage(DeviceStore&) : StandInPage(IDD_BUTTONS_PAGE) {}
    void WriteReportRate(int) {}
    void SetPageDpi(uint32_t) {}
    int StartPerformanceApply() { return 1; }
};

class PerformancePage : public StandInPage {
public:
    explicit PerformancePage(DeviceStore&) : StandInPage(IDD_PERFORMANCE_PAGE) {}
    void SetButtonsPage(HWND) {}
    int RateIndex() const { return 2; }
    uint32_t FirstLevelDpi() const { return 600; }
};

class ThirdPage : public StandInPage {
public:
    ThirdPage() : StandInPage(IDD_THIRD_PAGE) {}
};

inline void NormaliseLayout(HWND) {}
