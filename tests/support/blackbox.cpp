#include "tests/support/blackbox.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "tests/support/testkit.h"

namespace testkit {

VantroProcess::VantroProcess() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static int serial = 0;
    std::ostringstream dir;
    dir << temp << "vantro-bb-" << GetCurrentProcessId() << "-" << ++serial << "\\";
    FDir = dir.str();
    CreateDirectoryA(FDir.c_str(), nullptr);
    DeleteFileA(IniPath().c_str());
    CopyFileA((ExeDir() + "vantro.exe").c_str(), (FDir + "vantro.exe").c_str(), FALSE);
}

VantroProcess::~VantroProcess() {
    Kill();
    DeleteFileA((FDir + "vantro.exe").c_str());
    DeleteFileA(IniPath().c_str());
    RemoveDirectoryA(FDir.c_str());
}

bool VantroProcess::Start() {
    std::string cmd = "\"" + FDir + "vantro.exe\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, FDir.c_str(), &si, &FPi)) return false;
    // Until its start-up is over the program may still take the foreground.
    WaitForInputIdle(FPi.hProcess, 10000);
    return true;
}

bool VantroProcess::Running() const {
    return FPi.hProcess && WaitForSingleObject(FPi.hProcess, 0) == WAIT_TIMEOUT;
}

bool VantroProcess::WaitExit(int ms) {
    if (!FPi.hProcess) return true;
    return WaitFor([this] { return !Running(); }, ms);
}

std::vector<HWND> VantroProcess::Windows(const char* className) const {
    struct Ctx {
        DWORD pid;
        const char* cls;
        std::vector<HWND> found;
    } ctx{FPi.dwProcessId, className, {}};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(p);
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            char cls[64] = "";
            GetClassNameA(w, cls, sizeof cls);
            if (pid == c->pid && lstrcmpA(cls, c->cls) == 0) c->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

HWND VantroProcess::Pad(int ms) {
    HWND pad = nullptr;
    WaitFor(
        [&] {
            auto w = Windows("TVTform");
            pad = w.empty() ? nullptr : w.front();
            return pad != nullptr;
        },
        ms);
    return pad;
}

bool VantroProcess::Close(int ms) {
    HWND pad = Pad(ms);
    if (!pad) return false;
    PostMessageA(pad, WM_CLOSE, 0, 0);
    return WaitExit(ms);
}

std::string VantroProcess::MessageBoxText(HWND* box) const {
    for (HWND w : Windows("#32770")) {
        if (!IsWindowVisible(w)) continue;
        if (box) *box = w;
        std::string text;
        // The message is the static control that is not the icon.
        for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            char cls[32] = "", buf[1024] = "";
            GetClassNameA(c, cls, sizeof cls);
            GetWindowTextA(c, buf, sizeof buf);
            if (lstrcmpiA(cls, "Static") == 0 && buf[0]) text = buf;
        }
        return text;
    }
    return "";
}

void VantroProcess::Kill() {
    if (!FPi.hProcess) return;
    if (Running()) {
        TerminateProcess(FPi.hProcess, 1);
        WaitForSingleObject(FPi.hProcess, 5000);
    }
    CloseHandle(FPi.hProcess);
    CloseHandle(FPi.hThread);
    FPi = PROCESS_INFORMATION{};
}

void VantroTest::SetUp() {
    ReleaseModifiers();
    SetCursorPos(2, GetSystemMetrics(SM_CYSCREEN) - 2);
}

void VantroTest::TearDown() {
    proc.Kill();
    ReleaseModifiers();
}

KeyHook* KeyHook::self = nullptr;

KeyHook::KeyHook() {
    self = this;
    hook = SetWindowsHookExA(WH_KEYBOARD_LL, &Proc, GetModuleHandleA(nullptr), 0);
}

KeyHook::~KeyHook() {
    UnhookWindowsHookEx(hook);
    self = nullptr;
}

std::vector<bool> KeyHook::For(DWORD vk) const {
    std::vector<bool> ups;
    for (const Event& e : events) {
        const bool shift = e.vk == VK_SHIFT || e.vk == VK_LSHIFT || e.vk == VK_RSHIFT;
        const bool ctrl = e.vk == VK_CONTROL || e.vk == VK_LCONTROL || e.vk == VK_RCONTROL;
        if ((vk == VK_SHIFT && shift) || (vk == VK_CONTROL && ctrl)) ups.push_back(e.up);
    }
    return ups;
}

LRESULT CALLBACK KeyHook::Proc(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && self) {
        auto* k = reinterpret_cast<KBDLLHOOKSTRUCT*>(lp);
        self->events.push_back(Event{k->vkCode, wp == WM_KEYUP || wp == WM_SYSKEYUP});
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

} // namespace testkit
