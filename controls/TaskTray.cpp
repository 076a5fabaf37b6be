#include "controls/TaskTray.h"

#include <climits>
#include <cstddef>
#include <exception>
#include <cstring>

#include "controls/TrayRetry.h"
#include "framework/Forms.h"
#include "framework/Platform.h"

namespace vcl {

namespace {

// The record is handed over in its first-version layout: the fields up to a
// 64-byte tip (the current headers declare a longer tip; the shell reads only
// what cbSize covers).
constexpr size_t TipCapacity = 64;
static_assert(NOTIFYICONDATAA_V1_SIZE == offsetof(NOTIFYICONDATAA, szTip) + TipCapacity, "first-version layout");
static_assert(sizeof(void*) != 4 || NOTIFYICONDATAA_V1_SIZE == 88, "first-version record size");

const char* const ErrNonPositiveID = "0以下は指定できません";
const char* const ErrDuplicateID = "同じアイコン識別子が有ります";
const char* const ErrNoIcon = "アイコンが指定されていません";
const char* const ErrShellRefused = "タスクトレイに登録できません";

struct TrayState {
    std::vector<TTrayIDEntry> ids;
    TNotifyWindow* window = nullptr;
    bool busy = false;
    // The last tray component went away while a callback was being handled:
    // the window is released once that handling is over.
    bool releasePending = false;
    UINT taskbarCreated = 0;
    // The quiet retries of refused adds: their timer runs on the window.
    bool retrying = false;
    DWORD retryStart = 0;
};

// The notification window's timer for the quiet retries.
constexpr UINT_PTR RetryTimerID = 1;

// Lives for the whole process, so that components destroyed late never find it gone.
TrayState& State() {
    static TrayState* state = new TrayState;
    return *state;
}

std::vector<TTrayIDEntry>::iterator FindText(const std::string& text) {
    auto& ids = State().ids;
    for (auto it = ids.begin(); it != ids.end(); ++it)
        if (it->Text == text) return it;
    return ids.end();
}

std::vector<TTrayIDEntry>::iterator FindTray(const TTaskTray* tray) {
    auto& ids = State().ids;
    for (auto it = ids.begin(); it != ids.end(); ++it)
        if (it->Tray == tray) return it;
    return ids.end();
}

// The last entry's identifier plus one, skipping identifiers that a live
// component holds (an IconID write can leave a larger one earlier in the list).
int NextIdentifier() {
    const auto& ids = State().ids;
    if (ids.empty()) return 1;
    long long id = std::stoll(ids.back().Text) + 1;
    for (;;) {
        if (id > INT_MAX) id = 1;
        if (FindText(std::to_string(id)) == State().ids.end()) return static_cast<int>(id);
        ++id;
    }
}

// Destroys the notification window once no tray component is left; while a
// callback is being handled (the window is inside its own window procedure)
// this waits until the handling is over.
void ReleaseNotifyWindowIfUnused() {
    TrayState& s = State();
    if (!s.ids.empty() || !s.window) {
        s.releasePending = false;
        return;
    }
    if (s.busy) {
        s.releasePending = true;
        return;
    }
    s.releasePending = false;
    TNotifyWindow* window = s.window;
    s.window = nullptr;
    s.retrying = false; // the timer goes with the window
    delete window;
}

// The longest prefix of `text` that fits a field of `capacity` bytes with its
// terminator, never ending in the first byte of a double-byte character.
size_t FittingLength(const std::string& text, size_t capacity) {
    size_t i = 0;
    while (i < text.size()) {
        size_t step = (IsDBCSLeadByteEx(932, static_cast<BYTE>(text[i])) && i + 1 < text.size()) ? 2 : 1;
        if (i + step > capacity - 1) break;
        i += step;
    }
    return i;
}

// Copies what fits of `text` into the field, zero-filled.
template <size_t N> void CopyField(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), FittingLength(text, N));
}

} // namespace

const std::vector<TTrayIDEntry>& TrayIDList() { return State().ids; }
TNotifyWindow* NotifyWindow() { return State().window; }
bool NotifyBusy() { return State().busy; }

// ------------------------------------------------------------- TIconImage

TIconImage::~TIconImage() {
    if (FHandle) DestroyIcon(FHandle);
}

void TIconImage::SetHandle(HICON icon) {
    if (icon == FHandle) return;
    if (FHandle) DestroyIcon(FHandle);
    FHandle = icon;
    if (OnChange) OnChange();
}

void TIconImage::Assign(const TIconImage& other) {
    if (&other == this) return;
    SetHandle(other.FHandle ? CopyIcon(other.FHandle) : nullptr);
}

