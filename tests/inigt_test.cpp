// The settings component against the platform's real private-profile calls,
// in a private temporary folder: file layout, value encodings, lists, path
// forming and write errors.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include "settings/IniGT.h"
#include "settings/IniRules.h"
#include "tests/support/blackbox.h"
#include "tests/support/testkit.h"

using vcl::TIniFile;
using vcl::TIniGT;
using vcl::TStringList;

namespace {

// The test folder, ending in "\\", removed with its files at the end.
const std::string& Dir() {
    static const testkit::TempFolder folder;
    static const std::string dir = folder.Dir();
    return dir;
}

// A fresh settings file path for the running test.
std::string TestFile(const std::string& suffix = "") {
    return Dir() + ::testing::UnitTest::GetInstance()->current_test_info()->name() + suffix + ".ini";
}

TStringList List(std::initializer_list<const char*> items) {
    TStringList l;
    for (const char* s : items) l.Add(s);
    return l;
}

// A component bound to the test's own file (a name with a directory part).
struct Ini {
    explicit Ini(const std::string& path) : gt(nullptr) { gt.SetFileName(path); }
    TIniGT gt;
};

// Stands in for the executable's path while it lives.
auto FakeExe(const std::string& path) {
    return testkit::MakeScopedHook(vcl::IniGTModulePathHook(), [path] { return path; });
}

void ExpectWriteError(const std::function<void()>& write, const std::string& path) {
    try {
        write();
        ADD_FAILURE() << "the write did not fail";
    } catch (const vcl::Exception& e) {
        EXPECT_EQ(typeid(e), typeid(vcl::Exception));
        EXPECT_EQ(e.Message(), path + " に書き込めません");
    }
}

}  // namespace

TEST(IniFile, NumbersFollowTheNumberRule) {
    Ini ini(TestFile());
    TIniFile raw(ini.gt.FullPath());
    const struct { const char* stored; int32_t expected; } cases[] = {
        {"0x1F", 31}, {"0X1f", 31}, {"$1f", 31}, {"$FFFFFFFF", -1}, {"-2147483648", INT32_MIN},
        {"2147483647", INT32_MAX}, {"  42", 42}, {"1F", -7}, {"2147483648", -7},
        {"-2147483649", -7}, {"-$10", -7}, {"", -7}, {"$123456789", -7},
    };
    for (const auto& c : cases) {
        raw.WriteValue("N", "k", c.stored);
        EXPECT_EQ(ini.gt.ReadNumber("N", "k", -7), c.expected) << '"' << c.stored << '"';
    }
    for (int32_t v : {INT32_MIN, -1, 0, 7, INT32_MAX}) {
        ini.gt.WriteNumber("N", "w", v);
        EXPECT_EQ(raw.ReadValue("N", "w", "?"), std::to_string(v));
        EXPECT_EQ(ini.gt.ReadNumber("N", "w", 99), v);
    }
    EXPECT_EQ(ini.gt.ReadNumber("N", "missing", 5), 5);
}

TEST(IniFile, FlagsAreNumbersOtherThanZero) {
    Ini ini(TestFile());
    TIniFile raw(ini.gt.FullPath());
    for (const char* stored : {"1", "2", "-1"}) {
        raw.WriteValue("F", "k", stored);
        EXPECT_TRUE(ini.gt.ReadFlag("F", "k", false)) << stored;
    }
    raw.WriteValue("F", "k", "0");
    EXPECT_FALSE(ini.gt.ReadFlag("F", "k", true));
    for (const char* stored : {"yes", "true", ""}) {
        raw.WriteValue("F", "k", stored);
        EXPECT_TRUE(ini.gt.ReadFlag("F", "k", true)) << stored;
        EXPECT_FALSE(ini.gt.ReadFlag("F", "k", false)) << stored;
    }
    ini.gt.WriteFlag("F", "t", true);
    ini.gt.WriteFlag("F", "f", false);
    EXPECT_EQ(raw.ReadValue("F", "t", ""), "1");
    EXPECT_EQ(raw.ReadValue("F", "f", ""), "0");
}

