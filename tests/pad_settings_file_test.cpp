// The pad with a settings file it cannot read at start or cannot write at
// close, in the pad's own process.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "pad/SingleInstance.h"
#include "pad/VTform.h"
#include "settings/WideProfile.h"
#include "tests/support/blackbox.h"
#include "tests/support/padkit.h"
#include "tests/support/testkit.h"

using namespace vcl;

namespace {

// The pad's settings file is this test program's name with ".ini", next to it.
std::string PadIni() { return testkit::ExeDir() + "pad_settings_file_test.ini"; }

const char kFiveEntries[] =
    "[Target]\r\nAll=0\r\nList.Count=5\r\nList.0=｢a｣\r\nList.1=｢b｣\r\nList.2=｢c｣\r\nList.3=｢d｣\r\n"
    "List.4=｢ﾒﾓ帳｣\r\n[Pad]\r\nNoBoth=1\r\n";

// Records the boxes shown through the seam, in UTF-16, and answers them.
struct WideBoxes {
    struct Box {
        std::wstring text, caption;
        UINT type;
    };
    explicit WideBoxes(int answer = IDOK) : answer(answer) {}
    int answer;
    std::vector<Box> boxes;
    testkit::ScopedHook<std::function<int(HWND, const wchar_t*, const wchar_t*, UINT)>> hook{
        platform::hooks().messageBoxW, [this](HWND, const wchar_t* text, const wchar_t* caption, UINT type) {
            boxes.push_back(Box{text, caption, type});
            return answer;
        }};
};

std::wstring W(const std::string& cp932) { return ini::WideFrom932(cp932); }

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

class PadSettingsFile : public ::testing::Test {
protected:
    void SetUp() override { DeleteFileA(PadIni().c_str()); }
    void TearDown() override {
        held.reset();
        delete pad;
        DeleteFileA(PadIni().c_str());
    }
    // Not in SetUp: each test prepares the file first.
    void Create() { pad = padkit::NewPad(); }
    // Holds the settings file open without sharing, as a backup tool may.
    void Hold() {
        held = std::make_unique<testkit::HeldFile>(PadIni());
        ASSERT_TRUE(held->Held());
    }
    void Release() { held->Release(); }
    TVTform* pad = nullptr;
    std::unique_ptr<testkit::HeldFile> held;
};

TEST_F(PadSettingsFile, AFileHeldAtStartIsNotOverwrittenWithTheDefaults) {
    ASSERT_TRUE(testkit::WriteFileBytes(PadIni(), kFiveEntries));
    Hold();
    WideBoxes boxes;
    Create();
    // The defaults, and one error box that names the file, once the message
    // loop runs.
    ASSERT_EQ(pad->Targets->Count(), 3);
    EXPECT_EQ((*pad->Targets)[0], "ｴｸｽﾌﾟﾛｰﾗ");
    EXPECT_FALSE(pad->OptNoBoth);
    ASSERT_TRUE(testkit::WaitFor([&] { return !boxes.boxes.empty(); }, "the error box"));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text.find(W(PadIni() + " を読み込めません.")), 0u);
    EXPECT_EQ(boxes.boxes[0].caption, W("Vantro Pad"));
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
    int boxes = 0, entriesAtBox = -1;
    TCloseAction action = caHide;
    auto box = testkit::MakeScopedHook(platform::hooks().messageBoxW, [&](HWND, const wchar_t*, const wchar_t*, UINT) {
        ++boxes;
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
    });
    Create();
    ASSERT_TRUE(testkit::WaitFor([&] { return boxes == 1; }, "the error box"));
    // Not from inside the start-up: the pad is whole, its defaults in place, when the box comes.
    EXPECT_EQ(entriesAtBox, 3);
    EXPECT_NE(action, caNone);
    EXPECT_FALSE(pad->Targets);
    testkit::Pump();
    EXPECT_EQ(testkit::ReadFileBytes(PadIni()), kFiveEntries);
    EXPECT_EQ(boxes, 1);
}

