#include "pad/VTform.h"

#include <csignal>
#include <cstdlib>
#include <cxxabi.h>
#include <exception>
#include <iterator>

#include "dialogs/ListEdit.h"
#include "pad/CaptionPlace.h"
#include "framework/Platform.h"
#include "pad/HelpGuide.h"
#include "pad/LatchColors.h"
#include "pad/PadLayout.h"
#include "pad/SettingsGuard.h"
#include "pad/StartWithWindows.h"
#include "pad/SingleInstance.h"
#include "settings/WideProfile.h"
#include "resources/VTform.layout.h"

namespace vcl {

TVTform* VTform = nullptr;

namespace {

// Titles on which the pad neither docks nor hides: the application's title,
// which also starts the title of the pad's about box, and "Target Listの編集",
// a title that no window of this program has (the settings dialog is titled
// " 各種設定"; the poll is off while it is open), kept on the list all the same.
const char* const kOwnTitles[] = {"Vantro Pad", "Target Listの編集"};
// Help windows: the pad hides on them.
const char* const kHelpTitles[] = {"ﾍﾙﾌﾟ作成者", "Vantroとは"};
const char* const kProgramManager = "Program Manager";
const char* const kDefaultTargets[] = {"ｴｸｽﾌﾟﾛｰﾗ", "ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ", "ﾌｧｲﾙ ﾏﾈｰｼﾞｬ"};
const char* const kHelpFile = "Vantro.HLP";
// The other text of the pad's about box.
const char* const kAboutNotice = "SHIFT/CTRL ﾗｯﾁﾊﾟｯﾄﾞ\r(C) 2026 Vantro Pad developers";
constexpr int kTitleBufferSize = 80;

} // namespace

void ReleaseModifierKeys() {
    KeyWatch::StopActive();
    WindowEvents::StopActive();
    platform::SendKeyToSystem(VK_SHIFT, KEYEVENTF_KEYUP);
    platform::SendKeyToSystem(VK_CONTROL, KEYEVENTF_KEYUP);
}

void ReleaseKeysLeftHeld() {
    for (const WORD vk : {VK_SHIFT, VK_CONTROL})
        if (platform::KeyDown(vk)) platform::SendKey(vk, KEYEVENTF_KEYUP);
}

namespace {

LPTOP_LEVEL_EXCEPTION_FILTER gPreviousFilter = nullptr;

LONG WINAPI ReleaseKeysOnCrash(EXCEPTION_POINTERS* info) {
    ReleaseModifierKeys();
    return gPreviousFilter ? gPreviousFilter(info) : EXCEPTION_CONTINUE_SEARCH;
}

// abort() (from the runtime, an assertion or a library) ends the process
// without the crash filter; the signal comes first.
void ReleaseKeysOnAbort(int) { ReleaseModifierKeys(); }

} // namespace

void ReleaseKeysOnTerminate() {
    ReleaseModifierKeys();
    std::_Exit(3);
}

void InstallKeyReleaseOnExit() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    gPreviousFilter = SetUnhandledExceptionFilter(&ReleaseKeysOnCrash);
    // The terminate handler needs no installing: the runtime's default is
    // the program's own (below).
    std::signal(SIGABRT, &ReleaseKeysOnAbort);
}

} // namespace vcl

// The C++ runtime's default terminate handler, which it uses from the start of
// the process (and for set_terminate(nullptr)), is this program's own. Its
// standard definition prints the error's demangled type name first: defined
// here, that one stays out of the program altogether, and with it the
// demangler and the formatted output that only it uses (about 70 KB of
// vantro.exe).
namespace __gnu_cxx {
void __verbose_terminate_handler() { vcl::ReleaseKeysOnTerminate(); }
} // namespace __gnu_cxx