TEST(IniFile, TextsKeepBlanksAndLoseOnePairOfBrackets) {
    Ini ini(TestFile());
    TIniFile raw(ini.gt.FullPath());
    // Written texts come back as they were, brackets and quotes of their own included.
    for (const std::string text : {"  a b  ", "", "｢abc｣", "\"\"", "'q'", "x", "ＭＳ Ｐゴシック",
                                   "表示ソフト\\", "a=b;c[d]"}) {
        ini.gt.WriteText("T", "k", text);
        EXPECT_EQ(raw.ReadValue("T", "k", "?"), "｢" + text + "｣");
        EXPECT_EQ(ini.gt.ReadText("T", "k", "def"), text);
    }
    EXPECT_EQ(ini.gt.ReadText("T", "missing", "  spaced  "), "  spaced  ");
    EXPECT_EQ(ini.gt.ReadText("T", "missing", ""), "");

    // Hand-written values.
    const struct { const char* stored; const char* expected; } cases[] = {
        {"｢｣", ""}, {"\"\"", ""}, {"\"abc\"", "abc"}, {"｢abc", "｢abc"}, {"\"abc｣", "\"abc｣"},
        {"｢｢x｣｣", "｢x｣"}, {"x", "x"}, {"｢", "｢"}, {"ab", "ab"}, {"｢x", "｢x"},
    };
    for (const auto& c : cases) {
        raw.WriteValue("T", "h", c.stored);
        EXPECT_EQ(ini.gt.ReadText("T", "h", "def"), c.expected) << c.stored;
    }
}

TEST(IniFile, LongValuesComeBackWhole) {
    Ini ini(TestFile());
    std::string ascii;
    for (int i = 0; i < 5000; ++i) ascii += static_cast<char>('a' + i % 26);
    std::string wide;
    while (wide.size() < 5000) wide += "アソ表";
    std::string allSingle;  // every printable single-byte character of the code page
    for (int c = 0x20; c < 0x7F; ++c) allSingle += static_cast<char>(c);
    for (int c = 0xA1; c < 0xE0; ++c) allSingle += static_cast<char>(c);

    const std::vector<std::string> texts = {ascii.substr(0, 1021), ascii.substr(0, 1022),
                                            ascii.substr(0, 1023), ascii.substr(0, 2046),
                                            ascii, wide, allSingle + allSingle + allSingle};
    for (const std::string& text : texts) {
        ini.gt.WriteText("L", "k", text);
        EXPECT_EQ(ini.gt.ReadText("L", "k", ""), text) << text.size() << " bytes";
    }
    EXPECT_EQ(ini.gt.ReadText("L", "missing", ascii), ascii);

    TStringList list = List({"short"});
    list.Add(wide);
    ini.gt.WriteTextList("L", "List", list);
    TStringList back;
    ini.gt.ReadTextList("L", "List", back);
    EXPECT_EQ(back, list);
}

TEST(IniList, MissingEntriesKeepTheListsOwnOrBecomeEmpty) {
    const std::string path = TestFile();
    Ini ini(path);
    TStringList list = List({"x", "y", "z"});
    ini.gt.ReadTextList("S", "List", list);  // no file at all
    EXPECT_EQ(list, List({"x", "y", "z"}));

    testkit::WriteFileBytes(path, "[S]\r\nList.Count=4\r\nList.0=｢a｣\r\nList.2=｢c｣\r\n");
    ini.gt.ReadTextList("S", "List", list);
    EXPECT_EQ(list, List({"a", "y", "c", ""}));

    testkit::WriteFileBytes(path, "[S]\r\nList.1=｢B｣\r\nList.5=｢F｣\r\n");  // no count key
    list = List({"x", "y", "z"});
    ini.gt.ReadTextList("S", "List", list);
    EXPECT_EQ(list, List({"x", "B", "z"}));
    TStringList empty;
    ini.gt.ReadTextList("S", "List", empty);
    EXPECT_EQ(empty.Count(), 0);
}

TEST(IniList, ZeroOrNegativeCountEmptiesTheList) {
    const std::string path = TestFile();
    Ini ini(path);
    for (const char* count : {"0", "-3", "-2147483648"}) {
        testkit::WriteFileBytes(path, std::string("[S]\r\nList.Count=") + count + "\r\nList.0=｢a｣\r\n");
        TStringList list = List({"x", "y"});
        ini.gt.ReadTextList("S", "List", list);
        EXPECT_EQ(list.Count(), 0) << count;
    }
}

TEST(IniList, ShorterListOverLongerLeavesOldKeysButReadsItsOwnCount) {
    const std::string path = TestFile();
    Ini ini(path);
    ini.gt.WriteTextList("S", "List", List({"0", "1", "2", "3", "4"}));
    ini.gt.WriteTextList("S", "List", List({"a", "b"}));
    TIniFile raw(path);
    EXPECT_EQ(raw.ReadValue("S", "List.Count", ""), "2");
    EXPECT_EQ(raw.ReadValue("S", "List.4", ""), "｢4｣");
    TStringList list = List({"p", "q", "r", "s", "t", "u"});
    ini.gt.ReadTextList("S", "List", list);
    EXPECT_EQ(list, List({"a", "b"}));
}

