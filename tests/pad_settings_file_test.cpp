// The pad's settings file and its tray icon, in the pad's own process: stored
// options, a file it cannot read at start or cannot write at close, the saves
// at the session's end.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "pad/SingleInstance.h"
#include "pad/VTform.h"
#include "settings/SafeSave.h"
#include "settings/WideProfile.h"
#include "tests/support/blackbox.h"
#include "tests/support/padkit.h"
#include "tests/support/testkit.h"

using namespace vcl;
using padkit::PadIni;

namespace {

const char kFiveEntries[] =
    "[Target]\r\nAll=0\r\nList.Count=5\r\nList.0=｢a｣\r\nList.1=｢b｣\r\nList.2=｢c｣\r\nList.3=｢d｣\r\n"
    "List.4=｢ﾒﾓ帳｣\r\n[Pad]\r\nNoBoth=1\r\n";

// The pad of this thread, found by its window (also while it is being created).
TVTform* ThePad() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            char cls[16] = "";
            GetClassNameA(w, cls, sizeof cls);
            if (lstrcmpA(cls, "TVTform") != 0) return TRUE;
            *reinterpret_cast<HWND*>(p) = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found ? dynamic_cast<TVTform*>(TWinControl::FromHandle(found)) : nullptr;
}

// The pad's clock moves on a second at each read: a held file is given up
// after a few probes instead of seconds.
class PadSettingsFile : public padkit::PadFileTest {
protected:
    testkit::Clock clock{1000};
};

TEST_F(PadSettingsFile, StoredOptionsAreReadAndAnEmptyListGetsTheDefaults) {
    ASSERT_TRUE(testkit::WriteFileBytes(PadIni(), "[Target]\r\nAll=1\r\nList.Count=0\r\n[Pad]\r\nNoBoth=2\r\n"));
    Create();
    EXPECT_EQ(pad->IniG->FullPath(), PadIni());
    EXPECT_TRUE(pad->OptAll);
    EXPECT_TRUE(pad->OptNoBoth);
    // The option does not regroup the buttons at start.
    EXPECT_EQ(pad->CtrlBtn->GroupIndex(), 2);
    ASSERT_EQ(pad->Targets->Count(), 3);
    EXPECT_EQ((*pad->Targets)[0], "ｴｸｽﾌﾟﾛｰﾗ");
}

TEST_F(PadSettingsFile, OnlyAStartWithoutASettingsFileShowsTheNotification) {
    testkit::FakeShell shell;
    const auto notices = [&] {
        std::vector<std::string> found;
        for (const std::string& r : shell.requests)
            if (r.rfind("info ", 0) == 0) found.push_back(r);
        return found;
    };
    // The start is over once the pad is created: a notification would have been asked for.
    Create();
    const std::vector<std::string> shown = notices();
    ASSERT_EQ(shown.size(), 1u);
    // To the pad's icon, the notification alone (the icon and its tip stay as
    // they are); where the icon is and what a press on it does, in two lines.
    EXPECT_EQ(shown[0].rfind("info 1 16 ", 0), 0u) << shown[0];
    EXPECT_NE(shown[0].find("Vantro Pad"), std::string::npos);
    EXPECT_NE(shown[0].find("通知領域"), std::string::npos);
    EXPECT_NE(shown[0].find("各種設定"), std::string::npos);
    EXPECT_NE(shown[0].find('\n'), std::string::npos);
    // Nothing else shows at start.
    EXPECT_FALSE(IsWindowVisible(pad->Handle()) && pad->Width() > 0);
    delete pad;
    pad = nullptr;

    shell.requests.clear();
    ASSERT_TRUE(testkit::WriteFileBytes(PadIni(), "[Target]\r\nAll=0\r\n"));
    Create();
    EXPECT_TRUE(notices().empty());
    delete pad;
    pad = nullptr;
    // Nor does one whose settings come from the whole copy a cut-short save left.
    DeleteFileA(PadIni().c_str());
    ASSERT_TRUE(testkit::WriteFileBytes(PadIni() + ".new", "[Target]\r\nAll=1\r\n[Pad]\r\nNoBoth=0\r\n"));
    Create();
    EXPECT_TRUE(pad->OptAll);
    EXPECT_TRUE(notices().empty());
}