void TIconImage::LoadFromResourceName(HINSTANCE module, const char* name) {
    HICON icon = static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    if (!icon) throw EInvalidOperation(std::string("Icon resource not found: ") + name);
    SetHandle(icon);
}

// -------------------------------------------------------------- TTaskTray

// Notes whether the component is destroyed while one of its mouse dispatches
// runs (pending messages and the user's handler may free it, or its owner).
class TTaskTray::TAliveGuard {
public:
    explicit TAliveGuard(TTaskTray* tray) : FTray(tray), FOuter(tray->FAliveGuard) { tray->FAliveGuard = this; }
    ~TAliveGuard() {
        if (!Gone) FTray->FAliveGuard = FOuter;
    }
    TAliveGuard(const TAliveGuard&) = delete;
    TAliveGuard& operator=(const TAliveGuard&) = delete;
    // Called by the destructor: this dispatch and every one around it.
    void MarkGone() {
        for (TAliveGuard* g = this; g; g = g->FOuter) g->Gone = true;
    }
    bool Gone = false;

private:
    TTaskTray* FTray;
    TAliveGuard* FOuter;
};

TTaskTray::TTaskTray(TComponent* owner)
    : TComponent(owner), FIcon(new TIconImage), FData(new NOTIFYICONDATAA{}) {
    FIconID = NextIdentifier();
    State().ids.push_back(TTrayIDEntry{std::to_string(FIconID), this});
    FIcon->OnChange = [this] { UpdateIcon(); };
}

TTaskTray::~TTaskTray() {
    if (FAliveGuard) FAliveGuard->MarkGone();
    DeleteIcon();
    auto own = FindTray(this);
    if (own != State().ids.end()) State().ids.erase(own);
    FIcon->OnChange = nullptr;
    ReleaseNotifyWindowIfUnused();
}

void TTaskTray::SetPopupMenuL(TPopupMenu* menu) {
    FPopupMenuL = menu;
    if (menu) menu->FreeNotification(this);
}

void TTaskTray::SetPopupMenuR(TPopupMenu* menu) {
    FPopupMenuR = menu;
    if (menu) menu->FreeNotification(this);
}

void TTaskTray::SetTipString(const std::string& text) {
    if (text == FTipString) return;
    FTipString = text;
    UpdateIcon();
}

void TTaskTray::SetIcon(const TIconImage* icon) {
    if (icon == FIcon.get()) return;
    if (icon) {
        // The copy already tells the shell through the change notification.
        FIcon->Assign(*icon);
        UpdateIcon();
    } else {
        // The icon leaves the tray before its image goes: a modify with no
        // icon, if refused, would leave the component shown without one.
        DeleteIcon();
        FIcon->Clear();
    }
}

void TTaskTray::SetIconResource(const char* name) { FIcon->LoadFromResourceName(GetModuleHandleA(nullptr), name); }

void TTaskTray::SetIconID(int value) {
    if (value <= 0) throw EInvalidOperation(ErrNonPositiveID);
    if (value == FIconID) return;
    const std::string text = std::to_string(value);
    if (FindText(text) != State().ids.end()) throw EInvalidOperation(ErrDuplicateID);
    if (FRegistered) {
        // The icon leaves the tray under its old identifier and comes back under the new one.
        DeleteIcon();
        FRegistered = true;
    }
    FIconID = value;
    auto own = FindTray(this);
    if (own != State().ids.end()) own->Text = text;
    UpdateIcon();
}

void TTaskTray::SetRegistered(bool flag) {
    if (flag == FRegistered) return;
    if (flag) {
        if (FIcon->Empty()) throw EInvalidOperation(ErrNoIcon);
        FRegistered = true;
        UpdateIcon();
    } else {
        DeleteIcon();
    }
    FRegistered = flag;
}

void TTaskTray::UpdateIcon() {
    if (IsDesigning() || !FRegistered) return;
    TrayState& s = State();
    if (!s.window) s.window = new TNotifyWindow(nullptr);
    if (!FInTray) {
        // The callback target is fixed by the add; a modify keeps it.
        FData->cbSize = NOTIFYICONDATAA_V1_SIZE;
        FData->hWnd = s.window->Handle();
        FData->uCallbackMessage = WM_TRAYNOTIFY;
    }
    FData->uID = static_cast<UINT>(FIconID);
    FData->uFlags = NIF_MESSAGE | NIF_ICON | (FTipString.empty() ? 0 : NIF_TIP);
    FData->hIcon = FIcon->Handle();
    // Only the first-version field of the tip is handed over.
    std::memset(FData->szTip, 0, sizeof FData->szTip);
    std::memcpy(FData->szTip, FTipString.data(), FittingLength(FTipString, TipCapacity));
    if (!platform::ShellNotifyIcon(FInTray ? NIM_MODIFY : NIM_ADD, FData.get())) {
        // While the owner's layout is read the program is starting, perhaps
        // before the shell's notification area exists (a start at logon): a
        // refused add is no error then. The icon stays pending and is tried
        // again quietly.
        if (!FInTray && IsLoading()) {
            StartQuietRetry();
            return;
        }
        throw EInvalidOperation(ErrShellRefused);
    }
    FInTray = true;
    FQuietRetry = false;
}

