// The real vantro.exe and its settings file: beside the program in a folder
// whose name code page 932 cannot hold, held open by another program while the
// program starts, impossible to write when it ends, and a second start of the
// program for the same file.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/blackbox.h"
#include "tests/support/testkit.h"

using testkit::HeldFile;
using testkit::kNameOutside932;
using testkit::VantroProcess;
using testkit::Window;

namespace {

const char kFiveEntries[] =
    "[Target]\r\nAll=0\r\nList.Count=5\r\nList.0=｢a｣\r\nList.1=｢b｣\r\nList.2=｢c｣\r\nList.3=｢d｣\r\n"
    "List.4=｢ﾒﾓ帳｣\r\n[Pad]\r\nNoBoth=1\r\n";

using VantroSettings = testkit::VantroTest;

TEST_F(VantroSettings, InAFolderCodePage932CannotNameTheFileIsWrittenAndRead) {
    VantroProcess prog(kNameOutside932);
    ASSERT_TRUE(prog.Copied());

    // First run: the close ends the program at once, with no message, and the
    // eight lines are beside it.
    ASSERT_TRUE(prog.Start());
    HWND pad = prog.Pad();
    ASSERT_NE(pad, nullptr);
    PostMessageW(pad, WM_CLOSE, 0, 0);
    EXPECT_TRUE(prog.WaitExit());
    EXPECT_EQ(testkit::ReadFileBytes(prog.IniPathW()), testkit::kFirstRunFile);

    // A hand-written list there is the one the pad docks by.
    ASSERT_TRUE(testkit::WriteFileBytes(prog.IniPathW(),
                                        "[Target]\r\nList.Count=1\r\nList.0=｢ﾒﾓ帳｣\r\n[Pad]\r\nNoBoth=1\r\n"));
    ASSERT_TRUE(prog.Start());
    pad = prog.Pad();
    ASSERT_NE(pad, nullptr);
    Window mine("無題 - ﾒﾓ帳");
    ASSERT_TRUE(mine.Activate());
    EXPECT_TRUE(prog.WaitDockedOn(mine.hwnd()));
    // Not docked by the default list: a poll saw a default target in front and
    // found no entry for it.
    Window explorer("C:\\ - ｴｸｽﾌﾟﾛｰﾗ");
    ASSERT_TRUE(explorer.Activate());
    EXPECT_TRUE(prog.WaitHidden());
    EXPECT_TRUE(prog.Close());
    const std::string ini = testkit::ReadFileBytes(prog.IniPathW());
    EXPECT_NE(ini.find("List.Count=1\r\nList.0=｢ﾒﾓ帳｣\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("NoBoth=1\r\n"), std::string::npos) << ini;
}

TEST_F(VantroSettings, AFileThatCannotBeWrittenAsksAndYesEndsWithoutSaving) {
    VantroProcess prog(kNameOutside932);
    ASSERT_TRUE(prog.Copied());
    ASSERT_TRUE(testkit::WriteFileBytes(prog.IniPathW(), kFiveEntries));
    ASSERT_TRUE(prog.Start());
    HWND pad = prog.Pad();
    ASSERT_NE(pad, nullptr);
    HeldFile held(prog.IniPathW());
    ASSERT_TRUE(held.Held());
    PostMessageW(pad, WM_CLOSE, 0, 0);

    HWND box = nullptr;
    std::wstring text;
    EXPECT_TRUE(testkit::WaitFor([&] { return !(text = prog.MessageBoxTextW(&box)).empty(); }, "the error box"));
    // The path as the user sees it, and a choice between Yes and No.
    EXPECT_EQ(text.find(prog.IniPathW() + testkit::WideFrom932(" に書き込めません.")), 0u) << testkit::Cp932From(text);
    EXPECT_NE(GetDlgItem(box, IDYES), nullptr);
    EXPECT_NE(GetDlgItem(box, IDNO), nullptr);
    wchar_t caption[64] = L"";
    GetWindowTextW(box, caption, 64);
    EXPECT_EQ(std::wstring(caption), L"Vantro Pad");

    PostMessageW(box, WM_COMMAND, IDYES, 0);
    EXPECT_TRUE(prog.WaitExit());
    held.Release();
    EXPECT_EQ(testkit::ReadFileBytes(prog.IniPathW()), kFiveEntries);
}

// The real program's own box: a session end and then a close while it is
// open write nothing and end the program cleanly.
TEST_F(VantroSettings, WhileTheStartUpBoxIsOpenASessionEndAndACloseWriteNothingAndDoNotCrash) {
    ASSERT_TRUE(testkit::WriteFileBytes(proc.IniPath(), kFiveEntries));
    HeldFile held(proc.IniPath());
    ASSERT_TRUE(held.Held());
    ASSERT_TRUE(proc.Start());
    HWND box = nullptr;
    EXPECT_TRUE(testkit::WaitFor([&] { return !proc.MessageBoxText(&box).empty(); }, "the start-up box"));
    EXPECT_NE(proc.MessageBoxText().find("vantro.ini を読み込めません."), std::string::npos);
    pad = proc.Pad();
    ASSERT_NE(pad, nullptr);
    // The other program lets go: a write would now go through.
    held.Release();
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(pad, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, testkit::kLimitMs,
                                    &answer));
    ASSERT_TRUE(
        SendMessageTimeoutA(pad, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, testkit::kLimitMs, &answer));
    EXPECT_TRUE(proc.Running());
    EXPECT_EQ(testkit::ReadFileBytes(proc.IniPath()), kFiveEntries);
    PostMessageW(pad, WM_CLOSE, 0, 0);
    EXPECT_TRUE(proc.WaitExit());
    EXPECT_EQ(proc.ExitCode(), 0u) << "not a crash";
    EXPECT_EQ(testkit::ReadFileBytes(proc.IniPath()), kFiveEntries);
}

TEST_F(VantroSettings, ASecondStartHandsOverToThePadThatRunsAndEnds) {
    ASSERT_TRUE(testkit::WriteFileBytes(proc.IniPath(), kFiveEntries));
    ASSERT_TRUE(proc.Start());
    pad = proc.Pad();
    ASSERT_NE(pad, nullptr);
    int icons = -1;
    ASSERT_TRUE(testkit::WaitFor([&] { return (icons = testkit::WineTrayIcons()) >= 1; }, "the pad's tray icon"));

    HANDLE second = proc.Launch();
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(testkit::WaitFor([&] { return WaitForSingleObject(second, 0) == WAIT_OBJECT_0; },
                                 "the second start to end by itself"));
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(second, &code);
    CloseHandle(second);
    EXPECT_EQ(code, 0u);
    // The pad that runs opened its settings dialog instead, and stays the only one.
    EXPECT_TRUE(SettingsOpen());
    EXPECT_TRUE(proc.Running());
    EXPECT_EQ(testkit::WineTrayIcons(), icons);
    EXPECT_EQ(testkit::ReadFileBytes(proc.IniPath()), kFiveEntries);

    // A copy in another folder has a file of its own: it runs beside this one.
    VantroProcess other;
    ASSERT_TRUE(other.Copied());
    ASSERT_TRUE(other.Start());
    EXPECT_NE(other.Pad(), nullptr);
    EXPECT_TRUE(testkit::WaitFor([&] { return testkit::WineTrayIcons() == icons + 1; }, "the other copy's tray icon"));
    EXPECT_TRUE(other.Close());

    ClickControl(Settings(), "TButton", "CANCEL");
    EXPECT_TRUE(SettingsClosed());
    EXPECT_TRUE(proc.Close());
    EXPECT_EQ(testkit::ReadFileBytes(proc.IniPath()), kFiveEntries);
}

} // namespace