TEST_F(PadSettingsFile, AFileHeldAtStartIsNotOverwrittenWithTheDefaults) {
    ASSERT_TRUE(testkit::WriteFileBytes(PadIni(), kFiveEntries));
    Hold();
    testkit::MessageBoxRecorder boxes;
    Create();
    // The defaults, and one error box that names the file, once the message
    // loop runs.
    ASSERT_EQ(pad->Targets->Count(), 3);
    EXPECT_EQ((*pad->Targets)[0], "ｴｸｽﾌﾟﾛｰﾗ");
    EXPECT_FALSE(pad->OptNoBoth);
    ASSERT_TRUE(testkit::WaitFor([&] { return !boxes.boxes.empty(); }, "the error box"));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text.find(PadIni() + " を読み込めません."), 0u);
    EXPECT_EQ(boxes.boxes[0].caption, "Vantro Pad");
    EXPECT_EQ(boxes.boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));

    // The other program lets go; the user ends the pad without changing anything.
    Release();
    TCloseAction action = caHide;
    pad->FormClose(pad, action);
    EXPECT_NE(action, caNone);
    EXPECT_FALSE(pad->Targets);
    EXPECT_EQ(testkit::ReadFileBytes(PadIni()), kFiveEntries);
    EXPECT_EQ(boxes.boxes.size(), 1u) << "told once";
}

