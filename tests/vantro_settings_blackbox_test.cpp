// The real vantro.exe and its settings file: beside the program in a folder
// whose name code page 932 cannot hold, held open by another program while the
// program starts, and impossible to write when it ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/blackbox.h"
#include "tests/support/testkit.h"

using testkit::Window;

namespace {

// "Zoë été 한": ë and é have no code page 932 form, nor has the Hangul syllable.
const std::wstring kFolderName = L"Zo\u00EB \u00E9t\u00E9 \uD55C";

const char kFirstRunFile[] =
    "[Target]\r\nAll=0\r\nList.Count=3\r\nList.0=｢ｴｸｽﾌﾟﾛｰﾗ｣\r\nList.1=｢ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ｣\r\n"
    "List.2=｢ﾌｧｲﾙ ﾏﾈｰｼﾞｬ｣\r\n[Pad]\r\nNoBoth=0\r\n";
const char kFiveEntries[] =
    "[Target]\r\nAll=0\r\nList.Count=5\r\nList.0=｢a｣\r\nList.1=｢b｣\r\nList.2=｢c｣\r\nList.3=｢d｣\r\n"
    "List.4=｢ﾒﾓ帳｣\r\n[Pad]\r\nNoBoth=1\r\n";

std::wstring Wide(const std::string& cp932) {
    const int n = MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), &w[0], n);
    return w;
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
    CloseHandle(h);
    return bytes;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD n = 0;
    const bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) && n == bytes.size();
    CloseHandle(h);
    return ok;
}