namespace vcl {

bool TitleContains(const std::string& title, const std::string& pattern) {
    return !pattern.empty() && title.find(pattern) != std::string::npos;
}

TVTform::TVTform(TComponent* owner) : TForm(owner, "TVTform") {
    // A click on the pad never takes the activation from the target window.
    SetExtraExStyle(WS_EX_NOACTIVATE);
    ReadLayout([this] { ReadVTformLayout(*this); });
}

// The destruction handler runs before the pad's own members go.
TVTform::~TVTform() { BeforeDestruction(); }

// ------------------------------------------------------------- life cycle

void TVTform::FormCreate(TObject*) {
    // Keys a pad of this settings file left held; the user's own, and those
    // of another copy's latch, stay.
    FHeldMark.SetName(InstanceName(InstanceKey(IniG->FullPathW())));
    if (FHeldMark.TakeLeft()) ReleaseKeysLeftHeld();
    Application->OnMinimize = [this](TObject* s) { Mini(s); };
    Application->OnRestore = [this](TObject* s) { Rest(s); };
    Application->SetHelpFile(kHelpFile);
    // Whatever way the message loop is left, no modifier stays held.
    Application->OnTerminate = [] { ReleaseModifierKeys(); };
    InstallKeyReleaseOnExit();

    OwnWnd = Handle();
    TargetWnd = OwnWnd;

    CaptionHeight = GetSystemMetrics(SM_CYCAPTION);
    FrameWidth = GetSystemMetrics(SM_CXFRAME);
    FrameHeight = GetSystemMetrics(SM_CYFRAME);
    CaptionButtonWidth = GetSystemMetrics(SM_CXSIZE);

    // Lay the strip out from the caption height and the name's width in its font.
    const int h = CaptionHeight;
    NameLabel->Font().SetHeight(PadNameFontHeight(h));
    int w = 0;
    {
        TCanvas canvas;
        HDC dc = GetDC(nullptr);
        canvas.SetHandle(dc);
        canvas.Font.Assign(NameLabel->Font());
        w = canvas.TextWidth("Vantro");
        canvas.SetHandle(nullptr);
        ReleaseDC(nullptr, dc);
    }
    const PadLayout l = LayOutPad(h, w);
    ShiftBtn->SetHeight(l.buttonHeight);
    CtrlBtn->SetHeight(l.buttonHeight);
    ShiftBtn->Font().SetHeight(l.buttonFontHeight);
    CtrlBtn->Font().SetHeight(l.buttonFontHeight);
    NameLabel->SetTop(l.nameTop);
    SetClientSize(l.width, l.height);
    VTpanel->SetBounds(VTpanel->Left(), VTpanel->Top(), l.width, l.height);
    NameLabel->SetLeft(l.nameLeft);
    ShiftBtn->SetBounds(l.shiftLeft, ShiftBtn->Top(), l.buttonWidth, l.buttonHeight);
    CtrlBtn->SetBounds(l.ctrlLeft, CtrlBtn->Top(), l.buttonWidth, l.buttonHeight);
    PadWidth = l.width;
    ColourLatchCaption(*ShiftBtn);
    ColourLatchCaption(*CtrlBtn);

    PadShown = false;
    NeverDocked = true;

    OptAll = false;
    OptNoBoth = false;
    Targets = std::make_unique<TStringList>();
    LoadSettings();
    if (Targets->Count() == 0)
        for (const char* t : kDefaultTargets) Targets->Add(t);

    EraseTaskBar();
    HideForm();
    // HideForm leaves the width alone before the first docking: the pad starts
    // at zero width itself, so that a show before the poll docks it (the
    // settings dialog opened from the tray) brings up no strip away from any window.
    SetWidth(0);
    SetVisible(false);
    Timer1->SetEnabled(true);
    platform::SetForeground(OwnWnd);
    // Without the keyboard watch or the session notifications the pad works as before.
    FKeyWatch.Start(Handle(), WM_KEYWATCH);
    FSessionWatch.Start(Handle());
    // Without window events the poll alone follows the foreground.
    FWindowEvents.Start([this] { WindowEvent(); });
    // A first start shows nothing else: the notification says where the
    // program is (a new icon may sit behind the overflow button). An icon the
    // shell has not taken yet gets none.
    if (FFirstStart) TaskTray1->ShowBalloon(FirstStartNoticeTitle, FirstStartNoticeText);
}

void TVTform::LoadSettings() {
    // Under a code page that changes the program's texts on their way to and
    // from the file, the list read is not the user's: it is never written back.
    FCodePage = platform::ProcessCodePage();
    FCodePageRefusesSave = !CodePageKeepsSettings(FCodePage);
    if (FCodePageRefusesSave) PostMessageW(Handle(), WM_SETTINGSUNREAD, kCodePageRefusesSave, 0);
    // A file that another program holds open reads as if it were missing: the
    // pad would start with the defaults and write them over the user's list.
    const ini::FileReadState file = ini::WaitUntilReadable(IniG->FullPathW(), kSettingsReadWait);
    FSettingsUnread = file == ini::FileReadState::Held;
    if (FSettingsUnread) {
        // Run with the defaults, keep that file unless the settings are
        // changed, and say so once.
        FStartSettings = CurrentSettings();
        if (FStartSettings.targets.empty())
            FStartSettings.targets.assign(std::begin(kDefaultTargets), std::end(kDefaultTargets));
        // Told from the message loop, once start-up is done and the defaults
        // are in place: a close or a session end while the box is open then
        // finds a whole pad. The code page's message says all there is to say.
        if (!FCodePageRefusesSave) PostMessageW(Handle(), WM_SETTINGSUNREAD, kSettingsUnread, 0);
        return;
    }
    // A save cut short after the file was taken away left only its whole
    // copy: the settings come from there, and the next save puts them in place.
    TIniGT* source = IniG;
    std::unique_ptr<TIniGT> leftCopy;
    const std::wstring copy = ini::WholeCopyLeft(IniG->FullPathW(), &SavedWhole);
    FFirstStart = FirstStartNoticeWanted(file, !copy.empty());
    if (!copy.empty()) {
        leftCopy = std::make_unique<TIniGT>(nullptr);
        leftCopy->SetFileNameW(copy);
        source = leftCopy.get();
    }
    OptAll = source->ReadFlag("Target", "All", false);
    OptNoBoth = source->ReadFlag("Pad", "NoBoth", false);
    source->ReadTextList("Target", "List", *Targets);
}

void TVTform::SaveSettings() {
    if (FCodePageRefusesSave) return;
    if (!SettingsToWrite(FSettingsUnread, FStartSettings, CurrentSettings())) return;
    // All or nothing: a save cut short leaves the file as it was. "NoBoth"
    // goes last: a copy that holds it is whole.
    IniG->WriteAllOrNothing(
        [this] {
            IniG->WriteFlag("Target", "All", OptAll);
            IniG->WriteTextList("Target", "List", *Targets);
            IniG->WriteFlag("Pad", "NoBoth", OptNoBoth);
        },
        &SavedWhole);
    FSettingsUnread = false;  // the file holds the pad's settings now
}

PadSettingsValues TVTform::CurrentSettings() const {
    PadSettingsValues values;
    values.all = OptAll;
    values.noBoth = OptNoBoth;
    if (Targets) values.targets = Targets->Items();
    return values;
}

int TVTform::ShowSettingsBox(const std::wstring& text, UINT type) {
    const std::wstring caption = ini::WideFrom932(Application ? Application->Title() : std::string());
    return platform::ShowMessageBoxW(Application ? Application->Handle() : nullptr, text.c_str(),
                                     caption.c_str(), type);
}

void TVTform::FormClose(TObject*, TCloseAction& action) {
    // A close that arrives after a successful one (a second close request
    // already queued) finds the list gone: the settings are saved already.
    if (!Targets) return;
    // A close request that arrives while the box below is open is left to
    // that box's answer.
    if (FAskingToEnd) {
        action = caNone;
        return;
    }
    // Nothing the pad holds stays held through the save and its question
    // (Enter on the question must not be Ctrl+Enter), nor after a close that
    // a hang or a kill cuts short.
    ReleaseLatches();
    // A failed write asks whether to end without saving. No keeps the pad
    // running with its list, so that a later close can try again.
    try {
        SaveSettings();
    } catch (const Exception&) {
        // The pad neither docks nor hides while the question is open.
        const bool polling = Timer1->Enabled();
        Timer1->SetEnabled(false);
        FAskingToEnd = true;
        MarkAskingToEnd(Handle(), true);
        const int answer = ShowSettingsBox(SettingsWriteFailedText(IniG->FullPathW()),
                                           MB_YESNO | MB_ICONERROR | MB_DEFBUTTON2);
        MarkAskingToEnd(Handle(), false);
        FAskingToEnd = false;
        Timer1->SetEnabled(polling);
        if (answer != IDYES) {
            action = caNone;
            return;
        }
    }
    Targets.reset();
}

void TVTform::FormDestroy(TObject*) {
    // The hook goes first: the key-ups must not wait on a hook whose thread is ending.
    FKeyWatch.Stop();
    FSessionWatch.Stop();
    FWindowEvents.Stop();
    platform::SendKey(VK_SHIFT, KEYEVENTF_KEYUP);
    platform::SendKey(VK_CONTROL, KEYEVENTF_KEYUP);
    FHeldMark.Set(false);
}

void TVTform::FormActivate(TObject*) {
    EraseTaskBar();
    platform::SetForeground(TargetWnd);
}

void TVTform::EraseTaskBar() {
    if (Application && Application->Handle()) ShowWindow(Application->Handle(), SW_HIDE);
}

void TVTform::Mini(TObject*) {
    EraseTaskBar();
    HideForm();
}

void TVTform::Rest(TObject*) {
    if (NeverDocked) {
        SetVisible(true);
    } else {
        if (TargetWnd != OwnWnd) platform::SetForeground(TargetWnd);
        VTpanel->SetVisible(true);
    }
    EraseTaskBar();
    PadShown = true;
}

void TVTform::HideForm() {
    if (!PadShown) return;
    SetWidth(0);
    ReleaseLatches();
    PadShown = false;
}

LRESULT TVTform::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_MOUSEACTIVATE:
        // Clicks on the pad leave the target window active.
        return MA_NOACTIVATE;
    case WM_ENDSESSION:
        // Windows ends the session without closing the pad: save the settings as
        // a close would, and release the keys. Every notice saves: the program
        // may outlive a session end that was not forced, and the user may go on
        // editing. The keys go first, before the save that Windows may cut short.
        if (wParam) {
            ResetBtn();
            if (Targets) {
                try {
                    SaveSettings();
                } catch (const std::exception&) {
                    // No message box while the session ends: it would hold up the shut-down.
                }
            }
        }
        return 0;
    case WM_KEYWATCH:
        if (wParam == kLatchEndedByUser) LatchEndedByUser(static_cast<Latch>(lParam));
        else if (wParam == kPadKeyDownArrived) OwnKeyDownArrived(static_cast<Latch>(lParam));
        return 0;
    case WM_WTSSESSION_CHANGE:
        if (SessionChangeReleasesLatches(wParam)) ReleaseLatches();
        return 0;
    case WM_SETTINGSUNREAD:
        if (wParam == kCodePageRefusesSave)
            ShowSettingsBox(CodePageRefusesSaveText(IniG->FullPathW(), FCodePage), MB_OK | MB_ICONWARNING);
        else
            ShowSettingsBox(SettingsReadFailedText(IniG->FullPathW()), MB_OK | MB_ICONERROR);
        return 0;
    case WM_PADHANDOVER:
        // Another start of the program for this settings file: it ended, and
        // the user meets this pad's settings dialog instead.
    case WM_OPENSETTINGS:
        SetMenu();
        return 0;
    case WM_SYSCOLORCHANGE:
        // A high-contrast theme was switched on or off.
        ColourLatchCaption(*ShiftBtn);
        ColourLatchCaption(*CtrlBtn);
        return TForm::WndProc(msg, wParam, lParam);
    default:
        return TForm::WndProc(msg, wParam, lParam);
    }
}

