// The shadow label: painting (shadow direction, clipping, colours, background),
// auto-size, repaint-only setters, creation and loading, and the accelerator.
// Painting goes into a 32-bit memory bitmap whose pixels are then inspected.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "controls/hslabel.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "tests/support/testkit.h"

using namespace vcl;

namespace {

const TApplication& gApp = testkit::App();

class TestForm : public TForm {
public:
    TestForm() : TForm(nullptr, "HSLabelTestForm") {
        SetBorderStyle(bsNone);
        SetBounds(100, 100, 300, 120);
    }
    using TCustomForm::ReadLayout;
};

// Wine smooths text edges, so a pixel may blend text, shadow and background.
// A blue background tells them apart: neither the yellow text nor the black
// shadow has any blue, so "no blue left" means "fully covered by a pass".
const COLORREF kBack = RGB(0, 0, 255), kYellow = RGB(255, 255, 0), kBlack = RGB(0, 0, 0);

// A memory bitmap filled with kBack.
struct Bitmap : testkit::Bitmap {
    Bitmap(int w, int h) : testkit::Bitmap(w, h, kBack) {}
};

void UseArial(TFont& font, int height, unsigned style = 0) {
    font.SetCharset(DEFAULT_CHARSET);
    font.SetName("Arial");
    font.SetHeight(height);
    font.SetStyle(style);
}

// The extent that DrawTextA gives for `text` in `font`, on the screen.
SIZE TextExtent(const TFont& font, const std::string& text, UINT extra = 0) {
    TFont f;
    f.Assign(font);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, f.Handle());
    RECT r{0, 0, 0, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_EXPANDTABS | extra);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return SIZE{r.right, r.bottom};
}

// Yellow text with a black shadow down-right, transparent, at (20, 20) of a form.
class LabelPaint : public ::testing::Test {
protected:
    void SetUp() override {
        label_ = new THSLabel(&form_);
        label_->SetParent(&form_);
        UseArial(label_->Font(), -24, fsBold);
        label_->Font().SetColor(clYellow);
        label_->SetShadowColor(clBlack);
        label_->SetShadow(true);
        label_->SetShadowdown(true);
        label_->SetTransparent(true);
        label_->SetBounds(20, 20, 0, 0);
        label_->SetCaption("Vantro");
    }
    std::unique_ptr<Bitmap> Paint() {
        auto bmp = std::make_unique<Bitmap>(form_.Width(), form_.Height());
        form_.PaintControls(bmp->dc());
        return bmp;
    }
    // Nothing outside the label's rectangle was touched.
    void ExpectOnlyInsideLabel(const Bitmap& bmp) {
        auto touched = [](COLORREF c) { return c != kBack; };
        EXPECT_EQ(bmp.Count(RECT{0, 0, form_.Width(), form_.Height()}, touched),
                  bmp.Count(label_->BoundsRect(), touched));
    }
    // Every pure shadow pixel has a pure text pixel at (-dx, -dy); with
    // `covered`, every pure text pixel has no background left at (dx, dy).
    // Places outside the label are not looked at.
    void ExpectShadowAt(const Bitmap& bmp, int dx, int dy, COLORREF text, bool covered = true) {
        const RECT in = label_->BoundsRect();
        int texts = 0, shadows = 0, uncovered = 0, stray = 0;
        for (int y = in.top; y < in.bottom; ++y)
            for (int x = in.left; x < in.right; ++x) {
                const POINT to{x + dx, y + dy}, from{x - dx, y - dy};
                if (bmp.At(x, y) == text) {
                    ++texts;
                    uncovered += covered && PtInRect(&in, to) && GetBValue(bmp.At(to.x, to.y)) != 0;
                } else if (bmp.At(x, y) == kBlack) {
                    ++shadows;
                    stray += PtInRect(&in, from) && bmp.At(from.x, from.y) != text;
                }
            }
        EXPECT_GT(texts, 50);
        EXPECT_GT(shadows, 20);
        EXPECT_EQ(uncovered, 0);
        EXPECT_EQ(stray, 0);
    }

    TestForm form_;
    THSLabel* label_ = nullptr;
};

TEST_F(LabelPaint, ShadowFallsOnePixelDownRightOrUpLeftAndIsClipped) {
    ExpectShadowAt(*Paint(), 1, 1, kYellow);
    ExpectOnlyInsideLabel(*Paint());
    label_->SetShadowdown(false);
    ExpectShadowAt(*Paint(), -1, -1, kYellow);
    ExpectOnlyInsideLabel(*Paint());
    // Text running over both side edges: the shadow is cut there like the text.
    label_->SetAutoSize(false);
    label_->SetAlignment(taCenter);
    label_->SetBounds(label_->Left() + 8, label_->Top(), label_->Width() - 16, label_->Height() - 4);
    for (bool down : {true, false}) {
        label_->SetShadowdown(down);
        auto bmp = Paint();
        ExpectOnlyInsideLabel(*bmp);
        EXPECT_GT(bmp->Count(label_->BoundsRect(), kBlack), 0);
    }
}

