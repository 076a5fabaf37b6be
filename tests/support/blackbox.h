// Runs the real vantro.exe as a process of its own, from a private folder so
// that its settings file is its own.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace testkit {

class VantroProcess {
public:
    // Copies vantro.exe into a new folder under the temp folder.
    VantroProcess();
    ~VantroProcess();
    VantroProcess(const VantroProcess&) = delete;
    VantroProcess& operator=(const VantroProcess&) = delete;

    const std::string& Dir() const { return FDir; }
    std::string IniPath() const { return FDir + "vantro.ini"; }

    bool Start();
    // The pad window of the process (class TVTform), waiting up to `ms`.
    HWND Pad(int ms = 10000);
    // Asks the pad to close; true when the process then ends within `ms`.
    bool Close(int ms = 10000);
    bool WaitExit(int ms);
    bool Running() const;
    DWORD Pid() const { return FPi.dwProcessId; }
    // Top-level windows of the process with the given class.
    std::vector<HWND> Windows(const char* className) const;
    // The text of the first message box of the process, or "" when none is open.
    std::string MessageBoxText(HWND* box = nullptr) const;
    void Kill();

private:
    std::string FDir;
    PROCESS_INFORMATION FPi{};
};

// Records the key events that reach the system, through a low-level keyboard
// hook; its callbacks arrive while the thread pumps messages.
class KeyHook {
public:
    struct Event {
        DWORD vk;
        bool up;
    };
    KeyHook();
    ~KeyHook();
    KeyHook(const KeyHook&) = delete;
    KeyHook& operator=(const KeyHook&) = delete;
    // For VK_SHIFT or VK_CONTROL (either side's code counts): each event, true for a key-up.
    std::vector<bool> For(DWORD vk) const;
    std::vector<Event> events;

private:
    static LRESULT CALLBACK Proc(int code, WPARAM wp, LPARAM lp);
    static KeyHook* self;
    HHOOK hook = nullptr;
};

// A test of the real program: no modifier held and the pointer parked in a
// corner before it (a window mapped under the pointer would make Wine drop
// injected modifiers); the program killed and the keys released after it.
class VantroTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    VantroProcess proc;
};

// The whole content of a file, or "" when it cannot be read.
std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);

} // namespace testkit