// ------------------------------------------------------------- the latches

void TVTform::ShiftBtnMouseDown(TObject*, TMouseButton, TShiftState, int, int) {
    platform::SetForeground(TargetWnd);
}

void TVTform::ShiftBtnClick(TObject* sender) {
    auto* button = dynamic_cast<TSpeedButton*>(sender);
    if (!button) return;
    if (TargetWnd == OwnWnd) return; // nothing docked yet: the look changed, no key
    if (FKeysBlocked) {
        // The target cannot receive the key: the latch stays up.
        button->SetDown(false);
        return;
    }
    platform::SetForeground(TargetWnd);
    BtnOnOff(button);
    if (OptNoBoth && button->Down()) {
        TSpeedButton* other = button->Name() == "ShiftBtn" ? CtrlBtn : ShiftBtn;
        other->SetDown(false);
        BtnOnOff(other);
    }
}

void TVTform::BtnOnOff(TSpeedButton* button) {
    SendLatchKey(button->Name() == "ShiftBtn" ? kShiftKey : kCtrlKey, button->Down());
    ColourLatchCaption(*button);
}

// ------------------------------------------------ foreground tracking and docking

void TVTform::Timer1Timer(TObject*) {
    FSessionWatch.Retry();
    SettleOwedKeyUps();
    CheckKeyWatchAlive();
    CheckLatchTruth();
    MarkHeldKeys();
    FollowForeground();
}

