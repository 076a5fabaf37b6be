// The pad's commands in its own process: the context menu's items, the about
// box and help, and the settings exchange with the dialog.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/ListEdit.h"
#include "dialogs/TitleSet.h"
#include "pad/VTform.h"
#include "tests/support/dialogkit.h"
#include "tests/support/testkit.h"

using namespace vcl;
using testkit::Window;
using Ev = testkit::KeyRecorder::Event;

namespace {

class PadCommands : public ::testing::Test {
protected:
    static void SetUpTestSuite() { dialogkit::CreateDialogs(); }
    void SetUp() override {
        testkit::ReleaseModifiers();
        pad = new TVTform(&testkit::App());
        pad->DoCreate();
        pad->Timer1->SetEnabled(false);
    }
    void TearDown() override {
        delete pad;
        testkit::ReleaseModifiers();
    }
    void DockOn(Window& w) {
        w.Activate();
        pad->Timer1Timer(pad->Timer1);
        ASSERT_TRUE(pad->PadShown);
    }
    // Opens the settings dialog from the pad with `script` run inside it.
    void OpenFromPad(const std::function<void()>& script) {
        dialogkit::WhenReady([] { return EditForm->Visible(); }, script);
        pad->SetMenu();
    }
    TVTform* pad = nullptr;
};

TEST_F(PadCommands, AClickOnAHiddenPadOnlyHandsTheForegroundBack) {
    Window target("C:\\ - ｴｸｽﾌﾟﾛｰﾗ");
    DockOn(target);
    Window other("無題 - メモ帳");
    other.Activate();
    pad->Timer1Timer(pad->Timer1);
    ASSERT_FALSE(pad->PadShown);
    pad->FormMouseDown(pad->VTpanel, mbLeft, 0, 1, 1);
    testkit::Pump(30);
    EXPECT_FALSE(EditForm->Visible());
    EXPECT_EQ(GetForegroundWindow(), target.hwnd());
}

TEST_F(PadCommands, ARightPressOnTheLabelLeavesTheDialogToTheMenu) {
    Window target("C:\\ - ｴｸｽﾌﾟﾛｰﾗ");
    DockOn(target);
    pad->FormMouseDown(pad->NameLabel, mbRight, 0, 1, 1);
    EXPECT_FALSE(EditForm->Visible());
    EXPECT_TRUE(pad->PadShown);
}

TEST_F(PadCommands, OkTakesTheListTheOptionsAndTheGrouping) {
    Window target("C:\\ - ｴｸｽﾌﾟﾛｰﾗ");
    DockOn(target);
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
    Window target("C:\\ - ｴｸｽﾌﾟﾛｰﾗ");
    DockOn(target);
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
    Window target("C:\\ - ｴｸｽﾌﾟﾛｰﾗ");
    DockOn(target);
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
    platform::hooks().shellAbout = [&](HWND owner, const char* app, const char* other, HICON icon) {
        abouts.push_back(About{owner, app, other, icon});
        return 1;
    };
    std::vector<std::string> helps;
    platform::hooks().winHelp = [&](HWND owner, const char* file, UINT command, ULONG_PTR data) {
        EXPECT_EQ(owner, pad->Handle());
        helps.push_back(std::string(file) + "," + std::to_string(command) + "," + std::to_string(data));
        return TRUE;
    };
    pad->KVersion1Click(pad->Version1);
    pad->Timer1->SetEnabled(false);
    pad->Help1Click(pad->Help1);
    platform::hooks().shellAbout = nullptr;
    platform::hooks().winHelp = nullptr;

    ASSERT_EQ(abouts.size(), 1u);
    EXPECT_EQ(abouts[0].owner, pad->Handle());
    EXPECT_EQ(abouts[0].app, "Vantro Pad for Windows95 - Vantro  Ver 2.1#Windows & Vantro");
    EXPECT_FALSE(abouts[0].other.empty());
    EXPECT_NE(abouts[0].icon, nullptr);
    EXPECT_EQ(helps, std::vector<std::string>{"Vantro.HLP,1,1"});
    EXPECT_TRUE(pad->Timer1->Enabled());
}

} // namespace
