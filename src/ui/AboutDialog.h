// The About box: icon, the program's name and version, and what it is for.
#pragma once
#include <windows.h>

#include <string>

#include "controls/Window.h"

class AboutDialog : public Dialog {
public:
    AboutDialog();

protected:
    BOOL OnInitDialog() override;
};

// "1.2.3.4" from the version record of a module file; "" when it has none.
std::wstring ModuleFileVersion(const std::wstring& modulePath);