void TVTform::WindowEvent() {
    // The poll's timer is off while a dialog, the context menu or the exit
    // question is open: then nothing docks or hides, on an event either.
    if (!Timer1->Enabled() || FFollowing) return;
    FollowForeground();
}

void TVTform::FollowForeground() {
    FFollowing = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{FFollowing};
    HWND f = GetForegroundWindow();
    if ((!IsWindowEnabled(TargetWnd) || IsIconic(TargetWnd)) && PadShown) {
        HideForm();
        return;
    }
    char buffer[kTitleBufferSize] = "";
    // A failed read (no foreground window, or it just went away) counts as an
    // empty title, which hides the pad below.
    if (GetWindowTextA(f, buffer, kTitleBufferSize) <= 0) buffer[0] = '\0';
    const std::string title(buffer);

    if (f == OwnWnd) {
        if (IsWindowEnabled(TargetWnd) && !IsIconic(TargetWnd)) platform::SetForeground(TargetWnd);
        HideForm();
        return;
    }
    if (CheckSysWin(title)) return;
    if (!TargetCheck(title)) return;

    HWND g = GetForegroundWindow();
    if (g != OwnWnd) {
        const LONG style = GetWindowLongA(g, GWL_STYLE);
        if (style < 0 || (style & (WS_BORDER | WS_DLGFRAME)) == 0) {
            HideForm();
            return;
        }
    }
    if (IsIconic(g) || !IsWindowVisible(g) || !IsWindowEnabled(g)) {
        HideForm();
        return;
    }
    TargetWnd = g;
    FWindowEvents.Follow(TargetWnd);
    CheckTargetAccess();
    RECT r;
    if (!GetWindowRect(TargetWnd, &r)) r = RECT{0, 0, 0, 0};
    // Just left of the caption buttons the target reports; else by the
    // classic formula on its visible frame or its window rectangle. Placed
    // anew for another window or rectangle, and when a slow target answers.
    PadPlace place;
    if (PlaceOnCaption(FCaptionCache, TargetWnd, r, ClassicCaptionMetrics(FrameWidth, FrameHeight, CaptionButtonWidth),
                       PadWidth, Height(), place)) {
        TargetRect = r;
        VTpanel->SetVisible(false);
        SetWidth(0);
        SetVisible(false);
        SetBorderStyle(bsNone);
        SetTop(place.top);
        SetLeft(place.left);
        VTpanel->SetBevelOuter(bvNone);
        VTpanel->SetColor(clActiveCaption);
        SetVisible(true);
        VTpanel->SetVisible(true);
    }
    NeverDocked = false;
    NameLabel->Font().SetColor(clYellow);
    if (!PadShown) Application->Restore();
    VTpanel->SetVisible(true);
    SetWidth(PadWidth);
    PadShown = true;
}