TEST_F(PadSettingsFile, SettingsChangedAfterAHeldStartAreSaved) {
    ASSERT_TRUE(testkit::WriteFileBytes(PadIni(), kFiveEntries));
    Hold();
    WideBoxes boxes;
    Create();
    Release();
    // Flipped and flipped back: nothing to save.
    pad->NoBothClick(pad->NoBoth);
    pad->NoBothClick(pad->NoBoth);
    pad->SaveSettings();
    EXPECT_EQ(testkit::ReadFileBytes(PadIni()), kFiveEntries);
    // A real change is the user's word: it is written, with the list the pad runs with.
    pad->Opt_all2Click(pad->Opt_all2);
    TCloseAction action = caHide;
    pad->FormClose(pad, action);
    EXPECT_EQ(testkit::ReadFileBytes(PadIni()),
              "[Target]\r\nAll=1\r\nList.Count=3\r\nList.0=｢ｴｸｽﾌﾟﾛｰﾗ｣\r\nList.1=｢ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ｣\r\n"
              "List.2=｢ﾌｧｲﾙ ﾏﾈｰｼﾞｬ｣\r\nList.3=｢d｣\r\nList.4=｢ﾒﾓ帳｣\r\n[Pad]\r\nNoBoth=0\r\n");
}

TEST_F(PadSettingsFile, AFileReleasedSoonAfterStartIsRead) {
    ASSERT_TRUE(testkit::WriteFileBytes(PadIni(), kFiveEntries));
    Hold();
    // The other program lets go a moment after the pad began to wait for the
    // file (its own timing, not a wait of the test: the pad waits seconds).
    testkit::HeldFile* file = held.get();
    std::thread releaser([file] {
        Sleep(500);
        file->Release();
    });
    WideBoxes boxes;
    Create();
    releaser.join();
    EXPECT_TRUE(boxes.boxes.empty());
    ASSERT_EQ(pad->Targets->Count(), 5);
    EXPECT_EQ((*pad->Targets)[4], "ﾒﾓ帳");
    EXPECT_TRUE(pad->OptNoBoth);
}

TEST_F(PadSettingsFile, AFailedWriteAsksWhetherToEndWithoutSaving) {
    ASSERT_TRUE(testkit::WriteFileBytes(PadIni(), kFiveEntries));
    Create();
    pad->Targets->Delete(0);
    Hold();
    {
        // No: the pad goes on with its list, and the question names the file.
        WideBoxes boxes(IDNO);
        TCloseAction action = caHide;
        pad->FormClose(pad, action);
        EXPECT_EQ(action, caNone);
        ASSERT_TRUE(pad->Targets);
        EXPECT_EQ(pad->Targets->Count(), 4);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text.find(W(PadIni() + " に書き込めません.")), 0u);
        EXPECT_EQ(boxes.boxes[0].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
        EXPECT_EQ(boxes.boxes[0].caption, W("Vantro Pad"));
    }
    {
        // Yes: the close goes ahead without saving.
        WideBoxes boxes(IDYES);
        TCloseAction action = caHide;
        pad->FormClose(pad, action);
        EXPECT_NE(action, caNone);
        EXPECT_FALSE(pad->Targets);
        EXPECT_EQ(boxes.boxes.size(), 1u);
    }
    Release();
    EXPECT_EQ(testkit::ReadFileBytes(PadIni()), kFiveEntries);
}

TEST_F(PadSettingsFile, ACloseRequestWhileTheQuestionIsOpenAsksNothingMore) {
    ASSERT_TRUE(testkit::WriteFileBytes(PadIni(), kFiveEntries));
    Create();
    Hold();
    // A second close request is handled inside the box's own message loop, as
    // one already queued would be; only the first box's answer counts.
    int boxes = 0;
    TCloseAction nested = caHide;
    TCloseAction action = caHide;
    {
        auto answer = testkit::MakeScopedHook(platform::hooks().messageBoxW,
                                              [&](HWND, const wchar_t*, const wchar_t*, UINT) {
                                                  ++boxes;
                                                  // A start meanwhile can tell.
                                                  EXPECT_TRUE(PadAskingToEnd(pad->Handle()));
                                                  if (boxes == 1) pad->FormClose(pad, nested);
                                                  return IDYES;
                                              });
        pad->FormClose(pad, action);
    }
    EXPECT_EQ(boxes, 1);
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
    WideBoxes boxes;
    Create();
    ASSERT_TRUE(testkit::WaitFor([&] { return !boxes.boxes.empty(); }, "the box about the code page"));
    const std::wstring& text = boxes.boxes[0].text;
    EXPECT_EQ(text.find(W(PadIni())), 0u) << "names the file";
    EXPECT_NE(text.find(L"65001"), std::wstring::npos);
    EXPECT_NE(text.find(W("日本語 (日本)")), std::wstring::npos) << "says what to change";
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

} // namespace
