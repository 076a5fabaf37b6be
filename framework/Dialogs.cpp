#include "framework/Dialogs.h"

#include <windows.h>

#include <memory>

#include "framework/Forms.h"
#include "framework/StdCtrls.h"

namespace vcl {

const char* const InputQueryClassName = "TInputQueryForm";

namespace {

// The average character width (of the 52 letters "A" to "Z" and "a" to "z")
// and the character height of `font`: four horizontal and eight vertical
// dialog units.
SIZE DialogUnits(TFont& font) {
    static const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font.Handle());
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, kLetters, 52, &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    size.cx /= 52;
    return size;
}

// Height of a single-line edit box that fits `font`: the text height plus room
// for the sunken border.
int EditHeight(TFont& font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font.Handle());
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return tm.tmHeight + 8 * GetSystemMetrics(SM_CYBORDER);
}

} // namespace

bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
    auto form = std::make_unique<TForm>(nullptr, InputQueryClassName);
    form->SetName("InputQuery");
    form->Font().SetCharset(SHIFTJIS_CHARSET);
    form->SetBorderStyle(bsDialog);
    form->SetBorderIcons(biSystemMenu);
    form->SetCaption(caption);
    form->SetPosition(poScreenCenter);
    // The font height is given at 96 pixels per inch; every size below is
    // measured in the font's dialog units, so it scales with the font.
    form->Font().SetHeight(MulDiv(form->Font().Height(), ScreenPixelsPerInch(), DesignPixelsPerInch));
    const SIZE du = DialogUnits(form->Font());
    auto hx = [&](int units) { return MulDiv(units, du.cx, 4); };
    auto vy = [&](int units) { return MulDiv(units, du.cy, 8); };
    form->SetClientSize(hx(180), vy(63));

    auto* label = new TLabel(form.get());
    label->SetName("Prompt");
    label->SetParent(form.get());
    label->SetBounds(hx(8), vy(8), label->Width(), label->Height());
    label->SetCaption(prompt);

    auto* edit = new TEdit(form.get());
    edit->SetName("Edit");
    edit->SetParent(form.get());
    edit->SetBounds(hx(8), vy(19), hx(164), EditHeight(edit->Font()));
    edit->SetMaxLength(255);
    edit->SetText(value);
    edit->SelectAll();
    edit->SetTabOrder(0);

    const int buttonTop = vy(41), buttonWidth = hx(50), buttonHeight = vy(14);
    auto* ok = new TButton(form.get());
    ok->SetName("OKButton");
    ok->SetParent(form.get());
    ok->SetBounds(hx(38), buttonTop, buttonWidth, buttonHeight);
    ok->SetCaption("OK");
    ok->SetModalResult(mrOk);
    ok->SetDefault(true);
    ok->SetTabOrder(1);

    auto* cancel = new TButton(form.get());
    cancel->SetName("CancelButton");
    cancel->SetParent(form.get());
    cancel->SetBounds(hx(92), buttonTop, buttonWidth, buttonHeight);
    cancel->SetCaption("ｷｬﾝｾﾙ");
    cancel->SetModalResult(mrCancel);
    cancel->SetCancel(true);
    cancel->SetTabOrder(2);

    if (form->ShowModal() != mrOk) return false;
    value = edit->Text();
    return true;
}

} // namespace vcl
