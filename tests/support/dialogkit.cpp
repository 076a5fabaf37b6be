#include "tests/support/dialogkit.h"

#include <cstdio>
#include <cstdlib>
#include <map>

#include "dialogs/ListEdit.h"
#include "dialogs/TitleSet.h"
#include "framework/Dialogs.h"
#include "tests/support/testkit.h"

namespace dialogkit {

using namespace vcl;

namespace {
std::map<UINT_PTR, std::function<void()>> gLater;

void After30ms(std::function<void()> fn) {
    UINT_PTR id = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        auto fn = std::move(gLater[id]);
        gLater.erase(id);
        if (fn) fn();
    });
    gLater[id] = std::move(fn);
}

void Retry(const std::function<bool()>& ready, const std::function<void()>& fn, const std::string& what,
           const std::function<void()>& giveUp, DWORD start) {
    After30ms([=] {
        if (ready()) fn();
        else if (static_cast<int>(GetTickCount() - start) < testkit::kLimitMs) Retry(ready, fn, what, giveUp, start);
        else {
            ADD_FAILURE() << what << " did not come within " << testkit::kLimitMs / 1000 << " s";
            if (giveUp) giveUp();
        }
    });
}
} // namespace

void WhenReady(const std::function<bool()>& ready, const std::function<void()>& fn, const std::string& what,
               const std::function<void()>& giveUp) {
    Retry(ready, fn, what, giveUp, GetTickCount());
}

void AnswerInputQuery(const char* caption, const std::function<void(HWND)>& answer) {
    const std::string title = caption;
    auto query = [title] { return FindWindowA(InputQueryClassName, title.c_str()); };
    WhenReady([=] { return query() && IsWindowVisible(query()); },
              [=] {
                  HWND q = query();
                  EXPECT_TRUE(BringToFront(q));
                  PumpApp();
                  answer(q);
                  // A failed step must not leave it open: closed if it is still
                  // there once its loop has had the answer (which ends the loop
                  // before any timer).
                  WhenReady([] { return true; }, [q] {
                      if (IsWindow(q)) PostMessageA(q, WM_CLOSE, 0, 0);
                  });
              },
              "the query \"" + title + "\"",
              [=] {
                  if (HWND q = query()) PostMessageA(q, WM_CLOSE, 0, 0);
              });
}

::testing::AssertionResult BringToFront(HWND wnd) { return testkit::ActivateAndSettle(wnd, [] { PumpApp(); }); }

void PumpApp() {
    while (testkit::App().ProcessMessage()) {
    }
}

::testing::AssertionResult WaitApp(const std::function<bool()>& done, const std::string& what,
                                   const std::function<std::string()>& seen) {
    return testkit::WaitFor(done, what, seen, testkit::kLimitMs, [] { PumpApp(); });
}

void Press(WORD vk) {
    // The key's toggle bit flips when this thread takes the press from its
    // queue, and its down bit clears when it takes the release.
    const SHORT before = GetKeyState(vk);
    const bool ours = GetWindowThreadProcessId(GetForegroundWindow(), nullptr) == GetCurrentThreadId();
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    if (!ours) return;
    EXPECT_TRUE(WaitApp(
        [&] {
            const SHORT now = GetKeyState(vk);
            return (now & 1) != (before & 1) && !(now & 0x8000);
        },
        "key " + std::to_string(vk) + " handled by this thread",
        [] { return "the focus on \"" + WindowText(GetFocus()) + "\", the foreground " + testkit::Foreground(); }));
}

void Type(const std::string& text) {
    for (char ch : text) Press(LOBYTE(VkKeyScanA(ch)));
}

POINT Center(HWND wnd) {
    RECT r;
    GetWindowRect(wnd, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void Click(TWinControl* control) { testkit::ClickAt(Center(control->Handle())); }

void ClickItem(TListBox* list, int index) {
    SendMessageA(list->Handle(), LB_SETTOPINDEX, index, 0);
    RECT r{};
    SendMessageA(list->Handle(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(list->Handle(), &p);
    testkit::ClickAt(p);
}

POINT MenuPoint(TCustomForm* form, int index) {
    RECT r{};
    GetMenuItemRect(form->Handle(), GetMenu(form->Handle()), index, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void ClickCloseBox(HWND wnd) {
    RECT w;
    GetWindowRect(wnd, &w);
    const bool tool = GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW;
    const int caption = GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION);
    const int frame = GetSystemMetrics((GetWindowLongA(wnd, GWL_STYLE) & WS_THICKFRAME) ? SM_CXFRAME : SM_CXDLGFRAME);
    testkit::ClickAt(POINT{w.right - frame - caption / 2, w.top + frame + caption / 2});
}

RECT ChildRect(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string WindowText(HWND wnd) { return testkit::Title(wnd); }

std::shared_ptr<int> CountClicks(TButton* button) {
    auto count = std::make_shared<int>(0);
    auto original = button->OnClick;
    button->OnClick = [count, original](TObject* sender) {
        ++*count;
        if (original) original(sender);
    };
    return count;
}

void Hold(const char* what) {
    if (const char* ms = std::getenv("VANTRO_HOLD_MS")) {
        std::printf("HOLD %s\n", what);
        std::fflush(stdout);
        const DWORD end = GetTickCount() + std::atoi(ms);
        WaitApp([&] { return static_cast<int>(end - GetTickCount()) <= 0; }, "the hold");
    }
}

void CreateDialogs() {
    testkit::App();
    if (!EditForm) (EditForm = new TEditForm(&testkit::App()))->DoCreate();
    if (!SetTitle) (SetTitle = new TSetTitle(&testkit::App()))->DoCreate();
}

void DestroyDialogs() {
    delete SetTitle;
    delete EditForm;
    SetTitle = nullptr;
    EditForm = nullptr;
    testkit::Pump();
}

Outcome OpenSettings(const Strings& list, bool optAll, bool noBoth, const std::function<void()>& script) {
    TStringList targets;
    for (const std::string& s : list) targets.Add(s);
    EditForm->TargetEditList->Items().Assign(targets);
    EditForm->Opt_all->SetChecked(optAll);
    EditForm->NoBoth->SetChecked(noBoth);
    auto cancel = [] {
        if (EditForm->IsModal() && EditForm->ModalResult() == mrNone) EditForm->SetModalResult(mrCancel);
    };
    WhenReady([] { return EditForm->IsModal() && IsWindowVisible(EditForm->Handle()); },
              [script, cancel] {
                  EXPECT_TRUE(BringToFront(EditForm->Handle()));
                  PumpApp();
                  script();
                  cancel();
              },
              "the settings dialog", cancel);
    Outcome out;
    out.result = EditForm->ShowModal();
    out.list = EditForm->TargetEditList->Items().Items();
    out.optAll = EditForm->Opt_all->Checked();
    out.noBoth = EditForm->NoBoth->Checked();
    return out;
}

void OpenAddTargetBeside() {
    Click(EditForm->AddBtn);
    ASSERT_TRUE(WaitApp([] { return IsWindowVisible(SetTitle->Handle()); }, "the add-target dialog shown"));
    RECT e;
    GetWindowRect(EditForm->Handle(), &e);
    SetWindowPos(SetTitle->Handle(), nullptr, e.right + 10, e.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_TRUE(BringToFront(SetTitle->Handle()));
}

} // namespace dialogkit