bool TVTform::CheckSysWin(const std::string& title) {
    if (TitleContains(title, kProgramManager) || title.empty()) {
        HideForm();
        return true;
    }
    return false;
}

bool TVTform::TargetCheck(const std::string& title) {
    for (const char* own : kOwnTitles)
        if (TitleContains(title, own)) return false;
    for (const char* help : kHelpTitles) {
        if (TitleContains(title, help)) {
            HideForm();
            return false;
        }
    }
    if (OptAll) return true;
    if (Targets) {
        for (const std::string& entry : Targets->Items())
            if (TitleContains(title, entry)) return true;
    }
    HideForm();
    return false;
}

// ------------------------------------------------------------- commands

void TVTform::FormMouseDown(TObject* sender, TMouseButton button, TShiftState, int x, int y) {
    // A right press on the name label belongs to its context menu, which opens
    // on the release: opening the settings dialog on the press as well would
    // hold the menu back until the dialog closed, over a hidden pad.
    const bool menuPress = button == mbRight && sender == NameLabel && NameLabel->PopupMenu();
    // An open settings dialog that went behind other windows comes back.
    if (EditForm && EditForm->Visible()) {
        EditForm->BringBack();
        return;
    }
    // A press on an unavailable latch does nothing (the button lets it through to the panel).
    if (PressOnBlockedLatch(sender, x, y)) {
        platform::SetForeground(TargetWnd);
        return;
    }
    if (PadShown && !menuPress) SetMenu();
    platform::SetForeground(TargetWnd);
}

void TVTform::TaskTray1MouseDown(TObject*, TMouseButton, TShiftState, int, int) { OpenSettingsSoon(); }

void TVTform::TaskTray1BalloonClick(TObject*) { OpenSettingsSoon(); }

void TVTform::OpenSettingsSoon() {
    // Not from inside the tray's callback: the tray drops every press that
    // arrives while one is handled, the dialog's whole modal loop included, and
    // a later press must reach the pad to bring the dialog back. The press gave
    // the program the right to come to the front, which lasts until the next
    // input. A press while the question about the file is open does nothing,
    // also once the question is gone.
    if (PadCommandsAllowed(FAskingToEnd)) PostMessageW(Handle(), WM_OPENSETTINGS, 0, 0);
}