TEST(IniList, DamagedHugeCountIsBounded) {
    const std::string path = TestFile();
    Ini ini(path);
    testkit::WriteFileBytes(path, "[S]\r\nList.Count=2147483647\r\nList.0=｢a｣\r\nList.1=｢b｣\r\n");
    TStringList list = List({"x", "y", "z"});
    const auto start = std::chrono::steady_clock::now();
    ini.gt.ReadTextList("S", "List", list);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(list.Count(), 10000);
    EXPECT_EQ(list[0], "a");
    EXPECT_EQ(list[1], "b");
    EXPECT_EQ(list[2], "z");
    EXPECT_EQ(list[9999], "");
    EXPECT_LT(seconds, 30.0);
}

TEST(IniPath, DefaultNameIsTheExecutablesWithIni) {
    // "表" ends in the byte 0x5C, a backslash on its own (acp_test checks how
    // literals are compiled): the trailing byte must not split the name.
    const struct { const char* exe; const char* name; const char* full; } cases[] = {
        {"D:\\TOOLS\\PAD.EXE", "PAD.ini", "D:\\TOOLS\\PAD.ini"},
        {"D:\\TOOLS\\MY.PAD.EXE", "MY.PAD.ini", "D:\\TOOLS\\MY.PAD.ini"},
        {"D:\\A.B\\PAD", "PAD.ini", "D:\\A.B\\PAD.ini"},
        {"C:\\ソフト\\表.EXE", "表.ini", "C:\\ソフト\\表.ini"},
        {"C:\\ソ.表", "ソ.ini", "C:\\ソ.ini"},
    };
    for (const auto& c : cases) {
        const auto exe = FakeExe(c.exe);
        TIniGT ini(nullptr);
        // As a form loads it: the stored DefaultDir forms a path from the empty name first.
        ini.SetLoading(true);
        ini.SetDefaultDir(vcl::ddApplication);
        const std::string full = c.full, name = c.name;
        EXPECT_EQ(ini.FullPath(), full.substr(0, full.size() - name.size()));
        ini.Loaded();
        EXPECT_FALSE(ini.IsLoading());
        EXPECT_EQ(ini.FileName(), c.name) << c.exe;
        EXPECT_EQ(ini.FullPath(), c.full) << c.exe;
    }
    const auto exe = FakeExe("D:\\TOOLS\\PAD.EXE");
    TIniGT named(nullptr);
    named.SetLoading(true);
    named.SetDefaultDir(vcl::ddApplication);
    EXPECT_EQ(named.FullPath(), "D:\\TOOLS\\");  // the empty name: the directory itself
    named.SetFileName("own.ini");
    named.Loaded();
    EXPECT_EQ(named.FullPath(), "D:\\TOOLS\\own.ini");
}

TEST(IniPath, RealExecutableGivesItsOwnIniNextToIt) {
    TIniGT ini(nullptr);
    ini.Loaded();
    EXPECT_EQ(ini.FileName(), "inigt_test.ini");
    EXPECT_EQ(ini.FullPath(), testkit::ExeDir() + "inigt_test.ini");
}

TEST(IniPath, BareNamesArePlacedByDefaultDirOthersUsedUnchanged) {
    const auto exe = FakeExe("C:\\ソフト\\PAD.EXE");
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, MAX_PATH);
    TIniGT ini(nullptr);
    const vcl::TIniGTDefaultDir dirs[] = {vcl::ddApplication, vcl::ddWindows, vcl::ddNone};
    for (vcl::TIniGTDefaultDir dir : dirs) {
        ini.SetDefaultDir(dir);
        for (const char* name : {"C:\\cfg\\a.ini", "sub\\a.ini", "C:a.ini", "\\\\srv\\s\\a.ini"}) {
            ini.SetFileName(name);
            EXPECT_EQ(ini.FullPath(), name) << int(dir);
            EXPECT_EQ(ini.FileName(), name);
        }
    }
    ini.SetFileName("表.ini");
    EXPECT_EQ(ini.FullPath(), "表.ini");  // ddNone: bare
    ini.SetDefaultDir(vcl::ddApplication);  // re-forms from the current name
    EXPECT_EQ(ini.FullPath(), "C:\\ソフト\\表.ini");
    ini.SetDefaultDir(vcl::ddWindows);
    EXPECT_EQ(ini.FullPath(), std::string(windows) + "\\表.ini");
    EXPECT_EQ(ini.FileName(), "表.ini");
}

TEST(IniWriteError, LockedFileRaisesAndLaterWriteSucceeds) {
    const std::string path = TestFile();
    Ini ini(path);
    ini.gt.WriteTextList("S", "List", List({"a", "b"}));
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ExpectWriteError([&] { ini.gt.WriteTextList("S", "List", List({"c"})); }, path);
    CloseHandle(h);
    TStringList list;
    ini.gt.ReadTextList("S", "List", list);
    EXPECT_EQ(list, List({"a", "b"}));
    ini.gt.WriteTextList("S", "List", List({"c"}));
    ini.gt.ReadTextList("S", "List", list);
    EXPECT_EQ(list, List({"c"}));
}
