// The pad on the rough paths of its life: a start before the shell's
// notification area is there, the settings dialog opened before the first
// docking, commands while the exit question is open, and a second start of the
// program.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "dialogs/ListEdit.h"
#include "pad/SingleInstance.h"
#include "pad/VTform.h"
#include "tests/support/blackbox.h"
#include "tests/support/dialogkit.h"
#include "tests/support/padkit.h"
#include "tests/support/testkit.h"

using namespace vcl;

namespace {

// The tray icon's quiet retries come every few milliseconds instead of seconds.
class PadHardening : public padkit::PadFileTest {
protected:
    void SetUp() override {
        PadFileTest::SetUp();
        platform::hooks().trayRetryInterval = 10;
    }
    void TearDown() override {
        PadFileTest::TearDown();
        platform::hooks().trayRetryInterval = 0;
    }
};

TEST_F(PadHardening, ShownBeforeTheFirstDockingThePadStaysAtZeroWidth) {
    dialogkit::CreateDialogs();
    Create();
    auto width = [this] {
        const RECT r = padkit::PadRect(pad);
        return r.right - r.left;
    };
    ASSERT_TRUE(pad->NeverDocked);
    ASSERT_GT(pad->PadWidth, 0);
    // The settings dialog from the tray, before the pad ever docked: the pad
    // is shown again when it closes.
    dialogkit::WhenReady([] { return EditForm->IsModal() && EditForm->Visible(); },
                         [] { EditForm->SetModalResult(mrCancel); }, "the settings dialog",
                         [] { if (EditForm->IsModal()) EditForm->SetModalResult(mrCancel); });
    pad->TaskTray1MouseDown(pad->TaskTray1, mbLeft, ssLeft, 0, 0);
    testkit::Pump();  // the dialog opens from the message loop
    EXPECT_FALSE(EditForm->Visible());
    EXPECT_TRUE(IsWindowVisible(pad->Handle()));
    EXPECT_EQ(width(), 0);
    EXPECT_FALSE(pad->PadShown);
    // The same for the application's restore.
    pad->SetVisible(false);
    pad->Rest(pad);
    EXPECT_TRUE(IsWindowVisible(pad->Handle()));
    EXPECT_EQ(width(), 0);

    // The poll docks it at full width.
    testkit::Window target("C:\\ - ｴｸｽﾌﾟﾛｰﾗ");
    EXPECT_TRUE(padkit::DockOn(pad, target));
    EXPECT_EQ(width(), pad->PadWidth);
    dialogkit::DestroyDialogs();
}

TEST_F(PadHardening, AStartBeforeTheShellsNotificationAreaStartsAnywayAndAddsTheIconLater) {
    testkit::FakeShell shell;
    shell.refuse = [](DWORD m) { return m == NIM_ADD; };
    testkit::MessageBoxRecorder boxes;
    ASSERT_NO_THROW(Create());
    ASSERT_TRUE(pad->Targets);
    EXPECT_EQ(pad->Targets->Count(), 3);
    EXPECT_FALSE(pad->TaskTray1->InTray());
    EXPECT_TRUE(pad->TaskTray1->Registered());
    EXPECT_GE(shell.Count("add 1"), 1);
    // The shell comes up: a quiet retry adds the icon, and nothing was said.
    shell.refuse = nullptr;
    EXPECT_TRUE(testkit::WaitFor([&] { return pad->TaskTray1->InTray(); }, "the icon added by a later retry"));
    EXPECT_TRUE(boxes.boxes.empty());
    delete pad;
    pad = nullptr;
}

TEST_F(PadHardening, WhileTheExitQuestionIsOpenThePadsCommandsDoNothing) {
    dialogkit::CreateDialogs();
    ASSERT_TRUE(testkit::WriteFileBytes(padkit::PadIni(), "[Pad]\r\nNoBoth=1\r\n"));
    Create();
    int dialogs = 0, abouts = 0, helps = 0;
    // A settings dialog that a command opens is counted and cancelled at once.
    EditForm->OnShow = [&](TObject*) {
        ++dialogs;
        EditForm->SetModalResult(mrCancel);
    };
    auto about = testkit::MakeScopedHook(platform::hooks().shellAbout, [&](HWND, const char*, const char*, HICON) {
        ++abouts;
        return 1;
    });
    // Help opens the guide (no help file beside the test program).
    auto help = testkit::MakeScopedHook(platform::hooks().shellOpen, [&](HWND, const wchar_t*) {
        ++helps;
        return true;
    });
    // The tray icon, the context menu's dialog items, and a second start of the program.
    auto everyCommand = [&] {
        pad->TaskTray1MouseDown(pad->TaskTray1, mbLeft, ssLeft, 0, 0);
        pad->AddTargetClick(pad->AddTarget);
        pad->KVersion1Click(pad->Version1);
        pad->Help1Click(pad->Help1);
        SendMessageA(pad->Handle(), WM_PADHANDOVER, 0, 0);
    };
    {
        Hold();
        testkit::MessageBoxRecorder questions;
        questions.onBox = [&](const testkit::MessageBoxRecorder::Box&) {
            everyCommand();
            return IDNO;
        };
        TCloseAction action = caHide;
        pad->FormClose(pad, action);
        EXPECT_EQ(questions.boxes.size(), 1u);
        EXPECT_EQ(action, caNone);
        Release();
    }
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(abouts, 0);
    EXPECT_EQ(helps, 0);
    // Once the question is answered, the same commands work again (the
    // tray's from the message loop).
    everyCommand();
    testkit::Pump();
    EXPECT_EQ(dialogs, 3);
    EXPECT_EQ(abouts, 1);
    EXPECT_EQ(helps, 1);
    EditForm->OnShow = nullptr;
    delete pad;
    pad = nullptr;
    dialogkit::DestroyDialogs();
}

TEST(SecondStart, OnePadPerSettingsFileWhateverTheLetterCase) {
    const uint64_t key = InstanceKey(L"C:\\Users\\Zo\u00EB\\Tools\\vantro.ini");
    // The file system ignores letter case, accented letters included.
    EXPECT_EQ(InstanceKey(L"c:\\users\\ZO\u00CB\\tools\\VANTRO.INI"), key);
    // Another folder, or another name beside it, is another pad.
    EXPECT_NE(InstanceKey(L"C:\\Users\\Zo\u00EB\\Tools2\\vantro.ini"), key);
    EXPECT_NE(InstanceKey(L"C:\\Users\\Zo\u00EB\\Tools\\vantro2.ini"), key);
    EXPECT_NE(InstanceKey(L""), 0u);
    // A name the session's object namespace takes: no "\" after its prefix.
    const std::wstring name = InstanceName(key);
    EXPECT_EQ(name.rfind(L"Local\\", 0), 0u);
    EXPECT_EQ(name.find(L'\\', 6), std::wstring::npos);
    EXPECT_NE(InstanceName(InstanceKey(L"D:\\vantro.ini")), name);
}

TEST(SecondStart, APadThatWouldDropTheHandOverIsToldOfInstead) {
    EXPECT_EQ(HandOverRefusedText(false, false), nullptr);
    ASSERT_NE(HandOverRefusedText(true, false), nullptr);
    EXPECT_NE(std::string(HandOverRefusedText(true, false)).find("応答していません"), std::string::npos);
    ASSERT_NE(HandOverRefusedText(false, true), nullptr);
    EXPECT_NE(std::string(HandOverRefusedText(false, true)).find("保存せずに終了するか"), std::string::npos);
    EXPECT_STREQ(HandOverRefusedText(true, true), HandOverRefusedText(true, false)) << "a hung pad cannot answer either";
}

// A pad run as administrator: its mutex refuses an ordinary start access. The
// start says so once and ends; it must never run as if no pad ran.
TEST(SecondStart, APadRunAsAdministratorIsToldOfAndTheStartEnds) {
    std::wstring asked;
    const auto mutex = testkit::MakeScopedHook(platform::hooks().createMutex,
                                               [&](const wchar_t* name, DWORD* error) -> HANDLE {
                                                   asked = name;
                                                   *error = ERROR_ACCESS_DENIED;
                                                   return nullptr;
                                               });
    testkit::MessageBoxRecorder boxes;
    {
        SingleInstance second;
        EXPECT_FALSE(second.Claim(kHandOverWait));
    }
    EXPECT_EQ(asked.rfind(L"Local\\VantroPad-", 0), 0u);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_NE(boxes.boxes[0].text.find("管理者の権限で動いています"), std::string::npos) << boxes.boxes[0].text;
    EXPECT_EQ(boxes.boxes[0].caption, "Vantro Pad");
    EXPECT_EQ(GetFileAttributesA(padkit::PadIni().c_str()), INVALID_FILE_ATTRIBUTES) << "the start touched no settings file";
}

// The running pad hears a start made with fewer rights than its own.
TEST(SecondStart, ThePadLetsTheHandOverThroughFromLowerLevels) {
    std::vector<std::pair<HWND, UINT>> allowed;
    const auto allow = testkit::MakeScopedHook(platform::hooks().allowMessage, [&](HWND wnd, UINT message) {
        allowed.emplace_back(wnd, message);
        return TRUE;
    });
    testkit::Window padWindow("stand-in pad");
    SingleInstance first;
    ASSERT_TRUE(first.Claim(kHandOverWait));
    first.Mark(padWindow.hwnd());
    EXPECT_EQ(allowed, (std::vector<std::pair<HWND, UINT>>{{padWindow.hwnd(), WM_PADHANDOVER}}));
}

} // namespace