void TVTform::TakeDialogList() {
    if (Targets) Targets->Assign(EditForm->TargetEditList->Items().ToStringList());
}

void TVTform::SetExclusiveButtons(bool exclusive) {
    const bool shiftWasDown = ShiftBtn->Down();
    CtrlBtn->SetGroupIndex(exclusive ? 1 : 2);
    if (shiftWasDown && !ShiftBtn->Down()) BtnOnOff(ShiftBtn);
}

TModalResult TVTform::RunSettingsDialog() {
    // The pad hides first: no modifier stays held while the dialog has the
    // keyboard (a latched Ctrl would turn typing in it into shortcuts).
    HideForm();
    EditForm->TargetEditList->Items().Assign(*Targets);
    Timer1->SetEnabled(false);
    EditForm->Opt_all->SetChecked(OptAll);
    EditForm->NoBoth->SetChecked(OptNoBoth);
    return EditForm->ShowModal();
}

void TVTform::SetMenu() {
    // Nothing to edit once the close has freed the list (a tray click queued
    // behind the close).
    if (!EditForm || !Targets || !PadCommandsAllowed(FAskingToEnd)) return;
    // Open already: it comes back to the front, with the add-target dialog.
    if (EditForm->Visible()) {
        EditForm->BringBack();
        return;
    }
    const TModalResult result = RunSettingsDialog();
    // The dialog's quit item may have ended the program meanwhile.
    if (!Targets) return;
    if (result == mrOk) {
        TakeDialogList();
        SetExclusiveButtons(EditForm->NoBoth->Checked());
        OptAll = EditForm->Opt_all->Checked();
        OptNoBoth = EditForm->NoBoth->Checked();
    }
    SetVisible(true);
    Timer1->SetEnabled(true);
}

void TVTform::AddTargetClick(TObject*) {
    if (!Targets || !PadCommandsAllowed(FAskingToEnd)) return;
    const TModalResult result = RunSettingsDialog();
    // The boxes show the stored options again; this path takes only the list.
    EditForm->Opt_all->SetChecked(OptAll);
    EditForm->NoBoth->SetChecked(OptNoBoth);
    if (!Targets) return;
    if (result == mrOk) TakeDialogList();
    Timer1->SetEnabled(true);
}

void TVTform::PopupMenu1Popup(TObject*) {
    Opt_all2->SetChecked(OptAll);
    NoBoth->SetChecked(OptNoBoth);
    AutoStart1->SetChecked(StartsWithWindows());
    Timer1->SetEnabled(false);
}

void TVTform::PopupMenu1Close(TObject*) {
    if (TargetWnd != OwnWnd) platform::SetForeground(TargetWnd);
    Timer1->SetEnabled(true);
}

void TVTform::Opt_all2Click(TObject*) {
    OptAll = !OptAll;
    Opt_all2->SetChecked(OptAll);
    Timer1->SetEnabled(true);
}

void TVTform::NoBothClick(TObject*) {
    OptNoBoth = !OptNoBoth;
    NoBoth->SetChecked(OptNoBoth);
    SetExclusiveButtons(OptNoBoth);
    Timer1->SetEnabled(true);
}

void TVTform::Exit1Click(TObject*) {
    Close();
    Timer1->SetEnabled(false);
}

void TVTform::AutoStart1Click(TObject*) {
    if (!SetStartWithWindows(!StartsWithWindows()))
        platform::ShowMessageBox(Application ? Application->Handle() : nullptr,
                                 "Windowsと同時に起動する設定を変更できません.", "Vantro Pad", MB_OK | MB_ICONERROR);
    AutoStart1->SetChecked(StartsWithWindows());
    Timer1->SetEnabled(true);
}

void TVTform::KVersion1Click(TObject*) {
    if (!PadCommandsAllowed(FAskingToEnd)) return;
    const std::string app = AboutApplicationText();
    platform::ShellAbout(Handle(), app.c_str(), kAboutNotice, LoadIconA(GetModuleHandleA(nullptr), "MAINICON"));
    Timer1->SetEnabled(true);
}

void TVTform::Help1Click(TObject*) {
    if (!PadCommandsAllowed(FAskingToEnd)) return;
    OpenHelp(Handle());
    Timer1->SetEnabled(true);
}

} // namespace vcl
