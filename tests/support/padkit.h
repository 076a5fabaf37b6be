// The pad in the test's own process: created as the program creates it, with
// its poll timer off so that each test runs the polls it wants by hand.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pad/VTform.h"
#include "tests/support/blackbox.h"
#include "tests/support/testkit.h"

namespace padkit {

// new TVTform; DoCreate; timer off. `activatable` leaves out the pad's
// no-activate style, for tests of what happens when it is activated anyway.
vcl::TVTform* NewPad(bool activatable = false);

// Runs one poll by hand and handles what it caused.
void Poll(vcl::TVTform* pad);
// Brings `target` to the front and polls: the pad must dock on it.
::testing::AssertionResult DockOn(vcl::TVTform* pad, testkit::Window& target);
RECT PadRect(vcl::TVTform* pad);
// The middle of a button of the pad, in screen coordinates: where a real click goes.
POINT Centre(vcl::TSpeedButton* button);
// The screen's resolution in pixels per inch (a run of its own uses 144).
int ScreenDpi();
// A length of a design at 96 pixels per inch, at the screen's resolution
// (rounded as Windows scales its metrics).
int ScaledToScreen(int designPixels);
// Counts the polls that the pad's own timer runs from now on.
std::shared_ptr<int> CountPolls(vcl::TVTform* pad);

// A target window in a process of its own (targetwin.exe at x, y, 600x400),
// so that the pad meets another program's window.
class OtherProcessTarget {
public:
    explicit OtherProcessTarget(const std::string& title, int x = 120, int y = 140);
    ~OtherProcessTarget();
    OtherProcessTarget(const OtherProcessTarget&) = delete;
    OtherProcessTarget& operator=(const OtherProcessTarget&) = delete;
    ::testing::AssertionResult Activate();
    DWORD pid() const { return pi.dwProcessId; }
    HWND wnd = nullptr;

private:
    PROCESS_INFORMATION pi{};
};

// The pad's settings file: this test program's name with ".ini", beside it.
std::string PadIni();

// A fixture for the pad and its settings file: no file and no modifier held
// before and after; the test makes the pad once it has prepared the file.
class PadFileTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void Create() { pad = NewPad(); }
    // Holds the settings file open without sharing, as a backup tool may.
    void Hold();
    void Release() { held->Release(); }
    vcl::TVTform* pad = nullptr;
    std::unique_ptr<testkit::HeldFile> held;
};

// A fixture with a fresh pad and no modifier held before and after.
class PadTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void Poll() { padkit::Poll(pad); }
    ::testing::AssertionResult DockOn(testkit::Window& target) { return padkit::DockOn(pad, target); }
    RECT PadRect() const { return padkit::PadRect(pad); }
    int PadWidth() const;
    void ExpectHidden();
    vcl::TVTform* pad = nullptr;
};

} // namespace padkit
