// The pad's commands in its own process: the context menu's items, the about
// box and help, and the settings exchange with the dialog.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "dialogs/ListEdit.h"
#include "dialogs/TitleSet.h"
#include "pad/SingleInstance.h"
#include "pad/StartWithWindows.h"
#include "pad/VTform.h"
#include "settings/IniRules.h"
#include "settings/WideProfile.h"
#include "tests/support/blackbox.h"
#include "tests/support/dialogkit.h"
#include "tests/support/padkit.h"
#include "tests/support/testkit.h"

using namespace vcl;
using testkit::Window;
using Ev = testkit::KeyRecorder::Event;

namespace {

const char kExplorer[] = "C:\\ - ｴｸｽﾌﾟﾛｰﾗ";

class PadCommands : public padkit::PadTest {
protected:
    static void SetUpTestSuite() { dialogkit::CreateDialogs(); }
    // Runs `script` inside the settings dialog once it is shown.
    static void WhenOpen(const std::function<void()>& script) {
        dialogkit::WhenReady([] { return EditForm->Visible(); }, script, "the settings dialog");
    }
    // Opens the settings dialog from the pad with `script` run inside it.
    void OpenFromPad(const std::function<void()>& script) {
        WhenOpen(script);
        pad->SetMenu();
    }
    ::testing::AssertionResult ForegroundBackOn(const Window& w) {
        return testkit::WaitFor([&] { return GetForegroundWindow() == w.hwnd(); },
                                "the foreground back on \"" + testkit::Title(w.hwnd()) + "\"", testkit::Foreground);
    }
};

TEST_F(PadCommands, AClickOnAHiddenPadOnlyHandsTheForegroundBack) {
    Window target(kExplorer);
    ASSERT_TRUE(DockOn(target));
    Window other("無題 - メモ帳");
    ASSERT_TRUE(other.Activate());
    Poll();
    ASSERT_FALSE(pad->PadShown);
    // The handler returns at once: a dialog would have held it in its modal loop.
    pad->FormMouseDown(pad->VTpanel, mbLeft, 0, 1, 1);
    EXPECT_FALSE(EditForm->Visible());
    EXPECT_TRUE(ForegroundBackOn(target));
}

TEST_F(PadCommands, ARightPressOnTheLabelLeavesTheDialogToTheMenu) {
    Window target(kExplorer);
    ASSERT_TRUE(DockOn(target));
    pad->FormMouseDown(pad->NameLabel, mbRight, 0, 1, 1);
    EXPECT_FALSE(EditForm->Visible());
    EXPECT_TRUE(pad->PadShown);
}

TEST_F(PadCommands, OkTakesTheListTheOptionsAndTheGrouping) {
    Window target(kExplorer);
    ASSERT_TRUE(DockOn(target));
    OpenFromPad([] {
        EditForm->TargetEditList->Items().Assign(TStringList());
        EditForm->Opt_all->SetChecked(true);
        EditForm->NoBoth->SetChecked(true);
        EditForm->SetModalResult(mrOk);
    });
    EXPECT_EQ(pad->Targets->Count(), 0);
    EXPECT_TRUE(pad->OptAll);
    EXPECT_TRUE(pad->OptNoBoth);
    EXPECT_EQ(pad->CtrlBtn->GroupIndex(), 1);
    EXPECT_TRUE(pad->Timer1->Enabled());
    EXPECT_TRUE(IsWindowVisible(pad->Handle()));

    // Cancel after editing keeps everything.
    pad->Timer1->SetEnabled(false);
    OpenFromPad([] {
        EXPECT_EQ(EditForm->TargetEditList->Items().Count(), 0);
        EXPECT_TRUE(EditForm->NoBoth->Checked());
        EditForm->TargetEditList->Items().Assign(TStringList());
        EditForm->NoBoth->SetChecked(false);
        EditForm->SetModalResult(mrCancel);
    });
    EXPECT_TRUE(pad->OptNoBoth);
    EXPECT_EQ(pad->CtrlBtn->GroupIndex(), 1);
}

TEST_F(PadCommands, TheListItemTakesOnlyTheList) {
    Window target(kExplorer);
    ASSERT_TRUE(DockOn(target));
    pad->CtrlBtn->SetDown(true);
    pad->BtnOnOff(pad->CtrlBtn);
    testkit::KeyRecorder keys;
    pad->OptAll = true;
    dialogkit::WhenReady([] { return EditForm->Visible(); },
                         [] {
                             // No key is held while the dialog has the keyboard,
                             // and its boxes show the options in force.
                             EXPECT_FALSE(testkit::KeyHeld(VK_CONTROL));
                             EXPECT_TRUE(EditForm->Opt_all->Checked());
                             TStringList one;
                             one.Add("ﾒﾓ帳");
                             EditForm->TargetEditList->Items().Assign(one);
                             EditForm->Opt_all->SetChecked(false);
                             EditForm->SetModalResult(mrOk);
                         });
    pad->AddTargetClick(pad->AddTarget);
    ASSERT_EQ(pad->Targets->Count(), 1);
    EXPECT_EQ((*pad->Targets)[0], "ﾒﾓ帳");
    EXPECT_TRUE(pad->OptAll);
    // The boxes show the stored options again.
    EXPECT_TRUE(EditForm->Opt_all->Checked());
    EXPECT_TRUE(pad->Timer1->Enabled());
    EXPECT_FALSE(pad->CtrlBtn->Down());
    ASSERT_FALSE(keys.events.empty());
    EXPECT_EQ(keys.events.back(), (Ev{VK_CONTROL, KEYEVENTF_KEYUP}));
}

TEST_F(PadCommands, NothingOpensOnceTheCloseHasFreedTheList) {
    pad->Targets.reset();
    pad->TaskTray1MouseDown(pad->TaskTray1, mbLeft, 0, 0, 0);
    testkit::Pump();
    pad->AddTargetClick(pad->AddTarget);
    EXPECT_FALSE(EditForm->Visible());
}

TEST_F(PadCommands, MenuChecksFollowTheOptions) {
    pad->OptNoBoth = true;
    pad->PopupMenu1Popup(pad->PopupMenu1);
    EXPECT_FALSE(pad->Opt_all2->Checked());
    EXPECT_TRUE(pad->NoBoth->Checked());

    pad->Opt_all2Click(pad->Opt_all2);
    EXPECT_TRUE(pad->OptAll);
    EXPECT_TRUE(pad->Opt_all2->Checked());
    pad->NoBothClick(pad->NoBoth);
    EXPECT_FALSE(pad->OptNoBoth);
    EXPECT_EQ(pad->CtrlBtn->GroupIndex(), 2);
    EXPECT_TRUE(pad->Timer1->Enabled());
}

TEST_F(PadCommands, GroupingBothLatchesTogetherLeavesNoKeyHeldUnderARaisedButton) {
    Window target(kExplorer);
    ASSERT_TRUE(DockOn(target));
    for (TSpeedButton* b : {pad->ShiftBtn, pad->CtrlBtn}) {
        b->SetDown(true);
        pad->BtnOnOff(b);
    }
    testkit::KeyRecorder keys;
    pad->NoBothClick(pad->NoBoth);
    EXPECT_EQ(pad->CtrlBtn->GroupIndex(), 1);
    EXPECT_FALSE(pad->ShiftBtn->Down());
    EXPECT_EQ(keys.events, (std::vector<Ev>{{VK_SHIFT, KEYEVENTF_KEYUP}}));
    EXPECT_EQ(pad->ShiftBtn->Font().Color(), clBlack);
}

TEST_F(PadCommands, AboutBoxAndHelp) {
    struct About {
        HWND owner;
        std::string app, other;
        HICON icon;
    };
    std::vector<About> abouts;
    auto aboutHook = testkit::MakeScopedHook(
        platform::hooks().shellAbout, [&](HWND owner, const char* app, const char* other, HICON icon) {
            abouts.push_back(About{owner, app, other, icon});
            return 1;
        });
    std::vector<std::string> helps;
    auto helpHook = testkit::MakeScopedHook(
        platform::hooks().winHelp, [&](HWND owner, const char* file, UINT command, ULONG_PTR data) {
            EXPECT_EQ(owner, pad->Handle());
            helps.push_back(std::string(file) + "," + std::to_string(command) + "," + std::to_string(data));
            return TRUE;
        });
    std::vector<std::wstring> opened;
    bool browserThere = true;
    auto openHook = testkit::MakeScopedHook(platform::hooks().shellOpen, [&](HWND, const wchar_t* file) {
        opened.push_back(file);
        return browserThere;
    });
    // Each turns the poll on again.
    ASSERT_FALSE(pad->Timer1->Enabled());
    pad->KVersion1Click(pad->Version1);
    EXPECT_TRUE(pad->Timer1->Enabled());
    ASSERT_EQ(abouts.size(), 1u);
    EXPECT_EQ(abouts[0].owner, pad->Handle());
    EXPECT_EQ(abouts[0].app, "Vantro Pad for Windows95 - Vantro  Ver 2.1#Windows & Vantro");
    EXPECT_EQ(abouts[0].other, "SHIFT/CTRL ﾗｯﾁﾊﾟｯﾄﾞ\r(C) 2026 Vantro Pad developers");
    EXPECT_NE(abouts[0].icon, nullptr);

    // No help file beside the program: the guide beside it, in the browser.
    const std::wstring folder = ini::DirectoryPart(ini::ModuleFileName());
    const std::wstring guide = folder + L"README.ja.html";
    pad->Timer1->SetEnabled(false);
    pad->Help1Click(pad->Help1);
    EXPECT_TRUE(pad->Timer1->Enabled());
    EXPECT_TRUE(helps.empty());
    EXPECT_EQ(opened, std::vector<std::wstring>{guide});
    // Even that fails: a message box says where the guide is.
    browserThere = false;
    {
        testkit::MessageBoxRecorder boxes;
        pad->Help1Click(pad->Help1);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_NE(boxes.boxes[0].text.find(testkit::Cp932From(guide)), std::string::npos);
    }
    // With a help file beside the program, the help viewer opens it at context 1, as always.
    const std::wstring helpFile = folder + L"Vantro.HLP";
    ASSERT_TRUE(testkit::WriteFileBytes(helpFile, "?_"));
    opened.clear();
    pad->Help1Click(pad->Help1);
    DeleteFileW(helpFile.c_str());
    EXPECT_EQ(helps, std::vector<std::string>{"Vantro.HLP,1,1"}); // HELP_CONTEXT is 1
    EXPECT_TRUE(opened.empty());
}

TEST_F(PadCommands, EveryWayBackBringsTheOpenDialogsToTheFront) {
    Window other("無題 - メモ帳");
    std::vector<HWND> raised;
    auto foreground = testkit::MakeScopedHook(platform::hooks().setForegroundWindow, [&](HWND wnd) {
        raised.push_back(wnd);
        return ::SetForegroundWindow(wnd);
    });
    const auto trayPress = [&](LPARAM what) {
        return [this, what] { PostMessageA(NotifyWindow()->Handle(), WM_TRAYNOTIFY, pad->TaskTray1->IconID(), what); };
    };
    struct Way {
        const char* name;
        std::function<void()> press;
        bool minimized;
    };
    const std::vector<Way> ways{
        {"the tray icon", trayPress(WM_LBUTTONDOWN), false},
        {"the notification", trayPress(NIN_BALLOONUSERCLICK), true},
        {"the pad", [this] { pad->FormMouseDown(pad->VTpanel, mbLeft, 0, 1, 1); }, false},
        {"the name label", [this] { pad->FormMouseDown(pad->NameLabel, mbLeft, 0, 1, 1); }, true},
        {"a second start", [this] { PostMessageW(pad->Handle(), WM_PADHANDOVER, 0, 0); }, false},
    };
    // Brought back: the seam was asked for `wnd`, which is restored and in front.
    const auto back = [&](HWND wnd) {
        return testkit::WaitFor(
            [&] {
                return std::find(raised.begin(), raised.end(), wnd) != raised.end() && !IsIconic(wnd) &&
                       GetForegroundWindow() == wnd;
            },
            "\"" + testkit::Title(wnd) + "\" brought back", testkit::Foreground);
    };
    bool done = false;
    WhenOpen([&] {
        for (const Way& way : ways) {
            SCOPED_TRACE(way.name);
            EXPECT_TRUE(other.Activate());
            if (way.minimized) ShowWindow(EditForm->Handle(), SW_MINIMIZE);
            raised.clear();
            way.press();
            EXPECT_TRUE(back(EditForm->Handle()));
        }
        // With the add-target dialog beside it, both come back, that one on top.
        dialogkit::OpenAddTargetBeside();
        EXPECT_TRUE(other.Activate());
        ShowWindow(SetTitle->Handle(), SW_MINIMIZE);
        raised.clear();
        trayPress(WM_LBUTTONDOWN)();
        EXPECT_TRUE(back(SetTitle->Handle()));
        EXPECT_NE(std::find(raised.begin(), raised.end(), EditForm->Handle()), raised.end());
        EXPECT_TRUE(pad->Timer1->Enabled() == false);
        EditForm->SetModalResult(mrCancel);
        done = true;
    });
    // The dialog opens from a press on the tray icon, as the user opens it.
    trayPress(WM_LBUTTONDOWN)();
    EXPECT_TRUE(testkit::WaitFor([&] { return done && !EditForm->Visible(); }, "the dialog opened and closed"));
}

TEST_F(PadCommands, ThePollIsOffWhileTheDialogIsOpenAndATargetActivatedMeanwhileIsNotDocked) {
    Window target(kExplorer);
    ASSERT_TRUE(DockOn(target));
    pad->Timer1->SetEnabled(true);
    auto polls = padkit::CountPolls(pad);
    for (const char* from : {"the pad", "the list item"}) {
        SCOPED_TRACE(from);
        Window later("D:\\ - ｴｸｽﾌﾟﾛｰﾗ", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{150, 150, 650, 450});
        // The new window came to the front, and where the system reports that
        // as a window event (Wine 10 does, Wine 8 not) the pad docked on it at
        // once: the first target takes the front again before the dialog.
        ASSERT_TRUE(DockOn(target));
        WhenOpen([&] {
            EXPECT_FALSE(pad->Timer1->Enabled());
            *polls = 0;
            EXPECT_TRUE(later.Activate());
            // Five poll intervals of timers handled by this loop: the pad's poll
            // had its chances.
            testkit::LetTimersRun(5);
            EXPECT_EQ(*polls, 0);
            EXPECT_FALSE(pad->PadShown);
            EXPECT_NE(pad->TargetWnd, later.hwnd());
            EditForm->SetModalResult(mrCancel);
        });
        if (std::string(from) == "the pad") pad->FormMouseDown(pad->VTpanel, mbLeft, 0, 1, 1);
        else pad->AddTargetClick(pad->AddTarget);
        EXPECT_TRUE(pad->Timer1->Enabled());
    }
}

TEST_F(PadCommands, AfterTheDialogFromThePadTheForegroundIsBackOnTheTarget) {
    Window target(kExplorer);
    ASSERT_TRUE(DockOn(target));
    WhenOpen([] {
        EXPECT_EQ(GetForegroundWindow(), EditForm->Handle());
        EditForm->SetModalResult(mrCancel);
    });
    pad->FormMouseDown(pad->VTpanel, mbLeft, 0, 1, 1);
    EXPECT_TRUE(ForegroundBackOn(target));
}

TEST_F(PadCommands, OpeningTheSettingsAgainWhileTheyAreOpenDoesNothing) {
    Window target(kExplorer);
    ASSERT_TRUE(DockOn(target));
    OpenFromPad([&] {
        TStringList edited;
        edited.Add("edited");
        EditForm->TargetEditList->Items().Assign(edited);
        // Returns at once, without filling the open dialog again.
        pad->SetMenu();
        EXPECT_TRUE(EditForm->IsModal());
        EXPECT_EQ(EditForm->TargetEditList->Items().Items(), std::vector<std::string>{"edited"});
        EXPECT_FALSE(pad->Timer1->Enabled());
        EditForm->SetModalResult(mrCancel);
    });
    EXPECT_EQ(pad->Targets->Count(), 3);
}

TEST_F(PadCommands, TheListItemWithNoBothTickedLeavesTheOptionAndTheGrouping) {
    Window target(kExplorer);
    ASSERT_TRUE(DockOn(target));
    WhenOpen([] {
        EditForm->NoBoth->SetChecked(true);
        EditForm->SetModalResult(mrOk);
    });
    pad->AddTargetClick(pad->AddTarget);
    EXPECT_FALSE(pad->OptNoBoth);
    EXPECT_EQ(pad->CtrlBtn->GroupIndex(), 2);
    EXPECT_FALSE(EditForm->NoBoth->Checked());
}

TEST_F(PadCommands, TheContextMenuHoldsThePollAndGivesTheForegroundBack) {
    Window target(kExplorer);
    ASSERT_TRUE(DockOn(target));
    pad->Timer1->SetEnabled(true);
    pad->PopupMenu1Popup(pad->PopupMenu1);
    EXPECT_FALSE(pad->Timer1->Enabled());
    Window other("無題 - メモ帳");
    ASSERT_TRUE(other.Activate());
    pad->PopupMenu1Close(pad->PopupMenu1);
    EXPECT_TRUE(pad->Timer1->Enabled());
    EXPECT_TRUE(ForegroundBackOn(target));
}

TEST_F(PadCommands, TheQuitCommandLeavesThePollOff) {
    pad->Timer1->SetEnabled(true);
    pad->Exit1Click(pad->Exit1);
    EXPECT_FALSE(pad->Timer1->Enabled());
    EXPECT_FALSE(pad->Targets); // the close ran and saved
    DeleteFileA(padkit::PadIni().c_str());
}

// ------------------------------------------------------- start with Windows

TEST(StartWithWindowsRule, OnlyACommandThatStartsThisVeryProgramCounts) {
    const std::wstring exe = L"C:\\Users\\Zo\u00EB\\My Tools\\vantro.exe";
    EXPECT_EQ(StartCommandFor(exe), L"\"C:\\Users\\Zo\u00EB\\My Tools\\vantro.exe\"");
    EXPECT_TRUE(StartCommandRuns(StartCommandFor(exe), exe));
    // Windows ignores letter case in paths; a hand-written value may add arguments.
    EXPECT_TRUE(StartCommandRuns(L"\"c:\\users\\ZO\u00CB\\my tools\\VANTRO.EXE\"", exe));
    EXPECT_TRUE(StartCommandRuns(L"\"C:\\Users\\Zo\u00EB\\My Tools\\vantro.exe\" /x", exe));
    EXPECT_TRUE(StartCommandRuns(L"C:\\Tools\\vantro.exe", L"C:\\Tools\\vantro.exe"));
    EXPECT_TRUE(StartCommandRuns(L"C:\\Tools\\vantro.exe -q", L"C:\\Tools\\vantro.exe"));
    // A copy that was moved, another program, a longer name, nothing.
    EXPECT_FALSE(StartCommandRuns(L"\"C:\\Old\\vantro.exe\"", exe));
    EXPECT_FALSE(StartCommandRuns(L"\"C:\\Users\\Zo\u00EB\\My Tools\\vantro2.exe\"", exe));
    EXPECT_FALSE(StartCommandRuns(L"C:\\Tools\\vantro.exe.bak", L"C:\\Tools\\vantro.exe"));
    EXPECT_FALSE(StartCommandRuns(L"\"C:\\Users\\Zo\u00EB\\My Tools\\vantro.exe", exe)) << "unclosed quote";
    EXPECT_FALSE(StartCommandRuns(L"", exe));
    EXPECT_FALSE(StartCommandRuns(L"   ", exe));
}

TEST(StartWithWindowsRule, TheStartupAppsSwitchIsOnOnlyWithAFirstByte02Or06) {
    const struct {
        std::string bytes;
        bool on;
    } rows[] = {
        {std::string("\x02\0\0\0\0\0\0\0\0\0\0\0", 12), true},
        {std::string("\x06\0\0\0\0\0\0\0\0\0\0\0", 12), true},
        {std::string("\x02", 1), true},
        // Switched off in Settings or Task Manager (with the time it was done).
        {std::string("\x03\0\0\0\x10\x32\x54\x76\x98\xBA\xDC\x01", 12), false},
        {std::string("\x01\0\0\0", 4), false},
        {std::string("\x07", 1), false},
        {std::string("\0\x02", 2), false},
        {std::string(), false},
    };
    for (const auto& row : rows) EXPECT_EQ(StartupApprovedOn(row.bytes), row.on) << testing::PrintToString(row.bytes);
}

// The Run key and the startup apps switch through the seam: no test touches the real ones.
class StartWithWindowsItem : public padkit::PadTest {
protected:
    const std::wstring kApproved = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
    std::map<std::wstring, std::wstring> run;
    std::map<std::wstring, std::string> approved;
    int writes = 0, deletes = 0;
    bool refuse = false;
    bool IsRunKey(HKEY root, const wchar_t* key) const {
        return root == HKEY_CURRENT_USER && std::wstring(key) == L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    }
    bool IsApprovedKey(HKEY root, const wchar_t* key) const {
        return root == HKEY_CURRENT_USER && std::wstring(key) == kApproved;
    }
    testkit::ScopedHook<decltype(platform::Hooks::readRegistryString)> read{
        platform::hooks().readRegistryString, [this](HKEY root, const wchar_t* key, const wchar_t* name, std::wstring* v) {
            if (std::wstring(key) == kHeldKeysKey) return false;  // the pad's own mark, read at start
            EXPECT_TRUE(IsRunKey(root, key));
            const auto it = run.find(name);
            if (it == run.end()) return false;
            *v = it->second;
            return true;
        }};
    testkit::ScopedHook<decltype(platform::Hooks::readRegistryBinary)> readBinary{
        platform::hooks().readRegistryBinary, [this](HKEY root, const wchar_t* key, const wchar_t* name, std::string* v) {
            EXPECT_TRUE(IsApprovedKey(root, key));
            const auto it = approved.find(name);
            if (it == approved.end()) return false;
            *v = it->second;
            return true;
        }};
    testkit::ScopedHook<decltype(platform::Hooks::writeRegistryString)> write{
        platform::hooks().writeRegistryString,
        [this](HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& v) {
            EXPECT_TRUE(IsRunKey(root, key));
            ++writes;
            if (refuse) return false;
            run[name] = v;
            return true;
        }};
    testkit::ScopedHook<decltype(platform::Hooks::deleteRegistryValue)> erase{
        platform::hooks().deleteRegistryValue, [this](HKEY root, const wchar_t* key, const wchar_t* name) {
            EXPECT_TRUE(IsRunKey(root, key) || IsApprovedKey(root, key));
            ++deletes;
            if (IsApprovedKey(root, key)) approved.erase(name);
            else run.erase(name);
            return true;
        }};
    bool Checked() {
        pad->PopupMenu1Popup(pad->PopupMenu1);
        const bool checked = pad->AutoStart1->Checked();
        pad->PopupMenu1Close(pad->PopupMenu1);
        return checked;
    }
};

TEST_F(StartWithWindowsItem, TheItemWritesAndRemovesTheValueAndShowsWhetherItStartsThisCopy) {
    const std::wstring me = L"\"" + ini::ModuleFileName() + L"\"";
    // Opening the menu writes nothing.
    EXPECT_FALSE(Checked());
    EXPECT_FALSE(Checked());
    EXPECT_EQ(writes + deletes, 0);

    pad->AutoStart1Click(pad->AutoStart1);
    EXPECT_EQ(run, (std::map<std::wstring, std::wstring>{{L"Vantro Pad", me}}));
    EXPECT_TRUE(pad->AutoStart1->Checked());
    EXPECT_TRUE(Checked());

    pad->AutoStart1Click(pad->AutoStart1);
    EXPECT_TRUE(run.empty());
    EXPECT_FALSE(Checked());

    // A value left by a copy that has since moved: unchecked, and choosing the
    // item makes it start this copy.
    run[L"Vantro Pad"] = L"\"C:\\Old place\\vantro.exe\"";
    EXPECT_FALSE(Checked());
    pad->AutoStart1Click(pad->AutoStart1);
    EXPECT_EQ(run[L"Vantro Pad"], me);
    EXPECT_TRUE(Checked());
    // Another program's value under another name is never touched.
    run[L"Other"] = L"other.exe";
    pad->AutoStart1Click(pad->AutoStart1);
    EXPECT_EQ(run, (std::map<std::wstring, std::wstring>{{L"Other", L"other.exe"}}));
}

TEST_F(StartWithWindowsItem, SwitchedOffAmongTheStartupAppsTheItemIsUncheckedAndChoosingItSwitchesItOn) {
    const std::wstring me = L"\"" + ini::ModuleFileName() + L"\"";
    run[L"Vantro Pad"] = me;
    approved[L"Vantro Pad"] = std::string("\x03\0\0\0\x10\x32\x54\x76\x98\xBA\xDC\x01", 12);
    approved[L"Other"] = std::string("\x03\0\0\0", 4);
    EXPECT_FALSE(Checked()) << "the Run value stays, but nothing starts";
    approved[L"Vantro Pad"][0] = '\x06';
    EXPECT_TRUE(Checked()) << "switched on again";
    approved[L"Vantro Pad"][0] = '\x03';

    pad->AutoStart1Click(pad->AutoStart1);
    EXPECT_EQ(run[L"Vantro Pad"], me);
    EXPECT_EQ(approved, (std::map<std::wstring, std::string>{{L"Other", std::string("\x03\0\0\0", 4)}}));
    EXPECT_TRUE(pad->AutoStart1->Checked());
    EXPECT_TRUE(Checked());
}

TEST_F(StartWithWindowsItem, ARefusedWriteSaysSoAndLeavesTheItemUnchecked) {
    testkit::MessageBoxRecorder boxes;
    refuse = true;
    pad->AutoStart1Click(pad->AutoStart1);
    EXPECT_EQ(writes, 1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_NE(boxes.boxes[0].text.find("Windowsと同時に起動"), std::string::npos) << boxes.boxes[0].text;
    EXPECT_FALSE(pad->AutoStart1->Checked());
    EXPECT_TRUE(pad->Timer1->Enabled());
}

TEST(RegistryStrings, WrittenReadAndDeletedForReal) {
    // A scratch key of this test's own (in the test's Wine prefix), never the Run key.
    const wchar_t* key = L"Software\\Vantro Pad tests\\scratch";
    const std::wstring value = L"\"C:\\Zo\u00EB \u00E9t\u00E9 \uD55C\\ｴｸｽﾌﾟﾛｰﾗ\\vantro.exe\"";
    ASSERT_TRUE(platform::WriteRegistryString(HKEY_CURRENT_USER, key, L"Vantro Pad", value));
    std::wstring back;
    ASSERT_TRUE(platform::ReadRegistryString(HKEY_CURRENT_USER, key, L"Vantro Pad", &back));
    EXPECT_EQ(back, value);
    EXPECT_TRUE(platform::DeleteRegistryValue(HKEY_CURRENT_USER, key, L"Vantro Pad"));
    EXPECT_FALSE(platform::ReadRegistryString(HKEY_CURRENT_USER, key, L"Vantro Pad", &back));
    // Deleting what is not there, or under a key that does not exist, is done already.
    EXPECT_TRUE(platform::DeleteRegistryValue(HKEY_CURRENT_USER, key, L"Vantro Pad"));
    EXPECT_TRUE(platform::DeleteRegistryValue(HKEY_CURRENT_USER, L"Software\\Vantro Pad tests\\none", L"x"));
    // A binary value as the startup apps switch keeps it; a string is no binary value.
    const std::string bytes("\x03\0\0\0\x10\x32", 6);
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr), ERROR_SUCCESS);
    RegSetValueExW(k, L"Vantro Pad", 0, REG_BINARY, reinterpret_cast<const BYTE*>(bytes.data()), 6);
    RegCloseKey(k);
    std::string binary;
    ASSERT_TRUE(platform::ReadRegistryBinary(HKEY_CURRENT_USER, key, L"Vantro Pad", &binary));
    EXPECT_EQ(binary, bytes);
    ASSERT_TRUE(platform::WriteRegistryString(HKEY_CURRENT_USER, key, L"Vantro Pad", value));
    EXPECT_FALSE(platform::ReadRegistryBinary(HKEY_CURRENT_USER, key, L"Vantro Pad", &binary));
    EXPECT_FALSE(platform::ReadRegistryBinary(HKEY_CURRENT_USER, key, L"none", &binary));
    EXPECT_TRUE(platform::DeleteRegistryValue(HKEY_CURRENT_USER, key, L"Vantro Pad"));
    RegDeleteKeyW(HKEY_CURRENT_USER, key);
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Vantro Pad tests");
}

} // namespace
