// The settings file written and read by a process whose ANSI code page is
// 1252 (its manifest asks for it): the file holds the same code page 932 bytes
// as on a Japanese system, and they read back unchanged.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "settings/IniGT.h"
#include "tests/support/blackbox.h"

using vcl::TIniGT;
using vcl::TStringList;

namespace {


TEST(CodePage1252, TheSettingsFileHoldsTheSameBytesAndReadsBack) {
    ASSERT_EQ(GetACP(), 1252u) << "the manifest's code page did not take";
    testkit::TempFolder folder;
    const std::wstring path = folder.DirW() + L"vantro.ini";
    TIniGT ini(nullptr);
    ini.SetFileNameW(path);
    TStringList defaults;
    for (const char* t : {"ｴｸｽﾌﾟﾛｰﾗ", "ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ", "ﾌｧｲﾙ ﾏﾈｰｼﾞｬ"}) defaults.Add(t);
    ini.WriteAllOrNothing([&] {
        ini.WriteFlag("Target", "All", false);
        ini.WriteTextList("Target", "List", defaults);
        ini.WriteFlag("Pad", "NoBoth", false);
    });
    EXPECT_EQ(testkit::ReadFileBytes(path), testkit::kFirstRunFile);

    // A file written on a Japanese system reads back byte for byte.
    ASSERT_TRUE(testkit::WriteFileBytes(path, "[Target]\r\nList.Count=2\r\nList.0=｢ ﾒﾓ帳 ｣\r\nList.1=｢表｣\r\n"));
    TStringList list;
    ini.ReadTextList("Target", "List", list);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[0], " ﾒﾓ帳 ");
    EXPECT_EQ(list[1], "表");
}

} // namespace
