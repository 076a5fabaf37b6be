// Driving forms and dialogs in tests: work inside modal loops, keys, clicks
// on controls, menu items and caption buttons.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/Forms.h"
#include "framework/StdCtrls.h"

namespace dialogkit {

// Runs `fn` from whichever message loop runs (a modal one included) as soon as
// `ready` holds; it is checked every 30 ms for up to 6 s and never waited on.
void WhenReady(const std::function<bool()>& ready, const std::function<void()>& fn, int tries = 200);
// Pumps through the application, which hands Tab, Enter and Escape to the forms.
void PumpApp(int ms);
bool WaitApp(const std::function<bool()>& done, int ms = 3000);
// A key pressed and released with real input.
void Press(WORD vk);
// Types lower-case letters, digits and blanks.
void Type(const std::string& text);
POINT Center(HWND wnd);
void Click(vcl::TWinControl* control);
void ClickItem(vcl::TListBox* list, int index);
void MoveMouse(POINT p);
POINT MenuPoint(vcl::TCustomForm* form, int index);
// The rightmost caption button of a captioned window.
void ClickCloseBox(HWND wnd);
RECT ChildRect(HWND child);
std::string WindowText(HWND wnd);
// Creates the settings and add-target dialogs as the program does (owned by the
// application, hidden), without making either the main form.
void CreateDialogs();
// Frees them again and clears their globals.
void DestroyDialogs();
// With VANTRO_HOLD_MS set, pauses so that a screenshot can be taken.
void Hold(const char* what);

} // namespace dialogkit
