// Checks the ground the rest of the program stands on: a Japanese (code page
// 932) system, string literals compiled to CP932 bytes, and a vantro.exe that
// carries its version block and icons. If any of these is wrong, every text
// comparison elsewhere would fail for the wrong reason, so fail here first.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/testkit.h"

namespace {

std::string VantroExePath() { return testkit::ExeDir() + "vantro.exe"; }

// Reads one string of the version block under the given language/code page.
std::string VersionString(const std::vector<char>& block, const char* langCp, const char* name) {
    std::string query = std::string("\\StringFileInfo\\") + langCp + "\\" + name;
    char* value = nullptr;
    UINT len = 0;
    if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &len) || !value)
        return "<missing>";
    return std::string(value, len > 0 && value[len - 1] == '\0' ? len - 1 : len);
}

}  // namespace

TEST(Encoding, TheProgramsCodePageIs932WhateverTheSystemsIs) {
    // The manifest's active code page gives the process code page 932.
    EXPECT_EQ(GetACP(), 932u);
    EXPECT_EQ(GetOEMCP(), 932u);
    // The system's own code page: 932 in the Japanese run, another in the run
    // under a second system locale (it proves that run is one).
    const char* expected = getenv("VANTRO_EXPECT_SYSTEM_ACP");
    DWORD system = 0;
    ASSERT_GT(GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                             reinterpret_cast<LPWSTR>(&system), sizeof system / sizeof(wchar_t)),
              0);
    printf("system code page %lu, the program's %u\n", system, GetACP());
    EXPECT_EQ(system, expected ? strtoul(expected, nullptr, 10) : 932ul);
}

TEST(Encoding, LiteralsAreCompiledToCp932) {
    const std::string halfWidth = "ｴｸｽﾌﾟﾛｰﾗ";
    EXPECT_EQ(testkit::Hex(halfWidth), "B4 B8 BD CC DF DB B0 D7");

    // A double-byte character whose trailing byte is a backslash.
    EXPECT_EQ(testkit::Hex("表"), "95 5C");

    const std::string fullWidth = "ＭＳ Ｐゴシック";
    EXPECT_EQ(testkit::Hex(fullWidth), "82 6C 82 72 20 82 6F 83 53 83 56 83 62 83 4E");

    // The same text reaches the wide API intact through the system code page.
    wchar_t wide[16] = {};
    int n = MultiByteToWideChar(CP_ACP, 0, halfWidth.c_str(), -1, wide, 16);
    ASSERT_EQ(n, 9);
    EXPECT_EQ(std::wstring(wide), L"\uFF74\uFF78\uFF7D\uFF8C\uFF9F\uFF9B\uFF70\uFF97");
}

TEST(Encoding, WindowTextKeepsCp932Bytes) {
    const std::string title = "C:\\ - ｴｸｽﾌﾟﾛｰﾗ";
    HWND w = CreateWindowExA(0, "STATIC", title.c_str(), WS_POPUP, 0, 0, 10, 10,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(w, nullptr);
    char buf[64] = {};
    int n = GetWindowTextA(w, buf, sizeof buf);
    DestroyWindow(w);
    EXPECT_EQ(testkit::Hex(std::string(buf, n)), testkit::Hex(title));
}

TEST(ProgramFile, CarriesVersionBlock) {
    const std::string exe = VantroExePath();
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &handle);
    ASSERT_GT(size, 0u) << exe << " has no version block (error " << GetLastError() << ")";
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &len));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020001u);     // 2.1
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);     // .0.1
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00020001u);  // 2.1
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000000u);  // .0.0

    struct LangCp { WORD lang, cp; };
    LangCp* tr = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&tr), &len));
    ASSERT_GE(len, sizeof(LangCp));
    EXPECT_EQ(tr[0].lang, 0x0411);
    EXPECT_EQ(tr[0].cp, 1200);

    EXPECT_EQ(VersionString(block, "041104B0", "FileVersion"), "2.1.0.1");
    EXPECT_EQ(VersionString(block, "041104B0", "ProductVersion"), "2.1.0.0");
    EXPECT_EQ(VersionString(block, "041104B0", "FileDescription"), "Vantro Pad for Windows95");
    EXPECT_EQ(VersionString(block, "041104B0", "ProductName"), "Vantro");
    EXPECT_EQ(VersionString(block, "041104B0", "InternalName"), "Vantro");
    EXPECT_EQ(VersionString(block, "041104B0", "OriginalFilename"), "Vantro");
}

TEST(ProgramFile, CarriesIcons) {
    const std::string exe = VantroExePath();
    HMODULE mod = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(mod, nullptr) << exe << " (error " << GetLastError() << ")";
    for (const char* name : {"MAINICON", "VTFORMICON", "TRAYICON"}) {
        EXPECT_NE(FindResourceA(mod, name, RT_GROUP_ICON), nullptr) << name;
    }
    FreeLibrary(mod);

    // The test program links the same resources; the icons must load at their sizes.
    HINSTANCE self = GetModuleHandleA(nullptr);
    HICON big = static_cast<HICON>(LoadImageA(self, "VTFORMICON", IMAGE_ICON, 32, 32, 0));
    HICON tray = static_cast<HICON>(LoadImageA(self, "TRAYICON", IMAGE_ICON, 16, 16, 0));
    EXPECT_NE(big, nullptr);
    EXPECT_NE(tray, nullptr);
    if (big) DestroyIcon(big);
    if (tray) DestroyIcon(tray);
}
