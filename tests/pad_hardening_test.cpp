// The pad on the rough paths of its life: a close after the close, a start
// before the shell's notification area is there, the settings dialog opened
// before the first docking, more than one session-end notice, commands while
// the exit question is open, and a second start of the program.
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

// The pad's settings file: this test program's name with ".ini", next to it.
std::string PadIni() { return testkit::ExeDir() + "pad_hardening_test.ini"; }

class PadHardening : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteFileA(PadIni().c_str());
        testkit::ReleaseModifiers();
    }
    void TearDown() override {
        delete pad;
        DeleteFileA(PadIni().c_str());
        testkit::ReleaseModifiers();
    }
    // Not in SetUp: a test may stand in for the shell before the pad starts.
    void Create() { pad = padkit::NewPad(); }
    TVTform* pad = nullptr;
};

TEST_F(PadHardening, ACloseAfterTheCloseDoesNothing) {
    Create();
    pad->OptNoBoth = true;
    TCloseAction action = caHide;
    pad->FormClose(pad, action);
    const std::string saved = testkit::ReadFileBytes(PadIni());
    ASSERT_NE(saved.find("NoBoth=1\r\n"), std::string::npos) << saved;
    ASSERT_FALSE(pad->Targets);
    // A second close request that was already queued.
    ASSERT_TRUE(testkit::WriteFileBytes(PadIni(), saved + "; untouched\r\n"));
    pad->FormClose(pad, action);
    EXPECT_EQ(testkit::ReadFileBytes(PadIni()), saved + "; untouched\r\n");
}

TEST_F(PadHardening, EverySessionEndNoticeSavesWhileTheListExists) {
    Create();
    pad->OptAll = true;
    SendMessageA(pad->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    EXPECT_NE(testkit::ReadFileBytes(PadIni()).find("All=1\r\n"), std::string::npos);
    // The program lived on and the user changed the settings: the next notice
    // saves them too.
    pad->OptAll = false;
    pad->Targets->Add("ﾒﾓ帳");
    SendMessageA(pad->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    const std::string second = testkit::ReadFileBytes(PadIni());
    EXPECT_NE(second.find("All=0\r\n"), std::string::npos) << second;
    EXPECT_NE(second.find("List.Count=4\r\nList.0=｢ｴｸｽﾌﾟﾛｰﾗ｣\r\n"), std::string::npos) << second;
    EXPECT_NE(second.find("List.3=｢ﾒﾓ帳｣\r\n"), std::string::npos) << second;

    // Once the close has saved and freed the list, a notice writes nothing.
    TCloseAction action = caHide;
    pad->FormClose(pad, action);
    ASSERT_TRUE(testkit::WriteFileBytes(PadIni(), "closed"));
    SendMessageA(pad->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    EXPECT_EQ(testkit::ReadFileBytes(PadIni()), "closed");
}

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
    int addsRefused = 0;
    bool shellUp = false;
    auto shell = testkit::MakeScopedHook(platform::hooks().shellNotifyIcon, [&](DWORD m, NOTIFYICONDATAA*) {
        if (m == NIM_ADD && !shellUp) {
            ++addsRefused;
            return FALSE;
        }
        return TRUE;
    });
    testkit::MessageBoxRecorder boxes;
    ASSERT_NO_THROW(Create());
    ASSERT_TRUE(pad->Targets);
    EXPECT_EQ(pad->Targets->Count(), 3);
    EXPECT_FALSE(pad->TaskTray1->InTray());
    EXPECT_TRUE(pad->TaskTray1->Registered());
    const int atStart = addsRefused;
    EXPECT_GE(atStart, 1);
    // A quiet retry, refused: still no message.
    ASSERT_TRUE(testkit::WaitFor([&] { return addsRefused > atStart; }, "a quiet retry of the add"));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_FALSE(pad->TaskTray1->InTray());

    shellUp = true;
    EXPECT_TRUE(testkit::WaitFor([&] { return pad->TaskTray1->InTray(); }, "the icon added by a later retry"));
    EXPECT_TRUE(boxes.boxes.empty());
    // Its icon is deleted from the stand-in shell that holds it.
    delete pad;
    pad = nullptr;
}

TEST_F(PadHardening, WhileTheExitQuestionIsOpenThePadsCommandsDoNothing) {
    dialogkit::CreateDialogs();
    ASSERT_TRUE(testkit::WriteFileBytes(PadIni(), "[Pad]\r\nNoBoth=1\r\n"));
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
        testkit::HeldFile held(PadIni());
        ASSERT_TRUE(held.Held());
        int questions = 0;
        auto answer = testkit::MakeScopedHook(platform::hooks().messageBoxW,
                                              [&](HWND, const wchar_t*, const wchar_t*, UINT) {
                                                  ++questions;
                                                  everyCommand();
                                                  return IDNO;
                                              });
        TCloseAction action = caHide;
        pad->FormClose(pad, action);
        EXPECT_EQ(questions, 1);
        EXPECT_EQ(action, caNone);
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

TEST(SecondStart, RunsOnlyWithoutAPadForTheFileAndWaitsForAPadWithoutAWindow) {
    // This process holds the file: it runs, whatever else it sees.
    EXPECT_EQ(DecideStart(true, false, false), StartAction::Run);
    EXPECT_EQ(DecideStart(true, true, true), StartAction::Run);
    // Another pad holds it and shows its window: hand over, at once or late.
    EXPECT_EQ(DecideStart(false, true, false), StartAction::HandOver);
    EXPECT_EQ(DecideStart(false, true, true), StartAction::HandOver);
    // Another pad holds it without a window: starting or ending, so wait; but not for ever.
    EXPECT_EQ(DecideStart(false, false, false), StartAction::Wait);
    EXPECT_EQ(DecideStart(false, false, true), StartAction::End);
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
    EXPECT_EQ(GetFileAttributesA(PadIni().c_str()), INVALID_FILE_ATTRIBUTES) << "the start touched no settings file";
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
