// Components, layouts, timers and the application's error box.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/hslabel.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "tests/support/testkit.h"

using namespace vcl;

namespace {

// A component that logs its loaded step and the removals it hears of.
class Probe : public TComponent {
public:
    Probe(TComponent* owner, std::vector<std::string>& log) : TComponent(owner), FLog(log) {}
    ~Probe() override { FLog.push_back("destroy " + Name()); }
    void Loaded() override {
        FLog.push_back("loaded " + Name() + (IsLoading() ? " (loading)" : ""));
        TComponent::Loaded();
    }
    TComponent* Ref = nullptr;

protected:
    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        if (op == opRemove && c == Ref) Ref = nullptr;
    }

private:
    std::vector<std::string>& FLog;
};

class ProbeForm : public TForm {
public:
    ProbeForm(TComponent* owner, std::vector<std::string>& log) : TForm(owner, "TProbeForm"), FLog(log) {
        ReadLayout([&] {
            log.push_back(std::string("form loading ") + (IsLoading() ? "yes" : "no"));
            A = new Probe(this, log);
            A->SetName("A");
            log.push_back(std::string("A loading ") + (A->IsLoading() ? "yes" : "no"));
            B = new Probe(this, log);
            B->SetName("B");
            Timer = new TTimer(this);
            Timer->SetInterval(10);
            Timer->OnTimer = [this](TObject*) { ++Ticks; };
            // Timers of the thread tick meanwhile: the layout's timer had its chances.
            testkit::LetTimersRun(5, 10);
            TicksWhileLoading = Ticks;
        });
        OnCreate = [this](TObject*) { FLog.push_back("create"); };
    }
    void Loaded() override {
        FLog.push_back("loaded form");
        TForm::Loaded();
    }
    Probe* A = nullptr;
    Probe* B = nullptr;
    TTimer* Timer = nullptr;
    int Ticks = 0;
    int TicksWhileLoading = -1;

private:
    std::vector<std::string>& FLog;
};

TEST(Components, LayoutIsReadUnderLoadingThenLoadedThenCreated) {
    testkit::App();
    std::vector<std::string> log;
    auto* form = new ProbeForm(&testkit::App(), log);
    // A timer created in a layout does not run before the loaded step.
    EXPECT_EQ(form->TicksWhileLoading, 0);
    form->DoCreate();
    const std::vector<std::string> want{"form loading yes", "A loading yes", "loaded form",
                                        "loaded A (loading)", "loaded B (loading)", "create"};
    EXPECT_EQ(log, want);
    EXPECT_FALSE(form->IsLoading());
    EXPECT_FALSE(form->A->IsLoading());
    EXPECT_TRUE(testkit::WaitFor([&] { return form->Ticks > 0; }, "a tick after the loaded step"));
    delete form;
}

TEST(Components, OwnerFreesItsComponentsAndRemovalsAreHeard) {
    std::vector<std::string> log;
    auto* owner = new Probe(nullptr, log);
    owner->SetName("owner");
    auto* a = new Probe(owner, log);
    a->SetName("a");
    auto* b = new Probe(owner, log);
    b->SetName("b");
    auto* stranger = new Probe(nullptr, log);
    stranger->SetName("stranger");
    // A sibling hears of a removal through the common owner; a stranger only
    // when it asked to be told.
    a->Ref = b;
    stranger->Ref = b;
    b->FreeNotification(stranger);
    delete b;
    EXPECT_EQ(a->Ref, nullptr);
    EXPECT_EQ(stranger->Ref, nullptr);
    EXPECT_EQ(owner->ComponentCount(), 1);
    EXPECT_EQ(owner->FindComponent("a"), a);

    log.clear();
    delete owner;
    EXPECT_EQ(log, (std::vector<std::string>{"destroy owner", "destroy a"}));
    delete stranger;
}

TEST(Components, DestroyedPopupMenuIsForgottenByItsControl) {
    testkit::App();
    auto* form = new TForm(&testkit::App(), "TMenuTestForm");
    auto* menu = new TPopupMenu(form);
    auto* label = new THSLabel(form);
    label->SetParent(form);
    label->SetPopupMenu(menu);
    delete menu;
    EXPECT_EQ(label->PopupMenu(), nullptr);
    delete form;
}

TEST(ErrorBox, ShowsTheMessageWithAFullStopUnderTheTitle) {
    testkit::MessageBoxRecorder boxes;
    testkit::App().HandleException(Exception("C:\\x.ini に書き込めません"));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "C:\\x.ini に書き込めません.");
    EXPECT_EQ(boxes.boxes[0].caption, "Vantro Pad");
    EXPECT_EQ(boxes.boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}

TEST(ErrorBox, AnErrorInAHandlerIsShownAndTheLoopGoesOn) {
    testkit::MessageBoxRecorder boxes;
    auto* form = new TForm(&testkit::App(), "TErrorTestForm");
    int downs = 0;
    form->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
        ++downs;
        throw Exception("first");
    };
    auto* timer = new TTimer(form);
    int ticks = 0;
    timer->SetInterval(10);
    timer->OnTimer = [&](TObject*) {
        if (++ticks == 1) throw EInvalidOperation("tick");
    };
    HWND wnd = form->Handle();
    PostMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(6, 6));
    EXPECT_TRUE(testkit::WaitFor([&] { return downs == 2 && ticks >= 3; }, "two presses and three ticks",
                                 [&] { return std::to_string(downs) + " presses, " + std::to_string(ticks) + " ticks"; }));
    ASSERT_GE(boxes.boxes.size(), 3u);
    EXPECT_EQ(boxes.boxes[0].text, "first.");
    EXPECT_EQ(boxes.boxes[2].text, "tick.");
    delete form;
}

} // namespace
