// Driving forms and dialogs in tests: work inside modal loops, keys, clicks
// on controls, menu items and caption buttons, and the settings dialog opened
// the way the pad opens it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Forms.h"
#include "framework/StdCtrls.h"

namespace dialogkit {

using Strings = std::vector<std::string>;

// Runs `fn` from whichever message loop runs (a modal one included) as soon as
// `ready` holds; it is checked every 30 ms, never waited on, and given up with
// a failure naming `what` after the wait limit.
void WhenReady(const std::function<bool()>& ready, const std::function<void()>& fn,
               const std::string& what = "the awaited window", const std::function<void()>& giveUp = nullptr);
// Runs `answer` on the next input query titled `caption` once it is shown and
// in the foreground (from its own modal loop); closes the query afterwards if
// `answer` left it open, or if it never came.
void AnswerInputQuery(const char* caption, const std::function<void(HWND)>& answer);
// Brings a window of this thread to the foreground, asking again now and then.
::testing::AssertionResult BringToFront(HWND wnd);
// Handles the waiting messages through the application, which hands Tab,
// Enter and Escape to the forms.
void PumpApp();
::testing::AssertionResult WaitApp(const std::function<bool()>& done, const std::string& what,
                                   const std::function<std::string()>& seen = nullptr);
// A key pressed and released with real input (it goes to the foreground);
// when the foreground is a window of this thread, returns once it has handled both.
void Press(WORD vk);
// Types lower-case letters, digits and blanks.
void Type(const std::string& text);
POINT Center(HWND wnd);
void Click(vcl::TWinControl* control);
void ClickItem(vcl::TListBox* list, int index);
POINT MenuPoint(vcl::TCustomForm* form, int index);
// The rightmost caption button of a captioned window.
void ClickCloseBox(HWND wnd);
RECT ChildRect(HWND child);
std::string WindowText(HWND wnd);
// Counts the clicks `button` handles from now on (its own handler still runs).
std::shared_ptr<int> CountClicks(vcl::TButton* button);

// Creates the settings and add-target dialogs as the program does (owned by the
// application, hidden), without making either the main form.
void CreateDialogs();
// Frees them again and clears their globals.
void DestroyDialogs();

// What the settings dialog closed with.
struct Outcome {
    vcl::TModalResult result = vcl::mrNone;
    Strings list;
    bool optAll = false, noBoth = false;
};
// Opens the settings dialog the way the pad does (list and options in, modal
// show, results out) with `script` run inside its modal loop once it is in the
// foreground. A script that leaves it open ends it with Cancel.
Outcome OpenSettings(const Strings& list, bool optAll, bool noBoth, const std::function<void()>& script);
// In the open settings dialog: opens the add-target dialog with the add button
// and moves it beside the settings dialog, so that both can be clicked.
void OpenAddTargetBeside();

// With VANTRO_HOLD_MS set, pauses so that a screenshot can be taken.
void Hold(const char* what);

} // namespace dialogkit
