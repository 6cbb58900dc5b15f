// The program's two looks. The skin: dark plates, light text and the
// accent blue of the artwork. The plain look: the system's own colours and
// no skin pictures, in the same layout, for users who turned on high
// contrast (or chose it with [General] Look=plain). Every control asks
// here for its colours, so one switch repaints the whole window.
#pragma once
#include <windows.h>

namespace look {

enum Role {
    kPage,           // behind the controls of a page
    kCard,           // the plates that groups of controls sit on
    kText,           // text on pages and plates
    kTextDim,        // secondary text (column headers)
    kField,          // inside lists, fields and check boxes
    kFieldText,
    kEdge,           // one-pixel borders
    kAccent,         // focus, chevrons, ticks
    kSelection,      // the chosen entry of an open list
    kSelectionText,
    kFace,           // small buttons at rest
    kFaceLow,        // ... the lower end of their gradient
    kFaceOver,       // under the pointer
    kFacePressed,
    kFaceText,
    kGrayText,       // disabled
    kRoleCount
};

// True in the plain look.
bool Plain();
// The user's choice from AppCfg.ini, besides the system's high contrast.
void ChoosePlain(bool chosen);
// Asks the system again whether high contrast is on (after
// WM_SETTINGCHANGE); true when the look changed.
bool Refresh();

COLORREF Colour(Role role);
// A solid brush of the role's colour, owned here.
HBRUSH Brush(Role role);

// The colours of a WM_CTLCOLOR* answer in the plain look: window colours
// for fields and lists, button-face colours for the rest.
HBRUSH PlainCtlColor(HDC dc, UINT message);

// A 1x picture-pixel length at a DPI, at least one pixel.
int Px(int v, UINT dpi);

}  // namespace look
