// padbench: how fast the pad follows its target, and what it costs when idle,
// side by side with other programs run the same way in the same session
// (scripts/bench.sh runs it on vantro.exe and on barepoll.exe).
//
//   padbench.exe [--rounds N] [--idle SECONDS] PROGRAM.exe STRIPCLASS [PROGRAM.exe STRIPCLASS ...]
//
// It opens a target window titled "C:\ - ｴｸｽﾌﾟﾛｰﾗ" and a second window that is
// no target, then for each program, started from a copy in a folder of its own:
//   dock  N times: the other window in front until the program's strip (its
//         window of class STRIPCLASS) is hidden, a random pause of up to
//         100 ms, then the target brought to the front; the time until the
//         strip is shown on the target's caption bar;
//   move  N times: the docked target moved 40 px sideways; the time until the
//         strip has moved with it;
//   idle  the program's processor time over SECONDS (10) with the target in
//         front, as a share of one core, and its private memory at the end.
// A PROGRAM given without a folder is looked for beside padbench.exe.
// The times are taken by a thread that spins, reading the strip's rectangle.
// Around the idle time it prints "idle NAME begin" and "idle NAME end".
// It prints one row per program and exits 0, or 1 when a program's strip
// never did what was waited for (the limit is 5 s per step).
#define PSAPI_VERSION 2
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char kTargetTitle[] = "C:\\ - ｴｸｽﾌﾟﾛｰﾗ";
constexpr DWORD kStepLimitMs = 5000;
HWND gTarget = nullptr;
HWND gOther = nullptr;
HANDLE gWindowsReady = nullptr;

LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcA(wnd, msg, wp, lp); }

// The two windows live on a thread of their own that only pumps, so that they
// answer the programs' questions at once while the main thread measures.
DWORD WINAPI WindowThread(void*) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "PadBenchWindow";
    RegisterClassA(&wc);
    gOther = CreateWindowExA(0, wc.lpszClassName, "padbench other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 160, 180, 600,
                             400, nullptr, nullptr, wc.hInstance, nullptr);
    gTarget = CreateWindowExA(0, wc.lpszClassName, kTargetTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 600,
                              400, nullptr, nullptr, wc.hInstance, nullptr);
    SetEvent(gWindowsReady);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Spins until `done` holds; the milliseconds it took from `start`, or -1 after the limit.
template <class Done> double SpinUntil(double start, Done done) {
    while (!done()) {
        if (NowMs() - start > kStepLimitMs) return -1;
        SwitchToThread();
    }
    return NowMs() - start;
}

struct Strip {
    DWORD pid;
    const char* cls;
    HWND wnd = nullptr;
};

BOOL CALLBACK FindStrip(HWND wnd, LPARAM param) {
    auto* strip = reinterpret_cast<Strip*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    char cls[64] = "";
    GetClassNameA(wnd, cls, sizeof cls);
    if (pid != strip->pid || std::string(cls) != strip->cls) return TRUE;
    strip->wnd = wnd;
    return FALSE;
}

RECT RectOf(HWND wnd) {
    RECT r{};
    GetWindowRect(wnd, &r);
    return r;
}

bool Shown(HWND strip) {
    const RECT r = RectOf(strip);
    return IsWindowVisible(strip) && r.right > r.left;
}

// Shown on the target's caption bar: its top within the caption's band, its
// right edge within the window.
bool OnCaption(HWND strip) {
    const RECT s = RectOf(strip), t = RectOf(gTarget);
    return Shown(strip) && s.top >= t.top && s.top < t.top + GetSystemMetrics(SM_CYCAPTION) + 8 && s.right <= t.right &&
           s.right > t.left;
}

struct Figures {
    std::vector<double> dock, move;
    double cpuPercent = 0;
    SIZE_T privateBytes = 0;
    bool ok = true;
};

unsigned gSeed = 12345;
DWORD RandomPauseMs() {
    gSeed = gSeed * 1103515245u + 12345u;
    return (gSeed >> 16) % 100;
}