TEST_F(PadSettingsFile, TheStartUpBoxComesAfterStartUpAndACloseOrSessionEndWhileItIsOpenWriteNothing) {
    ASSERT_TRUE(testkit::WriteFileBytes(PadIni(), kFiveEntries));
    Hold();
    int entriesAtBox = -1;
    TCloseAction action = caHide;
    testkit::MessageBoxRecorder boxes;
    boxes.onBox = [&](const testkit::MessageBoxRecorder::Box&) {
        // The box may come while the test still waits for the pad's creation.
        TVTform* shown = ThePad();
        entriesAtBox = shown && shown->Targets ? shown->Targets->Count() : -1;
        if (!shown) return IDOK;
        // The other program lets go; then the session ends and the pad is
        // closed, both while the box is open. Writes would now succeed.
        Release();
        SendMessageA(shown->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        EXPECT_EQ(testkit::ReadFileBytes(PadIni()), kFiveEntries) << "after the session end";
        shown->FormClose(shown, action);
        return IDOK;
    };
    Create();
    ASSERT_TRUE(testkit::WaitFor([&] { return boxes.boxes.size() == 1; }, "the error box"));
    // Not from inside the start-up: the pad is whole, its defaults in place, when the box comes.
    EXPECT_EQ(entriesAtBox, 3);
    EXPECT_NE(action, caNone);
    EXPECT_FALSE(pad->Targets);
    testkit::Pump();
    EXPECT_EQ(testkit::ReadFileBytes(PadIni()), kFiveEntries);
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(PadSettingsFile, SettingsChangedAfterAHeldStartAreSaved) {
    ASSERT_TRUE(testkit::WriteFileBytes(PadIni(), kFiveEntries));
    Hold();
    testkit::MessageBoxRecorder boxes;
    Create();
    Release();
    // Flipped and flipped back: nothing to save.
    pad->NoBothClick(pad->NoBoth);
    pad->NoBothClick(pad->NoBoth);
    pad->SaveSettings();
    EXPECT_EQ(testkit::ReadFileBytes(PadIni()), kFiveEntries);
    // A real change is the user's word: it is written, with the list the pad runs with.
    pad->Opt_all2Click(pad->Opt_all2);
    pad->SaveSettings();
    const std::string defaults = "List.Count=3\r\nList.0=｢ｴｸｽﾌﾟﾛｰﾗ｣\r\nList.1=｢ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ｣\r\n"
                                 "List.2=｢ﾌｧｲﾙ ﾏﾈｰｼﾞｬ｣\r\nList.3=｢d｣\r\nList.4=｢ﾒﾓ帳｣\r\n[Pad]\r\nNoBoth=0\r\n";
    EXPECT_EQ(testkit::ReadFileBytes(PadIni()), "[Target]\r\nAll=1\r\n" + defaults);
    // From then on the file holds the pad's settings: changed back, they are saved too.
    pad->Opt_all2Click(pad->Opt_all2);
    TCloseAction action = caHide;
    pad->FormClose(pad, action);
    EXPECT_EQ(testkit::ReadFileBytes(PadIni()), "[Target]\r\nAll=0\r\n" + defaults);
}

TEST_F(PadSettingsFile, AFileReleasedWhileThePadWaitsIsRead) {
    ASSERT_TRUE(testkit::WriteFileBytes(PadIni(), kFiveEntries));
    Hold();
    // The other program lets go once the pad has found the file held and
    // looks at its clock again: it is still waiting.
    clock.onRead = [this](int reads) {
        if (reads == 2) Release();
    };
    testkit::MessageBoxRecorder boxes;
    Create();
    EXPECT_GE(clock.reads, 2) << "let go while the pad waited";
    EXPECT_TRUE(boxes.boxes.empty());
    ASSERT_EQ(pad->Targets->Count(), 5);
    EXPECT_EQ((*pad->Targets)[4], "ﾒﾓ帳");
    EXPECT_TRUE(pad->OptNoBoth);
}

TEST_F(PadSettingsFile, AFailedWriteAsksWhetherToEndWithoutSavingAndALaterCloseSaves) {
    ASSERT_TRUE(testkit::WriteFileBytes(PadIni(), kFiveEntries));
    Create();
    pad->Targets->Delete(0);
    Hold();
    {
        // No: the pad goes on with its list, and the question names the file.
        testkit::MessageBoxRecorder boxes(IDNO);
        TCloseAction action = caHide;
        pad->FormClose(pad, action);
        EXPECT_EQ(action, caNone);
        ASSERT_TRUE(pad->Targets);
        EXPECT_EQ(pad->Targets->Count(), 4);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text.find(PadIni() + " に書き込めません."), 0u);
        EXPECT_EQ(boxes.boxes[0].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
        EXPECT_EQ(boxes.boxes[0].caption, "Vantro Pad");
    }
    {
        // Yes: the close goes ahead without saving.
        testkit::MessageBoxRecorder boxes(IDYES);
        TCloseAction action = caHide;
        pad->FormClose(pad, action);
        EXPECT_NE(action, caNone);
        EXPECT_FALSE(pad->Targets);
        EXPECT_EQ(boxes.boxes.size(), 1u);
    }
    Release();
    EXPECT_EQ(testkit::ReadFileBytes(PadIni()), kFiveEntries);
}

TEST_F(PadSettingsFile, AFailedSaveKeptThePadAndALaterCloseSaves) {
    ASSERT_TRUE(testkit::WriteFileBytes(PadIni(), ""));
    Create();
    // CTRL latched and the poll running when the close comes.
    testkit::Window target("C:\\ - ｴｸｽﾌﾟﾛｰﾗ");
    ASSERT_TRUE(padkit::DockOn(pad, target));
    testkit::KeyRecorder keys;
    pad->CtrlBtn->SetDown(true);
    pad->BtnOnOff(pad->CtrlBtn);
    pad->Timer1->SetEnabled(true);
    pad->Targets->Clear();
    pad->Targets->Add("ﾒﾓ帳");
    pad->OptNoBoth = true;
    Hold();
    TCloseAction action = caHide;
    {
        testkit::MessageBoxRecorder boxes(IDNO);
        std::vector<testkit::KeyRecorder::Event> atBox;
        bool pollingAtBox = true;
        boxes.onBox = [&](const testkit::MessageBoxRecorder::Box&) {
            atBox = keys.events;
            pollingAtBox = pad->Timer1->Enabled();
            return IDNO;
        };
        pad->FormClose(pad, action);
        EXPECT_EQ(action, caNone);
        // Ctrl was let go of before the question (Enter on it is no
        // Ctrl+Enter); the poll was off while it was open, and runs again.
        ASSERT_FALSE(atBox.empty());
        EXPECT_EQ(atBox.back(), (testkit::KeyRecorder::Event{VK_CONTROL, KEYEVENTF_KEYUP}));
        EXPECT_FALSE(pollingAtBox);
        EXPECT_TRUE(pad->Timer1->Enabled());
    }
    pad->Timer1->SetEnabled(false);
    Release();
    pad->FormClose(pad, action);
    EXPECT_FALSE(pad->Targets);
    EXPECT_EQ(testkit::ReadFileBytes(PadIni()),
              "[Target]\r\nAll=0\r\nList.Count=1\r\nList.0=｢ﾒﾓ帳｣\r\n[Pad]\r\nNoBoth=1\r\n");
}

TEST_F(PadSettingsFile, ACloseRequestWhileTheQuestionIsOpenAsksNothingMore) {
    ASSERT_TRUE(testkit::WriteFileBytes(PadIni(), kFiveEntries));
    Create();
    Hold();
    // A second close request is handled inside the box's own message loop, as
    // one already queued would be; only the first box's answer counts.
    TCloseAction nested = caHide;
    TCloseAction action = caHide;
    {
        testkit::MessageBoxRecorder boxes;
        boxes.onBox = [&](const testkit::MessageBoxRecorder::Box&) {
            // A start meanwhile can tell.
            EXPECT_TRUE(PadAskingToEnd(pad->Handle()));
            if (boxes.boxes.size() == 1) pad->FormClose(pad, nested);
            return IDYES;
        };
        pad->FormClose(pad, action);
        EXPECT_EQ(boxes.boxes.size(), 1u);
    }
    EXPECT_FALSE(PadAskingToEnd(pad->Handle()));
    EXPECT_EQ(nested, caNone);
    EXPECT_NE(action, caNone);
    EXPECT_FALSE(pad->Targets);
    Release();
    EXPECT_EQ(testkit::ReadFileBytes(PadIni()), kFiveEntries);
}

// ReplaceFileW can take the file away and then fail to rename the copy
// (ERROR_UNABLE_TO_MOVE_REPLACEMENT): only the whole copy is left. The file
// seam stands in for it: at the replacement it removes the file and fails.
TEST_F(PadSettingsFile, ASaveCutAfterTheFileWasTakenAwayIsTakenUpByTheNextStart) {
    ASSERT_TRUE(testkit::WriteFileBytes(PadIni(), kFiveEntries));
    const std::wstring copy = ini::WideFrom932(PadIni()) + L".new";
    int moves = 0, refusedMoves = 0;
    bool cut = true;
    const auto seam = testkit::MakeScopedHook(ini::FileStepHook(), [&](ini::FileStep step, const std::wstring&) {
        if (step == ini::FileStep::Replace && cut) {
            DeleteFileA(PadIni().c_str());
            return false;
        }
        if (step == ini::FileStep::Move) return ++moves > refusedMoves;
        return true;
    });
    Create();

    // The copy cannot take the file's place at once (a scanner holds it a
    // moment): tried again, it does.
    refusedMoves = 2;
    pad->OptAll = true;
    EXPECT_NO_THROW(pad->SaveSettings());
    EXPECT_EQ(moves, 3);
    const std::string allOn = "[Target]\r\nAll=1\r\nList.Count=5\r\nList.0=｢a｣\r\nList.1=｢b｣\r\nList.2=｢c｣\r\n"
                              "List.3=｢d｣\r\nList.4=｢ﾒﾓ帳｣\r\n[Pad]\r\nNoBoth=1\r\n";
    EXPECT_EQ(testkit::ReadFileBytes(PadIni()), allOn);
    EXPECT_EQ(GetFileAttributesW(copy.c_str()), INVALID_FILE_ATTRIBUTES);

    // Never: the save fails, and the whole copy is all that is left. It stays.
    moves = 0;
    refusedMoves = 1000;
    pad->OptNoBoth = false;
    EXPECT_THROW(pad->SaveSettings(), Exception);
    EXPECT_GE(moves, 2) << "the move was tried again";
    EXPECT_EQ(GetFileAttributesA(PadIni().c_str()), INVALID_FILE_ATTRIBUTES);
    const std::string noBothOff = allOn.substr(0, allOn.size() - 3) + "0\r\n";
    EXPECT_EQ(testkit::ReadFileBytes(copy), noBothOff);
    delete pad;
    pad = nullptr;

    // The next start takes the settings from the copy, and its save puts
    // them in place.
    refusedMoves = 0;
    cut = false;
    Create();
    EXPECT_TRUE(pad->OptAll);
    EXPECT_FALSE(pad->OptNoBoth);
    ASSERT_EQ(pad->Targets->Count(), 5);
    EXPECT_EQ((*pad->Targets)[4], "ﾒﾓ帳");
    EXPECT_EQ(testkit::ReadFileBytes(copy), noBothOff) << "a start writes nothing";
    pad->SaveSettings();
    EXPECT_EQ(testkit::ReadFileBytes(PadIni()), noBothOff);
    EXPECT_EQ(GetFileAttributesW(copy.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(CodePageRule, OnlyCodePage932AndSingleBytePagesKeepTheSettings) {
    const struct {
        unsigned codePage;
        bool keeps;
    } rows[] = {
        {932, true},     // the program's own
        {1252, true},    // Western European: every byte goes through unchanged
        {1251, true},    // Cyrillic, likewise
        {65001, false},  // Windows 10's UTF-8 option: the bytes read back as U+FFFD
        {936, false},    // Chinese, Korean: double-byte pages of their own
        {949, false},
        {950, false},
    };
    for (const auto& row : rows) EXPECT_EQ(CodePageKeepsSettings(row.codePage), row.keeps) << row.codePage;
}

// Under such a code page (Windows 10 ignores the manifest's) the list read is
// not the user's: nothing is written back, and the user is told once why.
TEST_F(PadSettingsFile, UnderAForeignCodePageNothingIsSavedAndTheUserIsToldOnce) {
    ASSERT_TRUE(testkit::WriteFileBytes(PadIni(), kFiveEntries));
    const auto codePage = testkit::MakeScopedHook(platform::hooks().codePage, [] { return 65001u; });
    testkit::MessageBoxRecorder boxes;
    Create();
    ASSERT_TRUE(testkit::WaitFor([&] { return !boxes.boxes.empty(); }, "the box about the code page"));
    const std::string& text = boxes.boxes[0].text;
    EXPECT_EQ(text.find(PadIni()), 0u) << "names the file";
    EXPECT_NE(text.find("65001"), std::string::npos);
    EXPECT_NE(text.find("日本語 (日本)"), std::string::npos) << "says what to change";
    // Changed or not, ended or the session ended: the file stays as it was.
    pad->OptAll = true;
    SendMessageA(pad->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    TCloseAction action = caHide;
    pad->FormClose(pad, action);
    EXPECT_NE(action, caNone);
    EXPECT_EQ(testkit::ReadFileBytes(PadIni()), kFiveEntries);
    testkit::Pump();
    EXPECT_EQ(boxes.boxes.size(), 1u) << "told once";
}

TEST_F(PadSettingsFile, EverySessionEndNoticeSavesWhileTheListExists) {
    Create();
    pad->OptAll = true;
    // A notice that the session does not end saves nothing.
    SendMessageA(pad->Handle(), WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(GetFileAttributesA(PadIni().c_str()), INVALID_FILE_ATTRIBUTES);
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

TEST_F(PadSettingsFile, ACloseAfterTheCloseDoesNothing) {
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

TEST(PadTray, TheIconIsThereFromLoadingUntilDestruction) {
    testkit::FakeShell shell;
    auto pad = std::make_unique<TVTform>(&testkit::App());
    // Added while the layout was read, modified at the loaded step: message, icon and tip.
    EXPECT_EQ(shell.requests, (std::vector<std::string>{"add 1 7 Vantro Pad", "mod 1 7 Vantro Pad"}));
    EXPECT_TRUE(pad->TaskTray1->InTray());
    pad->DoCreate();
    shell.requests.clear();
    pad.reset();
    EXPECT_EQ(shell.Ops(), std::vector<std::string>{"del 1"});
}

} // namespace
