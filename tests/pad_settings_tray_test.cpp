// The pad's settings file and its tray icon, in the pad's own process.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "pad/VTform.h"
#include "tests/support/blackbox.h"
#include "tests/support/padkit.h"
#include "tests/support/testkit.h"

using namespace vcl;

namespace {

// The pad's settings file is this test program's name with ".ini", next to it.
std::string PadIni() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    return s.substr(0, s.rfind('.')) + ".ini";
}

class PadSettings : public ::testing::Test {
protected:
    void SetUp() override { DeleteFileA(PadIni().c_str()); }
    void TearDown() override {
        delete pad;
        DeleteFileA(PadIni().c_str());
    }
    void Create() { pad = padkit::NewPad(); }
    TVTform* pad = nullptr;
};

TEST_F(PadSettings, StoredOptionsAreReadAndAnEmptyListGetsTheDefaults) {
    ASSERT_TRUE(testkit::WriteFileBytes(PadIni(), "[Target]\r\nAll=1\r\nList.Count=0\r\n[Pad]\r\nNoBoth=2\r\n"));
    Create();
    EXPECT_EQ(pad->IniG->FullPath(), PadIni());
    EXPECT_TRUE(pad->OptAll);
    EXPECT_TRUE(pad->OptNoBoth);
    // The option does not regroup the buttons at start.
    EXPECT_EQ(pad->CtrlBtn->GroupIndex(), 2);
    ASSERT_EQ(pad->Targets->Count(), 3);
    EXPECT_EQ((*pad->Targets)[0], "ｴｸｽﾌﾟﾛｰﾗ");
}

TEST_F(PadSettings, AFailedSaveKeepsThePadAndALaterCloseSaves) {
    Create();
    pad->Targets->Clear();
    pad->Targets->Add("ﾒﾓ帳");
    pad->OptNoBoth = true;
    HANDLE lock = CreateFileA(PadIni().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    TCloseAction action = caHide;
    {
        // The failed write is reported in a box that asks whether to end anyway; not Yes keeps the pad.
        testkit::MessageBoxRecorder boxes;
        pad->FormClose(pad, action);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text.find(PadIni() + " に書き込めません."), 0u);
        EXPECT_EQ(action, caNone);
    }
    ASSERT_TRUE(pad->Targets);
    EXPECT_EQ(pad->Targets->Count(), 1);
    CloseHandle(lock);

    pad->FormClose(pad, action);
    EXPECT_FALSE(pad->Targets);
    EXPECT_EQ(testkit::ReadFileBytes(PadIni()),
              "[Target]\r\nAll=0\r\nList.Count=1\r\nList.0=｢ﾒﾓ帳｣\r\n[Pad]\r\nNoBoth=1\r\n");
}

TEST_F(PadSettings, OnlyAStartWithoutASettingsFileShowsTheNotification) {
    struct Info {
        DWORD size;
        UINT id, flags;
        std::string title, text;
    };
    std::vector<Info> notices;
    UINT iconID = 0;
    auto shell = testkit::MakeScopedHook(platform::hooks().shellNotifyIcon, [&](DWORD m, NOTIFYICONDATAA* d) {
        if (m == NIM_ADD) iconID = d->uID;
        if (m == NIM_MODIFY && (d->uFlags & NIF_INFO))
            notices.push_back(Info{d->cbSize, d->uID, d->uFlags, d->szInfoTitle, d->szInfo});
        return TRUE;
    });
    // The start is over once the pad is created: a notification would have been asked for.
    Create();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].size, static_cast<DWORD>(NOTIFYICONDATAA_V2_SIZE));
    EXPECT_EQ(notices[0].id, iconID);
    EXPECT_EQ(notices[0].flags, static_cast<UINT>(NIF_INFO)); // the icon and its tip stay as they are
    EXPECT_NE(notices[0].title.find("Vantro Pad"), std::string::npos);
    // Where the icon is and what a press on it does, in two lines.
    EXPECT_NE(notices[0].text.find("通知領域"), std::string::npos);
    EXPECT_NE(notices[0].text.find("各種設定"), std::string::npos);
    EXPECT_NE(notices[0].text.find('\n'), std::string::npos);
    // Nothing else shows at start.
    EXPECT_FALSE(IsWindowVisible(pad->Handle()) && pad->Width() > 0);
    delete pad;
    pad = nullptr;

    notices.clear();
    ASSERT_TRUE(testkit::WriteFileBytes(PadIni(), "[Target]\r\nAll=0\r\n"));
    Create();
    EXPECT_TRUE(notices.empty());
    delete pad;
    pad = nullptr;
    // Nor does one whose settings come from the whole copy a cut-short save left.
    DeleteFileA(PadIni().c_str());
    const std::string copy = PadIni() + ".new";
    ASSERT_TRUE(testkit::WriteFileBytes(copy, "[Target]\r\nAll=1\r\n[Pad]\r\nNoBoth=0\r\n"));
    Create();
    EXPECT_TRUE(pad->OptAll);
    EXPECT_TRUE(notices.empty());
    delete pad;
    pad = nullptr;
    DeleteFileA(copy.c_str());
}

TEST_F(PadSettings, TheSessionEndSavesOnEveryNotice) {
    Create();
    pad->OptAll = true;
    SendMessageA(pad->Handle(), WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(GetFileAttributesA(PadIni().c_str()), INVALID_FILE_ATTRIBUTES);
    SendMessageA(pad->Handle(), WM_ENDSESSION, TRUE, 0);
    const std::string saved = testkit::ReadFileBytes(PadIni());
    EXPECT_NE(saved.find("All=1\r\n"), std::string::npos);
    // A second notice saves again.
    ASSERT_TRUE(testkit::WriteFileBytes(PadIni(), ""));
    SendMessageA(pad->Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(testkit::ReadFileBytes(PadIni()), saved);
}

struct Request {
    DWORD message;
    UINT id;
    UINT flags;
    std::string tip;
};

TEST(PadTray, TheIconIsThereFromLoadingUntilDestruction) {
    std::vector<Request> requests;
    auto shell = testkit::MakeScopedHook(platform::hooks().shellNotifyIcon, [&](DWORD msg, NOTIFYICONDATAA* d) {
        requests.push_back(Request{msg, d->uID, d->uFlags, d->szTip});
        return TRUE;
    });
    auto pad = std::make_unique<TVTform>(&testkit::App());
    // Added while the layout was read, modified at the loaded step.
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(requests[1].message, static_cast<DWORD>(NIM_MODIFY));
    for (const Request& r : requests) {
        EXPECT_EQ(r.id, 1u);
        EXPECT_EQ(r.flags, 7u); // message, icon and tip
        EXPECT_EQ(r.tip, "Vantro Pad");
    }
    EXPECT_TRUE(pad->TaskTray1->InTray());
    pad->DoCreate();
    requests.clear();
    pad.reset();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(requests[0].id, 1u);
}

} // namespace