bool TTaskTray::ShowBalloon(const std::string& title, const std::string& text) {
    if (!FInTray) return false;
    // A modify that carries only the notification: the record in the layout
    // that has its fields (the second version), for the icon the shell holds.
    NOTIFYICONDATAA balloon{};
    balloon.cbSize = NOTIFYICONDATAA_V2_SIZE;
    balloon.hWnd = FData->hWnd;
    balloon.uID = FData->uID;
    balloon.uFlags = NIF_INFO;
    CopyField(balloon.szInfo, text);
    CopyField(balloon.szInfoTitle, title);
    balloon.dwInfoFlags = NIIF_INFO;
    balloon.uTimeout = 10000;  // ignored since Windows Vista: the system decides
    return platform::ShellNotifyIcon(NIM_MODIFY, &balloon) != FALSE;
}

void TTaskTray::StartQuietRetry() {
    FQuietRetry = true;
    TrayState& s = State();
    if (s.retrying || !s.window) return;
    const unsigned interval = platform::hooks().trayRetryInterval;
    s.retrying =
        SetTimer(s.window->Handle(), RetryTimerID, interval ? interval : TrayRetryIntervalMs, nullptr) != 0;
    s.retryStart = static_cast<DWORD>(platform::TickCount());
}

void TTaskTray::DeleteIcon() {
    // The record still names the window and identifier of the last add or modify.
    if (FInTray) platform::ShellNotifyIcon(NIM_DELETE, FData.get());
    FInTray = false;
    FRegistered = false;
    FQuietRetry = false;
}

void TTaskTray::Loaded() {
    if (!IsDesigning()) UpdateIcon();
    TComponent::Loaded();
}

void TTaskTray::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    // Compared by address only: a component that is going away is no longer
    // of its own class. One menu may serve both buttons: clear every reference.
    if (operation != opRemove) return;
    if (component == FPopupMenuL) FPopupMenuL = nullptr;
    if (component == FPopupMenuR) FPopupMenuR = nullptr;
}

// The handlers are called through copies: a handler that frees the component
// keeps its own captured state until it returns.

void TTaskTray::DblClick(TMouseButton button) {
    if (TButtonDblClick handler = OnDblClick) handler(this, button);
}

bool TTaskTray::OwnerToFront(const TAliveGuard& alive) {
    // The owner form takes the foreground first, so that a menu or dialog
    // opened from here closes properly when the user clicks elsewhere.
    if (auto* form = dynamic_cast<TCustomForm*>(Owner())) {
        platform::SetForeground(form->Handle());
        if (Application) Application->ProcessMessages();
    }
    return !alive.Gone;
}

void TTaskTray::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    // The pending messages and the handler may destroy this component (its
    // owner closed, say): nothing of it is touched once it is gone.
    TAliveGuard alive(this);
    if (!OwnerToFront(alive)) return;
    if (TMouseEvent handler = OnMouseDown) {
        handler(this, button, shift, x, y);
        if (alive.Gone) return;
    }
    if (button == mbLeft && FPopupMenuL) FPopupMenuL->Popup(x, y);
    else if (button == mbRight && FPopupMenuR) FPopupMenuR->Popup(x, y);
}

void TTaskTray::BalloonClick() {
    TAliveGuard alive(this);
    if (!OwnerToFront(alive)) return;
    if (TNotifyEvent handler = OnBalloonClick) handler(this);
}

void TTaskTray::MouseMove(int x, int y) {
    if (TMouseMoveEvent handler = OnMouseMove) handler(this, 0, x, y);
}

void TTaskTray::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (TMouseEvent handler = OnMouseUp) handler(this, button, shift, x, y);
}

// ---------------------------------------------------------- TNotifyWindow

TNotifyWindow::TNotifyWindow(TComponent* owner) : TWinControl(owner, "TNotifyWindow") {
    FVisible = false;
    if (!State().taskbarCreated) State().taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
}

void TNotifyWindow::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    // A hidden, unowned top-level window: it lives as long as any tray
    // component does, whichever form owns that, and top-level windows are the
    // ones that hear the shell's broadcasts.
    params.Style = WS_POPUP;
    params.ExStyle = WS_EX_TOOLWINDOW;
    params.X = params.Y = params.Width = params.Height = 0;
    params.WndParent = nullptr;
}

