// The pad's commands in its own process: the context menu's items, the about
// box and help, and the settings exchange with the dialog.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/ListEdit.h"
#include "dialogs/TitleSet.h"
#include "pad/VTform.h"
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
    std::vector<std::string> captions;
    for (int i = 0; i < pad->PopupMenu1->Count(); ++i) captions.push_back(pad->PopupMenu1->Items(i)->Caption());
    EXPECT_EQ(captions, (std::vector<std::string>{"終了", "-", "ﾀｰｹﾞｯﾄﾘｽﾄの変更", "ﾀｰｹﾞｯﾄを限定しない",
                                                  "ﾎﾞﾀﾝを同時に使用しない", "-", "Version", "Help"}));
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
    // Each turns the poll on again.
    ASSERT_FALSE(pad->Timer1->Enabled());
    pad->KVersion1Click(pad->Version1);
    EXPECT_TRUE(pad->Timer1->Enabled());
    pad->Timer1->SetEnabled(false);
    pad->Help1Click(pad->Help1);

    ASSERT_EQ(abouts.size(), 1u);
    EXPECT_EQ(abouts[0].owner, pad->Handle());
    EXPECT_EQ(abouts[0].app, "Vantro Pad for Windows95 - Vantro  Ver 2.1#Windows & Vantro");
    EXPECT_EQ(abouts[0].other, "SHIFT/CTRL ﾗｯﾁﾊﾟｯﾄﾞ\r(C) 2026 Vantro Pad developers");
    EXPECT_NE(abouts[0].icon, nullptr);
    EXPECT_EQ(helps, std::vector<std::string>{"Vantro.HLP,1,1"}); // HELP_CONTEXT is 1
    EXPECT_TRUE(pad->Timer1->Enabled());
}

TEST_F(PadCommands, ThePollIsOffWhileTheDialogIsOpenAndATargetActivatedMeanwhileIsNotDocked) {
    Window target(kExplorer);
    ASSERT_TRUE(DockOn(target));
    pad->Timer1->SetEnabled(true);
    auto polls = padkit::CountPolls(pad);
    for (const char* from : {"the pad", "the list item"}) {
        SCOPED_TRACE(from);
        Window later("D:\\ - ｴｸｽﾌﾟﾛｰﾗ", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{150, 150, 650, 450});
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
    const std::string ini = testkit::ExeDir() + "pad_commands_test.ini";
    pad->Timer1->SetEnabled(true);
    pad->Exit1Click(pad->Exit1);
    EXPECT_FALSE(pad->Timer1->Enabled());
    EXPECT_FALSE(pad->Targets); // the close ran and saved
    DeleteFileA(ini.c_str());
}

} // namespace