double CpuMs(HANDLE process) {
    FILETIME created, ended, kernel, user;
    GetProcessTimes(process, &created, &ended, &kernel, &user);
    const auto ms = [](FILETIME t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

Figures Measure(const std::string& program, const char* cls, int rounds, int idleSeconds) {
    Figures f;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string dir = std::string(temp) + "padbench." + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    const std::string name = program.substr(program.find_last_of("\\/") + 1);
    const std::string copy = dir + name;
    if (!CopyFileA(program.c_str(), copy.c_str(), FALSE)) {
        std::fprintf(stderr, "padbench: cannot copy %s\n", program.c_str());
        f.ok = false;
        return f;
    }
    // The other window in front while the program starts: nothing to dock on yet.
    SetForegroundWindow(gOther);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string cmd = "\"" + copy + "\"";
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi)) {
        std::fprintf(stderr, "padbench: cannot start %s\n", copy.c_str());
        f.ok = false;
        return f;
    }
    WaitForInputIdle(pi.hProcess, kStepLimitMs);
    Strip strip{pi.dwProcessId, cls};
    const double found = SpinUntil(NowMs(), [&] {
        EnumWindows(&FindStrip, reinterpret_cast<LPARAM>(&strip));
        return strip.wnd != nullptr;
    });
    const auto fail = [&](const char* what) {
        std::fprintf(stderr, "padbench: %s: %s\n", name.c_str(), what);
        f.ok = false;
    };
    if (found < 0) fail("no window of its class");
    for (int i = 0; f.ok && i < rounds; ++i) {
        SetForegroundWindow(gOther);
        if (SpinUntil(NowMs(), [&] { return !Shown(strip.wnd); }) < 0) fail("the strip stayed on another window");
        Sleep(RandomPauseMs());
        const double start = NowMs();
        SetForegroundWindow(gTarget);
        const double took = SpinUntil(start, [&] { return OnCaption(strip.wnd); });
        if (took < 0) fail("the strip did not dock");
        else f.dock.push_back(took);
    }
    for (int i = 0; f.ok && i < rounds; ++i) {
        const RECT before = RectOf(strip.wnd);
        const RECT target = RectOf(gTarget);
        const int dx = i % 2 ? -40 : 40;
        Sleep(RandomPauseMs());
        const double start = NowMs();
        SetWindowPos(gTarget, nullptr, target.left + dx, target.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        const double took = SpinUntil(start, [&] {
            const RECT now = RectOf(strip.wnd);
            return Shown(strip.wnd) && now.left == before.left + dx && now.right == before.right + dx;
        });
        if (took < 0) fail("the strip did not follow the move");
        else f.move.push_back(took);
    }
    if (f.ok) {
        Sleep(1000);
        // Said on stdout, so that a script can take its own readings meanwhile
        // (Wine reports no times or memory of another process).
        std::printf("idle %s begin\n", name.c_str());
        std::fflush(stdout);
        const double cpu0 = CpuMs(pi.hProcess), t0 = NowMs();
        Sleep(static_cast<DWORD>(idleSeconds) * 1000);
        f.cpuPercent = 100.0 * (CpuMs(pi.hProcess) - cpu0) / (NowMs() - t0);
        std::printf("idle %s end\n", name.c_str());
        std::fflush(stdout);
        // Time for that script's last reading before the program goes.
        Sleep(500);
        PROCESS_MEMORY_COUNTERS_EX memory{};
        memory.cb = sizeof memory;
        if (GetProcessMemoryInfo(pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
            f.privateBytes = memory.PrivateUsage;
    }
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, kStepLimitMs);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    DeleteFileA((dir + name).c_str());
    DeleteFileA((dir + name.substr(0, name.find_last_of('.')) + ".ini").c_str());
    RemoveDirectoryA(dir.c_str());
    return f;
}

double Median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

double Worst(const std::vector<double>& v) { return v.empty() ? -1 : *std::max_element(v.begin(), v.end()); }

} // namespace

int main(int argc, char** argv) {
    int rounds = 30, idleSeconds = 10;
    std::vector<std::pair<std::string, const char*>> programs;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--rounds" && i + 1 < argc) rounds = std::atoi(argv[++i]);
        else if (a == "--idle" && i + 1 < argc) idleSeconds = std::atoi(argv[++i]);
        else if (i + 1 < argc) {
            // A bare name is looked for beside padbench.exe.
            std::string path = a;
            if (path.find_first_of("\\/") == std::string::npos) {
                char self[MAX_PATH] = "";
                GetModuleFileNameA(nullptr, self, MAX_PATH);
                const std::string own = self;
                path = own.substr(0, own.find_last_of('\\') + 1) + a;
            }
            programs.emplace_back(path, argv[i + 1]);
            ++i;
        } else {
            std::fprintf(stderr, "usage: padbench [--rounds N] [--idle SECONDS] PROGRAM.exe STRIPCLASS ...\n");
            return 1;
        }
    }
    if (programs.empty() || rounds < 1) return 1;
    gWindowsReady = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CreateThread(nullptr, 0, &WindowThread, nullptr, 0, nullptr);
    WaitForSingleObject(gWindowsReady, INFINITE);
    std::printf("%-14s %21s %21s %9s %12s\n", "program", "dock median/worst ms", "move median/worst ms", "idle CPU",
                "private mem");
    bool ok = true;
    for (const auto& p : programs) {
        const Figures f = Measure(p.first, p.second, rounds, idleSeconds);
        const std::string name = p.first.substr(p.first.find_last_of("\\/") + 1);
        std::printf("%-14s %10.1f/%-10.1f %10.1f/%-10.1f %8.2f%% %9zu KB\n", name.c_str(), Median(f.dock),
                    Worst(f.dock), Median(f.move), Worst(f.move), f.cpuPercent, f.privateBytes / 1024);
        std::fflush(stdout);
        ok = ok && f.ok;
    }
    return ok ? 0 : 1;
}
