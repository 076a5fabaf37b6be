// The settings file beside a program in a folder whose name code page 932
// cannot hold, and a settings file that another program holds open: the
// conversion where the settings component meets the platform, the wide paths,
// and the read probe.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "settings/IniGT.h"
#include "settings/IniRules.h"
#include "settings/SafeSave.h"
#include "settings/WideProfile.h"
#include "tests/support/blackbox.h"

using testkit::kNameOutside932;
using testkit::TempFolder;
using vcl::TIniGT;
using vcl::TStringList;
using vcl::ini::Cp932From;
using vcl::ini::WideFrom932;

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TStringList List(std::initializer_list<const char*> items) {
    TStringList l;
    for (const char* s : items) l.Add(s);
    return l;
}


} // namespace

TEST(Cp932Boundary, TheProgramsTextsConvertBothWaysUnchanged) {
    // Expected forms are the code page's own: ｢ and ｣ are the single bytes A2
    // and A3 and the characters U+FF62 and U+FF63.
    const struct { std::string bytes; std::wstring wide; } cases[] = {
        {"\xA2\xD2\xD3\x92\xA0\xA3", L"\uFF62\uFF92\uFF93\u5E33\uFF63"},  // ｢ﾒﾓ帳｣
        {"\x95\x5C", L"\u8868"},                                        // 表: trail byte 5C
        {"\x83\x5C\x83\x74\x83\x67", L"\u30BD\u30D5\u30C8"},            // ソフト
        {"\x87\x40\x81\x60", L"\u2460\uFF5E"},                          // ①～
        {"C:\\a b\\x.ini", L"C:\\a b\\x.ini"},
        {"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WideFrom932(c.bytes), c.wide);
        EXPECT_EQ(Cp932From(c.wide), c.bytes);
    }
    // The program's own literals are those bytes.
    EXPECT_EQ(std::string("｢ﾒﾓ帳｣"), cases[0].bytes);
    // What code page 932 cannot hold becomes "?", one per character.
    EXPECT_EQ(Cp932From(kNameOutside932), "Zo? ?t? ?");
}

TEST(WidePath, TheFileInAFolderCodePage932CannotNameHoldsTheUsualBytes) {
    TempFolder folder(kNameOutside932);
    const std::wstring path = folder.DirW() + L"vantro.ini";
    TIniGT ini(nullptr);
    ini.SetFileNameW(path);
    EXPECT_EQ(ini.FullPathW(), path);

    // Nothing there yet: the defaults, and no file made by reading.
    EXPECT_TRUE(ini.ReadFlag("Pad", "NoBoth", true));
    EXPECT_FALSE(ini.ReadFlag("Target", "All", false));
    TStringList list;
    ini.ReadTextList("Target", "List", list);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(ini.WaitUntilReadable(0));
    EXPECT_FALSE(Exists(path));

    ini.WriteFlag("Target", "All", false);
    ini.WriteTextList("Target", "List", List({"ｴｸｽﾌﾟﾛｰﾗ", "ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ", "ﾌｧｲﾙ ﾏﾈｰｼﾞｬ"}));
    ini.WriteFlag("Pad", "NoBoth", false);
    // An ANSI file in code page 932 without a byte-order mark, line for line.
    EXPECT_EQ(testkit::ReadFileBytes(path), testkit::kFirstRunFile);
    ini.ReadTextList("Target", "List", list);
    EXPECT_EQ(list, List({"ｴｸｽﾌﾟﾛｰﾗ", "ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ", "ﾌｧｲﾙ ﾏﾈｰｼﾞｬ"}));

    // A file written by hand (or by an older version) in code page 932 reads back byte for byte.
    ASSERT_TRUE(testkit::WriteFileBytes(path, "[Target]\r\nList.Count=2\r\nList.0=｢ ﾒﾓ帳 ｣\r\nList.1=｢表ソ｣\r\n[Pad]\r\nNoBoth=1\r\n"));
    ini.ReadTextList("Target", "List", list);
    EXPECT_EQ(list, List({" ﾒﾓ帳 ", "表ソ"}));
    EXPECT_TRUE(ini.ReadFlag("Pad", "NoBoth", false));
    // Its other lines stay as they are when one value changes.
    ini.WriteText("Target", "List.1", "①～");
    EXPECT_EQ(testkit::ReadFileBytes(path), "[Target]\r\nList.Count=2\r\nList.0=｢ ﾒﾓ帳 ｣\r\nList.1=｢①～｣\r\n[Pad]\r\nNoBoth=1\r\n");
}

TEST(WidePath, TheExecutablesNameAndFolderAreKeptWhole) {
    TempFolder folder(kNameOutside932);
    const std::wstring exe = folder.DirW() + L"\uD55C.pad.exe";  // 한.pad.exe
    auto modulePath = testkit::MakeScopedHook(vcl::IniGTModulePathHookW(), [exe] { return exe; });
    TIniGT ini(nullptr);
    ini.SetLoading(true);
    ini.SetDefaultDir(vcl::ddApplication);
    EXPECT_EQ(ini.FullPathW(), folder.DirW());  // the empty name: the directory itself
    ini.Loaded();
    EXPECT_EQ(ini.FullPathW(), folder.DirW() + L"\uD55C.pad.ini");
    EXPECT_EQ(ini.FileName(), "?.pad.ini");  // the name in code page 932, as far as it goes
    // A bare name in code page 932 goes beside the executable too.
    ini.SetFileName("表.ini");
    EXPECT_EQ(ini.FullPathW(), folder.DirW() + L"\u8868.ini");
    ini.WriteNumber("S", "n", 7);
    EXPECT_EQ(testkit::ReadFileBytes(folder.DirW() + L"\u8868.ini"), "[S]\r\nn=7\r\n");
}

TEST(WidePath, AFailedWriteOfAnyKindNamesThePath) {
    TempFolder folder(kNameOutside932);
    const std::wstring path = folder.DirW() + L"no such folder\\vantro.ini";
    TIniGT ini(nullptr);
    ini.SetFileNameW(path);
    const std::function<void()> writes[] = {
        [&] { ini.WriteFlag("Target", "All", true); }, [&] { ini.WriteNumber("S", "n", 1); },
        [&] { ini.WriteText("S", "t", "x"); }, [&] { ini.WriteTextList("S", "List", List({"a"})); }};
    for (const auto& write : writes) {
        try {
            write();
            ADD_FAILURE() << "the write did not fail";
        } catch (const vcl::Exception& e) {
            // The error's own text is code page 932; the whole path is FullPathW.
            EXPECT_EQ(e.Message(), Cp932From(path) + " に書き込めません");
        }
    }
    EXPECT_EQ(ini.FullPathW(), path);
    EXPECT_EQ(ini.ReadText("S", "t", "d"), "d");
}

TEST(HeldFile, AFileHeldOpenIsToldApartFromAMissingOne) {
    TempFolder folder(kNameOutside932);
    const std::wstring path = folder.DirW() + L"vantro.ini";
    TIniGT ini(nullptr);
    ini.SetFileNameW(path);
    ASSERT_TRUE(testkit::WriteFileBytes(path, "[Pad]\r\nNoBoth=1\r\n"));
    EXPECT_TRUE(ini.WaitUntilReadable(0));

    testkit::HeldFile held(path);
    ASSERT_TRUE(held.Held());
    // The profile read cannot tell: it answers the default, as for a missing file.
    EXPECT_FALSE(ini.ReadFlag("Pad", "NoBoth", false));
    {
        // The wait's clock moves on a second at each read: it probes at the
        // start and at 1, 2 and 3 seconds, then gives up.
        testkit::Clock clock(1000);
        EXPECT_FALSE(ini.WaitUntilReadable(3000));
        EXPECT_EQ(clock.reads, 4) << "it kept trying for the time it was given";
        // Let go while it waits, after it found the file held: the file is read.
        clock.reads = 0;
        clock.onRead = [&held](int reads) {
            if (reads == 2) held.Release();
        };
        EXPECT_TRUE(ini.WaitUntilReadable(10000));
    }
    EXPECT_TRUE(ini.ReadFlag("Pad", "NoBoth", false));
}

TEST(Cp932Boundary, TheFileHoldsWhatTheCodePage932CallsWouldWrite) {
    // The platform's own code page 932 profile calls are the measure: for
    // every text, the wide road leaves the same bytes in the file and reads
    // the same text back. The odd ones: a lone lead byte (here it pairs with
    // the closing bracket), a byte no character starts with, the NEC rows that
    // duplicate other codes, a trail byte 5C.
    const char* const texts[] = {"ab\x81", "\x81", "\xFF", "\xED\x40\x87\x9A", "表ソ", " ﾒﾓ帳 ", "｢｣", ""};
    TempFolder folder(kNameOutside932);
    const std::wstring mine = folder.DirW() + L"wide.ini";
    TIniGT ini(nullptr);
    ini.SetFileNameW(mine);
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const std::string reference = std::string(temp) + "vantro-cp932-" + std::to_string(GetCurrentProcessId()) + ".ini";
    DeleteFileA(reference.c_str());
    int i = 0;
    for (const char* text : texts) {
        const std::string key = "k" + std::to_string(i++);
        ini.WriteText("S", key, text);
        const std::string stored = std::string("\xA2") + text + "\xA3";
        ASSERT_TRUE(WritePrivateProfileStringA("S", key.c_str(), stored.c_str(), reference.c_str()));
        char back[256] = "";
        GetPrivateProfileStringA("S", key.c_str(), "", back, sizeof back, reference.c_str());
        EXPECT_EQ(ini.ReadText("S", key, "default"), vcl::ini::Unbracketed(back)) << key;
    }
    std::wstring referenceW = WideFrom932(reference);
    EXPECT_EQ(testkit::ReadFileBytes(mine), testkit::ReadFileBytes(referenceW));
    DeleteFileA(reference.c_str());
}

// --- the code page of the profile calls --------------------------------------

TEST(ProfileCodePage, TheFileHoldsTheProgramsBytesWhateverTheProcessCodePage) {
    // The wide profile calls write the file with WideCharToMultiByte in the
    // process's code page and read it with MultiByteToWideChar in it. Texts
    // given in that code page reach the file as their own bytes, which is
    // what the ANSI calls write, and come back unchanged.
    for (UINT cp : {1252u, 932u}) {
        for (const std::string text : {"｢ｴｸｽﾌﾟﾛｰﾗ｣", "｢ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ｣", "｢｣", "List.Count"}) {
            const std::wstring given = vcl::ini::ProfileText(text, cp);
            EXPECT_EQ(vcl::ini::ProfileBytes(given, cp), text) << cp << " " << text;
        }
    }
    // Given in code page 932 instead, a code page 1252 system writes "?".
    EXPECT_EQ(vcl::ini::ProfileBytes(WideFrom932("｢ｴｸｽﾌﾟﾛｰﾗ｣"), 1252), "??????????");
}

// --- saving all or nothing ---------------------------------------------------

namespace {

using vcl::ini::FileStep;

const char kOtherSections[] =
    "[Window]\r\nLeft=12\r\n[Target]\r\nAll=1\r\nList.Count=5\r\nList.0=｢a｣\r\nList.1=｢b｣\r\nList.2=｢c｣\r\n"
    "List.3=｢d｣\r\nList.4=｢ﾒﾓ帳｣\r\nNote=｢kept｣\r\n[Pad]\r\nNoBoth=1\r\n";

// The pad's three settings, written the pad's way.
void WritePadSettings(TIniGT& ini, bool all, const TStringList& list) {
    ini.WriteFlag("Target", "All", all);
    ini.WriteTextList("Target", "List", list);
    ini.WriteFlag("Pad", "NoBoth", all);
}

class SaveAllOrNothing : public ::testing::Test {
protected:
    void SetUp() override { ini.SetFileNameW(path); }
    // Saves through the component, with `refuse` asked at every step.
    bool Save(bool all, const TStringList& list, const std::function<bool(FileStep, const std::wstring&)>& refuse = nullptr) {
        auto seam = testkit::MakeScopedHook(vcl::ini::FileStepHook(), [&](FileStep s, const std::wstring& p) {
            steps.push_back(s);
            return !(refuse && refuse(s, p));
        });
        steps.clear();
        try {
            ini.WriteAllOrNothing([&] { WritePadSettings(ini, all, list); });
            return true;
        } catch (const vcl::Exception& e) {
            EXPECT_EQ(e.Message(), Cp932From(path) + " に書き込めません") << "the file's own path";
            return false;
        }
    }
    // What the same writes made one by one on the file itself, as they always
    // were, leave in a file that held `before`.
    std::string InPlace(const std::string& before, bool all, const TStringList& list) {
        const std::wstring other = folder.DirW() + L"in-place.ini";
        EXPECT_TRUE(testkit::WriteFileBytes(other, before));
        TIniGT direct(nullptr);
        direct.SetFileNameW(other);
        WritePadSettings(direct, all, list);
        return testkit::ReadFileBytes(other);
    }
    std::string File() const { return testkit::ReadFileBytes(path); }
    bool CopyLeft() const { return Exists(vcl::ini::SaveCopyPath(path)); }

    TempFolder folder{kNameOutside932};
    const std::wstring path = folder.DirW() + L"vantro.ini";
    TIniGT ini{nullptr};
    std::vector<FileStep> steps;
};

} // namespace

TEST_F(SaveAllOrNothing, ShrinkingAndGrowingListsGiveTheBytesOfTheWritesInPlace) {
    ASSERT_TRUE(testkit::WriteFileBytes(path, kOtherSections));
    const TStringList two = List({"ｴｸｽﾌﾟﾛｰﾗ", " ﾒﾓ帳 "});
    ASSERT_TRUE(Save(false, two));
    // Other sections and keys stay, and so do the keys of the longer list
    // beyond the new count, as every save left them.
    const std::string shrunk =
        "[Window]\r\nLeft=12\r\n[Target]\r\nAll=0\r\nList.Count=2\r\nList.0=｢ｴｸｽﾌﾟﾛｰﾗ｣\r\nList.1=｢ ﾒﾓ帳 ｣\r\n"
        "List.2=｢c｣\r\nList.3=｢d｣\r\nList.4=｢ﾒﾓ帳｣\r\nNote=｢kept｣\r\n[Pad]\r\nNoBoth=0\r\n";
    EXPECT_EQ(File(), shrunk);
    EXPECT_EQ(File(), InPlace(kOtherSections, false, two));
    EXPECT_EQ(steps.front(), FileStep::Copy);
    EXPECT_EQ(steps.back(), FileStep::Replace);
    EXPECT_FALSE(CopyLeft());

    const TStringList seven = List({"1", "2", "3", "4", "5", "6", "表"});
    ASSERT_TRUE(Save(true, seven));
    EXPECT_EQ(File(), InPlace(shrunk, true, seven));
    TStringList back;
    ini.ReadTextList("Target", "List", back);
    EXPECT_EQ(back, seven);
    EXPECT_FALSE(CopyLeft());
}

TEST_F(SaveAllOrNothing, WithoutAFileTheSaveMakesTheEightLinesAndAStaleCopyNeverMixesIn) {
    // A copy left by a save that was killed part way.
    const std::wstring copy = vcl::ini::SaveCopyPath(path);
    ASSERT_TRUE(testkit::WriteFileBytes(copy, "[Target]\r\nList.Count=9\r\nList.8=｢x｣\r\n"));
    ASSERT_TRUE(Save(false, List({"ｴｸｽﾌﾟﾛｰﾗ", "ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ", "ﾌｧｲﾙ ﾏﾈｰｼﾞｬ"})));
    EXPECT_EQ(File(), testkit::kFirstRunFile);
    EXPECT_EQ(steps.back(), FileStep::Move);
    EXPECT_FALSE(CopyLeft());
    // With the file there, the copy starts as the file's bytes.
    ASSERT_TRUE(testkit::WriteFileBytes(copy, "[Pad]\r\nStale=1\r\n"));
    ASSERT_TRUE(Save(true, List({"ﾒﾓ帳"})));
    EXPECT_EQ(File(), InPlace(testkit::kFirstRunFile, true, List({"ﾒﾓ帳"})));
}

TEST_F(SaveAllOrNothing, AFailureAtAnyStepLeavesTheOldFileByteForByteAndNoCopy) {
    ASSERT_TRUE(testkit::WriteFileBytes(path, kOtherSections));
    const TStringList two = List({"x", "y"});
    // Refused: the copy, the third profile write (the list's first entry,
    // after the count), the last write, the flush, the replacement.
    const std::pair<FileStep, int> refusals[] = {{FileStep::Copy, 1}, {FileStep::Write, 3}, {FileStep::Write, 5},
                                                 {FileStep::Flush, 1}, {FileStep::Replace, 1}};
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(static_cast<int>(refusal.first) * 10 + refusal.second);
        int seen = 0;
        EXPECT_FALSE(Save(false, two, [&](FileStep s, const std::wstring&) {
            return s == refusal.first && ++seen == refusal.second;
        }));
        EXPECT_EQ(seen, refusal.second) << "the save reached the step";
        EXPECT_EQ(File(), kOtherSections);
        EXPECT_FALSE(CopyLeft());
    }
    // A scanner opens the new copy as soon as it appears, for reading and
    // letting others delete it: the writes to the copy fail.
    HANDLE scanner = INVALID_HANDLE_VALUE;
    EXPECT_FALSE(Save(false, two, [&](FileStep s, const std::wstring& p) {
        if (s == FileStep::Write && scanner == INVALID_HANDLE_VALUE)
            scanner = CreateFileW(p.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
        return false;
    }));
    ASSERT_NE(scanner, INVALID_HANDLE_VALUE);
    CloseHandle(scanner);
    EXPECT_EQ(File(), kOtherSections);
    EXPECT_FALSE(CopyLeft());
    // The file held without sharing: not even the copy can be made.
    {
        testkit::HeldFile held(path);
        ASSERT_TRUE(held.Held());
        EXPECT_FALSE(Save(false, two));
    }
    // A read-only file: the copy takes over the mark, and the file refuses to be replaced.
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(Save(false, two));
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(File(), kOtherSections);
    EXPECT_FALSE(CopyLeft());
    // The same save goes through once nothing refuses.
    EXPECT_TRUE(Save(false, two));
    EXPECT_EQ(File(), InPlace(kOtherSections, false, two));
}