TEST_F(LabelPaint, ShadowOffDrawsTheTextPassOnly) {
    label_->SetShadow(false);
    auto bmp = Paint();
    EXPECT_GT(bmp->Count(label_->BoundsRect(), kYellow), 50);
    // A shadow pass would leave pixels darkened with no text on them.
    EXPECT_EQ(bmp->Count(label_->BoundsRect(), [](COLORREF c) { return GetRValue(c) == 0 && GetBValue(c) != 255; }), 0);
}

TEST_F(LabelPaint, DisabledLabelDrawsGreyTextOverTheUsualShadow) {
    label_->SetEnabled(false);
    auto bmp = Paint();
    ExpectShadowAt(*bmp, 1, 1, GetSysColor(COLOR_GRAYTEXT), false);
    EXPECT_EQ(bmp->Count(label_->BoundsRect(), kYellow), 0);
}

TEST_F(LabelPaint, TransparentFillsNothingOpaqueFillsColor) {
    const RECT in = label_->BoundsRect();
    EXPECT_GT(Paint()->Count(in, kBack), label_->Width());
    label_->SetTransparent(false);
    label_->SetColor(clRed);
    auto bmp = Paint();
    // Red, yellow and black have no blue: the background is gone.
    EXPECT_EQ(bmp->Count(in, [](COLORREF c) { return GetBValue(c) != 0; }), 0);
    EXPECT_GT(bmp->Count(in, RGB(255, 0, 0)), label_->Width());
    ExpectShadowAt(*bmp, 1, 1, kYellow);
}

TEST_F(LabelPaint, AmpersandIsTextWithoutAccelChar) {
    label_->SetShadow(false);
    label_->SetAutoSize(false);
    label_->SetWidth(100);
    label_->SetCaption("&&");
    const int one = Paint()->Count(label_->BoundsRect(), kYellow);
    label_->SetShowAccelChar(false);
    const int two = Paint()->Count(label_->BoundsRect(), kYellow);
    EXPECT_GT(one, 10);
    EXPECT_GT(two, one * 3 / 2);
}

TEST(LabelSize, AutoSizeIsTheTextExtentWithoutRoomForTheShadow) {
    TestForm form;
    auto* label = new THSLabel(&form);
    label->SetParent(&form);
    UseArial(label->Font(), -16, fsBold);
    label->SetShadow(true);
    label->SetShadowdown(true);
    label->SetCaption("Vantro\tPad");
    SIZE e = TextExtent(label->Font(), "Vantro\tPad");
    EXPECT_EQ(label->Width(), e.cx);
    EXPECT_EQ(label->Height(), e.cy);

    // Nothing to show still keeps one blank by one line.
    const SIZE blank = TextExtent(label->Font(), " ");
    for (const char* caption : {"", "&"}) {
        label->SetCaption(caption);
        EXPECT_EQ(label->Width(), blank.cx) << caption;
        EXPECT_EQ(label->Height(), blank.cy) << caption;
    }
    label->SetShowAccelChar(false);  // repaints only ...
    EXPECT_EQ(label->Width(), blank.cx);
    label->SetCaption("&&");         // ... the next fit measures "&" as text
    EXPECT_EQ(label->Width(), TextExtent(label->Font(), "&&", DT_NOPREFIX).cx);
    label->SetCaption("&");
    EXPECT_EQ(label->Width(), TextExtent(label->Font(), "&", DT_NOPREFIX).cx);
    EXPECT_NE(label->Width(), blank.cx);
}

TEST(LabelSize, RightAlignedKeepsRightEdgeCentredKeepsLeftEdge) {
    TestForm form;
    auto* label = new THSLabel(&form);
    label->SetParent(&form);
    UseArial(label->Font(), -12);
    label->SetCaption("Vantro");
    label->SetAlignment(taRightJustify);
    label->SetLeft(100);
    const int right = label->Left() + label->Width();
    label->SetCaption("Vantro Pad");
    EXPECT_EQ(label->Left() + label->Width(), right);
    label->Font().SetHeight(-20);
    EXPECT_EQ(label->Left() + label->Width(), right);
    EXPECT_EQ(label->Width(), TextExtent(label->Font(), "Vantro Pad").cx);

    label->SetAlignment(taCenter);
    const int left = label->Left();
    label->SetCaption("Vantro");
    label->Font().SetHeight(-12);
    EXPECT_EQ(label->Left(), left);
}