void TNotifyWindow::HandleCreated() {
    // Windows keeps messages of a lower level from a higher one: without this an
    // elevated pad would lose its icon for good when the shell restarts.
    platform::AllowMessageFromLowerLevels(Handle(), State().taskbarCreated);
}

LRESULT TNotifyWindow::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TRAYNOTIFY) {
        WMTrayNotify(wParam, lParam);
        return 0;
    }
    if (msg == State().taskbarCreated && msg != 0) {
        ShellRestarted();
        return 0;
    }
    if (msg == WM_TIMER && wParam == RetryTimerID) {
        RetryPendingAdds();
        return 0;
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}

void TNotifyWindow::WMTrayNotify(WPARAM wParam, LPARAM lParam) {
    POINT pt{0, 0};
    GetCursorPos(&pt);
    TrayState& s = State();
    auto entry = FindText(std::to_string(static_cast<unsigned long long>(wParam)));
    // While one callback is being handled (modal loops included) every other
    // one is dropped, not queued.
    if (entry == s.ids.end() || s.busy) return;
    TTaskTray* tray = entry->Tray;
    s.busy = true;
    try {
        switch (lParam) {
        case WM_MOUSEMOVE: tray->MouseMove(pt.x, pt.y); break;
        case WM_LBUTTONDOWN: tray->MouseDown(mbLeft, ssLeft, pt.x, pt.y); break;
        case WM_LBUTTONUP: tray->MouseUp(mbLeft, ssLeft, pt.x, pt.y); break;
        case WM_LBUTTONDBLCLK: tray->DblClick(mbLeft); break;
        case WM_RBUTTONDOWN: tray->MouseDown(mbRight, ssRight, pt.x, pt.y); break;
        case WM_RBUTTONUP: tray->MouseUp(mbRight, ssRight, pt.x, pt.y); break;
        case WM_RBUTTONDBLCLK: tray->DblClick(mbRight); break;
        case WM_MBUTTONDOWN: tray->MouseDown(mbMiddle, ssMiddle, pt.x, pt.y); break;
        case WM_MBUTTONUP: tray->MouseUp(mbMiddle, ssMiddle, pt.x, pt.y); break;
        case NIN_BALLOONUSERCLICK: tray->BalloonClick(); break;
        default: break;
        }
    } catch (...) {
        s.busy = false;
        // May destroy this window; nothing of it is touched afterwards.
        if (s.releasePending) ReleaseNotifyWindowIfUnused();
        throw;
    }
    s.busy = false;
    if (s.releasePending) ReleaseNotifyWindowIfUnused();
}

void TNotifyWindow::ShellRestarted() {
    // Every registered icon is added anew, refused ones included; the first
    // refusal is reported once all have been tried.
    std::vector<TTaskTray*> trays;
    for (const auto& e : State().ids) trays.push_back(e.Tray);
    std::exception_ptr first;
    for (TTaskTray* tray : trays) {
        if (!tray->FRegistered) continue;
        const bool wasInTray = tray->FInTray;
        tray->FInTray = false;
        try {
            try {
                tray->UpdateIcon();
            } catch (...) {
                // A shell that still holds the icon refuses to add it again: a
                // modify brings its copy up to date and keeps the icon shown
                // (and deleted at the end).
                if (!wasInTray) throw;
                tray->FInTray = true;
                try {
                    tray->UpdateIcon();
                } catch (...) {
                    tray->FInTray = false;
                    throw;
                }
            }
        } catch (...) {
            // An icon pending since start stays pending, without a message.
            if (!tray->FQuietRetry && !first) first = std::current_exception();
        }
    }
    if (first) std::rethrow_exception(first);
}

void TNotifyWindow::RetryPendingAdds() {
    TrayState& s = State();
    bool pending = false;
    if (TrayRetryDue(static_cast<DWORD>(platform::TickCount()) - s.retryStart)) {
        std::vector<TTaskTray*> trays;
        for (const auto& e : s.ids) trays.push_back(e.Tray);
        for (TTaskTray* tray : trays) {
            if (!tray->FQuietRetry) continue;
            if (!tray->FRegistered || tray->FInTray) {
                tray->FQuietRetry = false;
                continue;
            }
            try {
                tray->UpdateIcon();
            } catch (const std::exception&) {
                // Refused again: the next retry, or the shell's broadcast.
            }
            pending = pending || !tray->FInTray;
        }
    }
    // Past the retry period a pending icon waits for the shell's broadcast.
    if (!pending) {
        KillTimer(Handle(), RetryTimerID);
        s.retrying = false;
    }
}

} // namespace vcl