// Holds a file open without sharing, as a backup tool or a virus scanner may.
HANDLE Hold(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

// Top-level windows of a process with the given class.
std::vector<HWND> WindowsOf(DWORD pid, const wchar_t* className) {
    struct Ctx {
        DWORD pid;
        const wchar_t* cls;
        std::vector<HWND> found;
    } ctx{pid, className, {}};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            wchar_t cls[64] = L"";
            GetClassNameW(w, cls, 64);
            if (owner == c->pid && lstrcmpW(cls, c->cls) == 0) c->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

// The text of the first visible message box of a process, in UTF-16.
std::wstring BoxText(DWORD pid, HWND* box = nullptr) {
    for (HWND w : WindowsOf(pid, L"#32770")) {
        if (!IsWindowVisible(w)) continue;
        if (box) *box = w;
        std::wstring text;
        for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            wchar_t cls[32] = L"", buf[1024] = L"";
            GetClassNameW(c, cls, 32);
            GetWindowTextW(c, buf, 1024);
            if (lstrcmpiW(cls, L"Static") == 0 && buf[0]) text = buf;
        }
        return text;
    }
    return L"";
}

// vantro.exe copied into "<temp>\vantro-zoe-<pid>-<n>\Zoë été 한\" and started
// there with CreateProcessW.
class ProgramInWideFolder {
public:
    ProgramInWideFolder() {
        wchar_t temp[MAX_PATH] = L"";
        GetTempPathW(MAX_PATH, temp);
        static int serial = 0;
        FParent = std::wstring(temp) + L"vantro-zoe-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                  std::to_wstring(++serial);
        CreateDirectoryW(FParent.c_str(), nullptr);
        FDir = FParent + L"\\" + kFolderName + L"\\";
        CreateDirectoryW(FDir.c_str(), nullptr);
        copied = CopyFileW(Wide(testkit::ExeDir() + "vantro.exe").c_str(), (FDir + L"vantro.exe").c_str(), FALSE) != 0;
    }
    ~ProgramInWideFolder() {
        Kill();
        DeleteFileW((FDir + L"vantro.exe").c_str());
        DeleteFileW(Ini().c_str());
        RemoveDirectoryW(FDir.c_str());
        RemoveDirectoryW(FParent.c_str());
    }
    std::wstring Ini() const { return FDir + L"vantro.ini"; }
    const std::wstring& Dir() const { return FDir; }

    bool Start() {
        std::wstring cmd = L"\"" + FDir + L"vantro.exe\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, FDir.c_str(), &si, &FPi))
            return false;
        WaitForInputIdle(FPi.hProcess, 10000);
        return true;
    }
    HWND Pad() {
        HWND pad = nullptr;
        testkit::WaitFor(
            [&] {
                auto w = WindowsOf(FPi.dwProcessId, L"TVTform");
                pad = w.empty() ? nullptr : w.front();
                return pad != nullptr;
            },
            10000);
        return pad;
    }
    bool Running() const { return FPi.hProcess && WaitForSingleObject(FPi.hProcess, 0) == WAIT_TIMEOUT; }
    bool WaitExit(int ms) {
        return testkit::WaitFor([this] { return !Running(); }, ms);
    }
    DWORD Pid() const { return FPi.dwProcessId; }
    void Kill() {
        if (!FPi.hProcess) return;
        if (Running()) {
            TerminateProcess(FPi.hProcess, 1);
            WaitForSingleObject(FPi.hProcess, 5000);
        }
        CloseHandle(FPi.hProcess);
        CloseHandle(FPi.hThread);
        FPi = PROCESS_INFORMATION{};
    }

    bool copied = false;

private:
    std::wstring FParent, FDir;
    PROCESS_INFORMATION FPi{};
};

class VantroSettings : public testkit::VantroTest {};

TEST_F(VantroSettings, InAFolderCodePage932CannotNameTheFileIsWrittenAndRead) {
    ProgramInWideFolder prog;
    ASSERT_TRUE(prog.copied);

    // First run: the close ends the program at once, with no message, and the
    // eight lines are beside it.
    ASSERT_TRUE(prog.Start());
    HWND pad = prog.Pad();
    ASSERT_NE(pad, nullptr);
    PostMessageW(pad, WM_CLOSE, 0, 0);
    EXPECT_TRUE(prog.WaitExit(10000)) << "still running; a message box is open: " << !BoxText(prog.Pid()).empty();
    EXPECT_EQ(ReadBytes(prog.Ini()), kFirstRunFile);
    prog.Kill();

    // A hand-written list there is the one the pad docks by.
    ASSERT_TRUE(WriteBytes(prog.Ini(), "[Target]\r\nList.Count=1\r\nList.0=｢ﾒﾓ帳｣\r\n[Pad]\r\nNoBoth=1\r\n"));
    ASSERT_TRUE(prog.Start());
    pad = prog.Pad();
    ASSERT_NE(pad, nullptr);
    Window explorer("C:\\ - ｴｸｽﾌﾟﾛｰﾗ");
    explorer.Activate();
    testkit::Pump(400);  // four polls
    EXPECT_FALSE(IsWindowVisible(pad)) << "docked by the default list";
    Window mine("無題 - ﾒﾓ帳");
    mine.Activate();
    EXPECT_TRUE(testkit::WaitFor([&] {
        RECT r{};
        GetWindowRect(pad, &r);
        return IsWindowVisible(pad) && r.right - r.left > 0;
    }, 5000));
    PostMessageW(pad, WM_CLOSE, 0, 0);
    EXPECT_TRUE(prog.WaitExit(10000));
    const std::string ini = ReadBytes(prog.Ini());
    EXPECT_NE(ini.find("List.Count=1\r\nList.0=｢ﾒﾓ帳｣\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("NoBoth=1\r\n"), std::string::npos) << ini;
}

TEST_F(VantroSettings, AFileThatCannotBeWrittenAsksAndYesEndsWithoutSaving) {
    ProgramInWideFolder prog;
    ASSERT_TRUE(prog.copied);
    ASSERT_TRUE(WriteBytes(prog.Ini(), kFiveEntries));
    ASSERT_TRUE(prog.Start());
    HWND pad = prog.Pad();
    ASSERT_NE(pad, nullptr);
    HANDLE held = Hold(prog.Ini());
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    PostMessageW(pad, WM_CLOSE, 0, 0);

    HWND box = nullptr;
    std::wstring text;
    EXPECT_TRUE(testkit::WaitFor([&] { return !(text = BoxText(prog.Pid(), &box)).empty(); }, 10000));
    // The path as the user sees it, and a choice between Yes and No.
    EXPECT_EQ(text.find(prog.Ini() + Wide(" に書き込めません.")), 0u) << text.size();
    EXPECT_NE(GetDlgItem(box, IDYES), nullptr);
    EXPECT_NE(GetDlgItem(box, IDNO), nullptr);
    wchar_t caption[64] = L"";
    GetWindowTextW(box, caption, 64);
    EXPECT_EQ(std::wstring(caption), L"Vantro Pad");

    PostMessageW(box, WM_COMMAND, IDYES, 0);
    EXPECT_TRUE(prog.WaitExit(10000));
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(prog.Ini()), kFiveEntries);
}

TEST_F(VantroSettings, AFileHeldWhileTheProgramStartsKeepsItsEntries) {
    ASSERT_TRUE(testkit::WriteFileBytes(proc.IniPath(), kFiveEntries));
    HANDLE held = Hold(Wide(proc.IniPath()));
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(proc.Start());

    // Once it has stopped waiting for the file, the program says it could not read it.
    std::string text;
    HWND box = nullptr;
    EXPECT_TRUE(testkit::WaitFor([&] { return !(text = proc.MessageBoxText(&box)).empty(); }, 15000));
    EXPECT_NE(text.find("vantro.ini を読み込めません."), std::string::npos) << text;
    CloseHandle(held);
    if (box) PostMessageW(box, WM_COMMAND, IDOK, 0);

    ASSERT_NE(proc.Pad(), nullptr);
    EXPECT_TRUE(proc.Close());
    EXPECT_EQ(testkit::ReadFileBytes(proc.IniPath()), kFiveEntries);
}

} // namespace