TEST(LabelSetters, RepaintOnlyWhenChangedAndNeverResize) {
    TestForm form;
    auto* label = new THSLabel(&form);
    label->SetParent(&form);
    label->SetCaption("&Test");
    form.Show();
    const RECT bounds = label->BoundsRect();
    auto repainted = [&](const std::function<void()>& change) {
        ValidateRect(form.Handle(), nullptr);
        change();
        return GetUpdateRect(form.Handle(), nullptr, FALSE) != FALSE;
    };
    // Each setter first with the value it has, then with a new one.
    const std::vector<std::pair<std::function<void()>, std::function<void()>>> setters = {
        {[&] { label->SetShadow(false); }, [&] { label->SetShadow(true); }},
        {[&] { label->SetShadowdown(false); }, [&] { label->SetShadowdown(true); }},
        {[&] { label->SetShadowColor(clWhite); }, [&] { label->SetShadowColor(clBlack); }},
        {[&] { label->SetShowAccelChar(true); }, [&] { label->SetShowAccelChar(false); }},
        {[&] { label->SetAlignment(taLeftJustify); }, [&] { label->SetAlignment(taRightJustify); }},
        {[&] { label->SetTransparent(false); }, [&] { label->SetTransparent(true); }},
    };
    for (size_t i = 0; i < setters.size(); ++i) {
        EXPECT_FALSE(repainted(setters[i].first)) << i;
        EXPECT_TRUE(repainted(setters[i].second)) << i;
    }
    EXPECT_FALSE(repainted([&] { label->SetAutoSize(true); }));
    EXPECT_FALSE(repainted([&] { label->SetCaption("&Test"); }));
    const RECT now = label->BoundsRect();
    EXPECT_TRUE(EqualRect(&now, &bounds));
    // Line breaks change within the same bounds.
    label->SetAutoSize(false);
    EXPECT_FALSE(repainted([&] { label->SetWordWrap(false); }));
    EXPECT_TRUE(repainted([&] { label->SetWordWrap(true); }));
}

TEST(LabelLifecycle, CreatedAtRunTimeOwnsABlackFontAndFitsOneBlank) {
    TestForm form;
    UseArial(form.Font(), -20);
    auto* label = new THSLabel(&form);
    EXPECT_FALSE(label->ParentFont());
    EXPECT_EQ(label->Font().Color(), clBlack);
    EXPECT_EQ(label->ShadowColor(), clWhite);
    const SIZE blank = TextExtent(label->Font(), " ");
    EXPECT_EQ(label->Width(), blank.cx);
    EXPECT_EQ(label->Height(), blank.cy);

    label->SetParent(&form);
    label->SetCaption("Vantro");
    EXPECT_NE(label->Font().Name(), "Arial");
    label->SetParentFont(true);
    EXPECT_EQ(label->Font().Name(), "Arial");
    EXPECT_EQ(label->Width(), TextExtent(form.Font(), "Vantro").cx);
}

TEST(LabelLifecycle, LoadingKeepsStoredBoundsLaterFontChangeRefits) {
    TestForm form;
    THSLabel* label = nullptr;
    form.ReadLayout([&] {
        label = new THSLabel(&form);
        label->SetParent(&form);
        label->SetBounds(6, 2, 41, 14);
        label->SetCaption("Vantro");
        UseArial(label->Font(), -11, fsBold);
    });
    RECT r = label->BoundsRect(), stored{6, 2, 47, 16};
    EXPECT_TRUE(EqualRect(&r, &stored));
    label->Font().SetHeight(-16);
    const SIZE e = TextExtent(label->Font(), "Vantro");
    r = label->BoundsRect();
    stored = RECT{6, 2, 6 + e.cx, 2 + e.cy};
    EXPECT_TRUE(EqualRect(&r, &stored));
}

TEST(LabelAccelerator, MovesFocusToFocusControl) {
    TestForm form;
    auto* other = new TPanel(&form);
    other->SetParent(&form);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(0, 50, 200, 60);
    auto* target = new TPanel(&form);
    target->SetParent(panel);
    target->SetBounds(100, 5, 50, 20);
    auto* label = new THSLabel(&form);
    label->SetParent(panel);
    label->SetCaption("&Test");
    label->SetFocusControl(target);
    form.Show();

    // Typing `ch` with the focus elsewhere: handled, and did the focus move?
    auto type = [&](char ch) {
        SetFocus(other->Handle());
        EXPECT_EQ(GetFocus(), other->Handle());
        const bool handled = form.DialogChar(ch);
        EXPECT_EQ(handled, GetFocus() == target->Handle()) << ch;
        return handled;
    };
    EXPECT_TRUE(type('t'));
    EXPECT_TRUE(type('T'));
    EXPECT_FALSE(type('e'));
    label->SetEnabled(false);
    EXPECT_FALSE(type('t'));
    label->SetEnabled(true);
    label->SetShowAccelChar(false);
    EXPECT_FALSE(type('t'));
    label->SetShowAccelChar(true);
    panel->SetEnabled(false);  // the focus control cannot take the focus
    EXPECT_FALSE(type('t'));
    panel->SetEnabled(true);
    label->SetFocusControl(nullptr);
    EXPECT_FALSE(type('t'));

    // "&&" draws a plain "&": the underlined letter after it is the accelerator.
    label->SetFocusControl(target);
    label->SetCaption("&&T&est");
    EXPECT_FALSE(type('&'));
    EXPECT_FALSE(type('t'));
    EXPECT_TRUE(type('E'));

    delete target;
    EXPECT_EQ(label->FocusControl(), nullptr);
    EXPECT_FALSE(form.DialogChar('e'));
}

}  // namespace
