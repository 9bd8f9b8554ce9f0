#include "display/display_window.h"

#include <algorithm>
#include <map>

#include "common/process_flags.h"
#include "display/cover_check.h"
#include "display/desktop_host.h"
#include "imaging/texture_picture.h"
#include "settings/app_config.h"
#include "sources/folder_scan.h"
#include "sources/individual_list.h"
#include "sources/picture_list.h"

namespace {

constexpr UINT_PTR kFrameTimer = 1000;
// A hidden display draws nothing; its frame timer only looks in now and then (for a snapshot, for
// a window to make again, for the end of a full-screen program).
constexpr UINT kHiddenFrameWaitMs = 100;
// How often a display looks whether a full-screen program or a maximised window hides it.
constexpr uint64_t kSightCheckPeriodMs = 250;
constexpr DWORD kLayeredToolWindow = WS_EX_LAYERED | WS_EX_TOOLWINDOW;

HWND g_renderHostWindow = nullptr;

// Window handle -> display, for the display windows and for the frame-timer windows. Used on the
// main thread only. The displays of the slot table are destroyed at process exit, after statics
// made later (such as these maps) are gone, and their destructors still unregister their windows
// here; so the maps are never destroyed.
std::map<HWND, CWinAlphaUhr*>& DisplayWindows() {
    static auto* windows = new std::map<HWND, CWinAlphaUhr*>();
    return *windows;
}
std::map<HWND, CWinAlphaUhr*>& TimerWindows() {
    static auto* windows = new std::map<HWND, CWinAlphaUhr*>();
    return *windows;
}

void RegisterWindowClasses(WNDPROC displayProc, WNDPROC timerProc) {
    static bool registered = false;
    if (registered) return;
    registered = true;
    HINSTANCE instance = GetModuleHandleW(nullptr);

    WNDCLASSEXW displayClass{};
    displayClass.cbSize = sizeof(displayClass);
    displayClass.lpfnWndProc = displayProc;
    displayClass.hInstance = instance;
    displayClass.hCursor = LoadCursorW(nullptr, IDC_HAND);
    displayClass.lpszClassName = kDisplayWindowClass;
    RegisterClassExW(&displayClass);

    WNDCLASSEXW timerClass{};
    timerClass.cbSize = sizeof(timerClass);
    timerClass.style = CS_HREDRAW | CS_VREDRAW;
    timerClass.lpfnWndProc = timerProc;
    timerClass.hInstance = instance;
    timerClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    timerClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    timerClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    timerClass.lpszClassName = kFrameTimerWindowClass;
    RegisterClassExW(&timerClass);
}

}  // namespace

void CWinAlphaUhr::SetRenderHostWindow(HWND hostWindow) { g_renderHostWindow = hostWindow; }

CWinAlphaUhr* CWinAlphaUhr::FromWindow(HWND window) {
    const auto found = DisplayWindows().find(window);
    return found == DisplayWindows().end() ? nullptr : found->second;
}

CWinAlphaUhr::CWinAlphaUhr() {
    m_width = m_config.size.Value();
    m_height = m_width;
}

CWinAlphaUhr::~CWinAlphaUhr() {
    m_worker.Stop();
    DestroyWindows();
}

void CWinAlphaUhr::DestroyWindows() {
    if (m_timerWindow != nullptr) {
        TimerWindows().erase(m_timerWindow);
        DestroyWindow(m_timerWindow);
        m_timerWindow = nullptr;
    }
    if (m_window != nullptr) {
        DisplayWindows().erase(m_window);
        DestroyWindow(m_window);
        m_window = nullptr;
    }
    if (m_goBetween != nullptr) {
        DestroyWindow(m_goBetween);
        m_goBetween = nullptr;
    }
}

void CWinAlphaUhr::PublishPictureFolder() {
    const std::wstring& folder = GlobalAppConfig().imageFolder.Value();
    // Only this thread writes the copy, so it may compare without the lock.
    if (m_pictureFolder == folder) return;
    std::lock_guard<std::mutex> guard(m_pictureFolderLock);
    m_pictureFolder = folder;
}

std::unique_ptr<PictureSearch> CWinAlphaUhr::StartPictureSearch(int source) {
    if (source == 1) {
        std::lock_guard<std::mutex> guard(m_pictureFolderLock);
        return std::make_unique<FolderSearch>(m_pictureFolder);
    }
    if (source == 2) {
        PictureList list;
        LoadIndividualPictures(list);
        return std::make_unique<FixedPictureSearch>(list.TakePaths());
    }
    return nullptr;
}

std::vector<std::wstring> CWinAlphaUhr::BuildPictureList(int source) {
    const std::unique_ptr<PictureSearch> search = StartPictureSearch(source);
    if (search == nullptr) return {};
    // A long scan ends early when the program quits.
    return CompletePictureList(*search, [] { return g_stopFlag.load(std::memory_order_relaxed); });
}

bool CWinAlphaUhr::ShowPicture(const std::wstring& path) {
    // Decoded here, on the worker's thread: the scene on the main thread only takes the picture.
    HBITMAP picture = LoadTexturePictureFile(path.c_str(), m_scene.ImageMode());
    if (picture == nullptr) return false;
    m_scene.SetPendingPicture(picture);
    return true;
}

HWND CWinAlphaUhr::CreateDisplay(int size, HWND ownerDialog, bool debug) {
    size = kDisplaySizeRange.Clamp(size);
    m_width = size;
    m_height = size;
    m_pictureSource = m_config.pictureSource.Value();
    m_shufflePictures = m_config.shuffle.Value() != 0;
    m_intervalSeconds = GlobalAppConfig().imageTimer.Value();
    PublishPictureFolder();
    m_worker.Start(*this);
    // A quarter of the size whatever the object type, also the square one's: the first frame
    // gives the window its size.
    m_height = QuarterHeight(size);
    if (m_window != nullptr) return nullptr;

    m_ownerDialog = ownerDialog;
    // The sample pictures of the first frame are made meanwhile, and the render target opens at
    // the size of the first frame.
    m_scene.SetImageMode(GlobalAppConfig().imageMode.Value());
    m_scene.StartSamplePictures();
    SetStackingMode(GlobalAppConfig().stackingMode.Value());
    RegisterWindowClasses(DisplayWindowProc, TimerWindowProc);
    EnsureWindow();
    CreateFrameTimer();
    m_scene.SetTargetSize(m_width);
    m_scene.OpenRenderTarget(g_renderHostWindow);
    if (debug) MessageBoxW(nullptr, L"m_hWnd", L"", MB_OK);
    KeepOnScreen(0);
    return m_window;
}

void CWinAlphaUhr::SetStackingMode(int stackingMode) {
    const StackingMode stacking = StackingModeFor(stackingMode, m_topmostMode);
    m_topmostMode = stacking.topmostMode;
    m_forced = stacking.forced;
}

HWND CWinAlphaUhr::CreateDisplayWindowHandle(HWND parent) {
    const DWORD extendedStyle = kLayeredToolWindow | (m_config.fixedPosition.Value() ? WS_EX_TRANSPARENT : 0);
    HWND window =
        CreateWindowExW(extendedStyle, kDisplayWindowClass, L"", WS_POPUP, m_config.left.Value(), m_config.top.Value(),
                        m_width, m_height, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window != nullptr) DisplayWindows()[window] = this;
    return window;
}

bool CWinAlphaUhr::IsHeldHidden() const { return g_displaysDisabled || g_deactivatedState == 1 || m_outOfSight; }

void CWinAlphaUhr::ApplyZOrder() {
    UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    if (!IsHeldHidden()) flags |= SWP_SHOWWINDOW;
    SetWindowPos(m_window, m_topmostMode == 1 ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags);
}

void CWinAlphaUhr::ForgetDeadWindows() {
    if (m_window != nullptr && !IsWindow(m_window)) {
        DisplayWindows().erase(m_window);
        m_window = nullptr;
    }
    if (m_goBetween != nullptr && !IsWindow(m_goBetween)) m_goBetween = nullptr;
}

void CWinAlphaUhr::DestroyDisplayWindow() {
    if (m_window == nullptr) return;
    DisplayWindows().erase(m_window);
    DestroyWindow(m_window);
    m_window = nullptr;
}

void CWinAlphaUhr::EnsureWindow() {
    if (g_displaysDisabled || g_deactivatedState == 1) return;
    // A dying shell takes the go-between window and the display it owns along with it; a window
    // that failed to be made is tried again at the next frame.
    ForgetDeadWindows();

    if (m_topmostMode == 1) {
        if (m_window == nullptr || GetParent(m_window) != nullptr) {
            DestroyDisplayWindow();
            m_hostWindow = nullptr;
            m_window = CreateDisplayWindowHandle(nullptr);
            if (m_window == nullptr) return;
            ApplyZOrder();
            m_changed = true;
        }
        if (m_forced) ApplyZOrder();
        return;
    }

    // On the desktop: follow the desktop host, which a restart of the shell replaces.
    if (m_window != nullptr && m_hostWindow != nullptr && IsWindow(m_hostWindow)) return;
    HWND host = FindDesktopHost();
    if (host == nullptr) return;
    m_hostWindow = host;
    if (m_goBetween != nullptr) DestroyWindow(m_goBetween);
    m_goBetween = CreateWindowExW(0, L"static", L"", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    SetParent(m_goBetween, host);
    DestroyDisplayWindow();
    m_window = CreateDisplayWindowHandle(m_goBetween);
    if (m_window == nullptr) return;
    UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    if (!IsHeldHidden()) flags |= SWP_SHOWWINDOW;
    SetWindowPos(m_window, HWND_BOTTOM, 0, 0, 0, 0, flags);
    m_changed = true;
}

void CWinAlphaUhr::SetDisplaySize(int size) {
    m_moveAnnounced = true;
    if (size == m_width) return;
    m_width = kDisplaySizeRange.Clamp(size);
    m_height = DisplayWindowHeight(GlobalAppConfig().objectType.Value(), m_width);
}

void CWinAlphaUhr::ApplyVisibility() {
    SetDisplaySize(m_width);
    if (m_window == nullptr) return;
    if (IsHeldHidden()) {
        ShowWindow(m_window, SW_HIDE);
        return;
    }
    const bool wasHidden = !IsWindowVisible(m_window);
    const DWORD extendedStyle = kLayeredToolWindow | (m_config.fixedPosition.Value() ? WS_EX_TRANSPARENT : 0);
    // The deactivation check applies the visibility ten times a second: a display that is
    // already shown where it belongs, with its style, is left as it is (each of these calls
    // costs a round trip to the window manager even when it changes nothing).
    if (!wasHidden && IsInItsPlace(extendedStyle)) return;
    constexpr UINT kFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_SHOWWINDOW;
    SetWindowPos(m_window, m_topmostMode == 1 ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, kFlags);
    if (m_topmostMode == 0) SetWindowPos(m_window, HWND_BOTTOM, 0, 0, 0, 0, kFlags);
    SetWindowLongW(m_window, GWL_EXSTYLE, static_cast<LONG>(extendedStyle));
    ShowWindow(m_window, SW_SHOW);
    // Back in sight: the next frame comes now, not when the slow timer of a hidden display fires.
    if (wasHidden && m_timerWindow != nullptr) SetTimer(m_timerWindow, kFrameTimer, 1, nullptr);
}

bool CWinAlphaUhr::IsInItsPlace(DWORD extendedStyle) const {
    const DWORD style = static_cast<DWORD>(GetWindowLongW(m_window, GWL_EXSTYLE));
    // Only the topmost flag may differ from the style the display sets; it follows the mode.
    if ((style & ~static_cast<DWORD>(WS_EX_TOPMOST)) != extendedStyle) return false;
    if (m_topmostMode == 1) {
        // Always on top: topmost, with no window at all above it.
        return (style & WS_EX_TOPMOST) != 0 && GetWindow(m_window, GW_HWNDPREV) == nullptr;
    }
    // On the desktop: the lowest of its host's windows, and not topmost.
    return (style & WS_EX_TOPMOST) == 0 && GetWindow(m_window, GW_HWNDNEXT) == nullptr;
}

void CWinAlphaUhr::RenderTick() {
    // The local time of the display, for the text of its drawing object.
    SYSTEMTIME now;
    GetLocalTime(&now);
    FILETIME fileTime;
    SystemTimeToFileTime(&now, &fileTime);
    ULARGE_INTEGER ticks{{fileTime.dwLowDateTime, fileTime.dwHighDateTime}};
    ticks.QuadPart += static_cast<ULONGLONG>(static_cast<LONGLONG>(m_timeOffsetMinutes) * 60 * 10000000LL);
    fileTime = {ticks.LowPart, ticks.HighPart};
    FileTimeToSystemTime(&fileTime, &m_displayTime);

    const AppConfig& app = GlobalAppConfig();
    const int objectType = app.objectType.Value();
    m_intervalSeconds.store(app.imageTimer.Value(), std::memory_order_relaxed);
    m_pictureSource.store(m_config.pictureSource.Value(), std::memory_order_relaxed);
    m_shufflePictures.store(m_config.shuffle.Value() != 0, std::memory_order_relaxed);
    PublishPictureFolder();
    m_scene.SetDisplayWindow(m_window);
    m_scene.SetSpeedFactor(static_cast<float>(m_config.rotationSpeed));
    m_scene.SetObjectType(objectType);
    m_scene.SetSourceMode(m_config.pictureSource.Value());
    m_scene.SetImageMode(app.imageMode.Value());
    if (objectType != m_previousObjectType) m_objectTypeChanged = true;

    if (objectType == 1) {
        if (m_objectTypeChanged) {
            m_height = DisplayWindowHeight(objectType, m_width);
            m_objectTypeChanged = false;
            UINT flags = SWP_NOMOVE | SWP_NOACTIVATE;
            if (!IsHeldHidden()) flags |= SWP_SHOWWINDOW;
            SetWindowPos(m_window, m_topmostMode == 1 ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, m_width, m_width, flags);
            m_changed = true;
        }
        if (m_changed) {
            // Not a slip: the rocking cube's frame writes the display's picture source (img_id) again.
            IniWriteInt(m_config.pictureSource.Key().c_str(), m_config.pictureSource.Value());
            m_changed = false;
        }
    } else {
        m_objectTypeChanged = false;
        m_height = DisplayWindowHeight(objectType, m_width);
    }
    m_previousObjectType = objectType;

    m_scene.SetOpacity(m_config.opacity);
    m_scene.SetSize(m_width);
    DrawTextSettings text;
    text.alignment = m_config.textAlign.Value();
    text.bold = m_config.textBold.Value() != 0;
    text.italic = m_config.textItalic.Value() != 0;
    text.noShadow = m_config.textShadow.Value() == 0;
    text.outline = m_config.textOutline.Value() != 0;
    text.showDate = m_config.showDate.Value() != 0;
    text.showSeconds = m_config.showSeconds.Value() != 0;
    text.placement = m_config.textPlacement.Value();
    m_drawing.SetTextSettings(text);

    // A hidden display draws nothing; the first frame after it shows again is drawn at once. A
    // snapshot asked for meanwhile is drawn offscreen and saved, and nothing is shown.
    const bool shown = m_window != nullptr && IsWindowVisible(m_window);
    const bool snapshot = IsCurrentDisplay() && m_scene.IsRenderTargetOpen() &&
                          g_snapshotRequest.exchange(false, std::memory_order_relaxed);
    if (!shown && !snapshot) return;
    m_scene.PrepareFrame(m_width);
    m_scene.DrawFrame(shown, snapshot);
    if (shown) ++m_frameCount;
}

void CWinAlphaUhr::DrawFrameNow() {
    if (m_timerWindow != nullptr) OnFrameTimer();
}

bool CWinAlphaUhr::IsCurrentDisplay() const { return m_slot == GlobalAppConfig().currentSlot; }

void CWinAlphaUhr::CreateFrameTimer() {
    if (m_timerWindow != nullptr) return;
    m_timerWindow = CreateWindowExW(0, kFrameTimerWindowClass, L"", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
    if (m_timerWindow == nullptr) return;
    TimerWindows()[m_timerWindow] = this;
    SetTimer(m_timerWindow, kFrameTimer, 100, nullptr);
}

void CWinAlphaUhr::OnFrameTimer() {
    KillTimer(m_timerWindow, kFrameTimer);
    const uint64_t now = GetTickCount64();
    if (now >= m_nextSightCheckMs) {
        m_nextSightCheckMs = now + kSightCheckPeriodMs;
        UpdateSight();
    }
    if (m_framePacer.TakeFrame(now)) {
        if (m_ownerDialog == nullptr || IsWindow(m_ownerDialog)) {
            RenderTick();
            EnsureWindow();
        }
    }
    // Shown, the timer fires when the next frame is due, and not in between; hidden, rarely.
    const bool shown = m_window != nullptr && IsWindowVisible(m_window);
    m_shown.store(shown, std::memory_order_relaxed);
    const uint64_t wait = shown ? m_framePacer.MillisecondsUntilDue(GetTickCount64()) : kHiddenFrameWaitMs;
    SetTimer(m_timerWindow, kFrameTimer, static_cast<UINT>(wait < 1 ? 1 : wait), nullptr);
    WakeWorkerOnChanges();
}

void CWinAlphaUhr::WakeWorkerOnChanges() {
    const WorkerInputs now{m_pictureSource.load(std::memory_order_relaxed),
                           m_intervalSeconds.load(std::memory_order_relaxed),
                           g_pictureListRebuildCount.load(std::memory_order_relaxed),
                           m_scene.HasPictureListRebuildRequest(), m_shown.load(std::memory_order_relaxed)};
    if (now == m_workerInputs) return;
    m_workerInputs = now;
    m_worker.Wake();
}

void CWinAlphaUhr::UpdateSight() {
    // Disabled or deactivated displays are hidden anyway; they look again once that ends.
    bool outOfSight = false;
    if (m_window != nullptr && !g_displaysDisabled && g_deactivatedState != 1) {
        outOfSight = IsDisplayWindowOutOfSight(m_window, m_topmostMode == 0,
                                               [](HWND window) { return FromWindow(window) != nullptr; });
    }
    if (outOfSight == m_outOfSight) return;
    m_outOfSight = outOfSight;
    ApplyVisibility();
}

LRESULT CALLBACK CWinAlphaUhr::TimerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_CLOSE:
            return 1;
        case WM_TIMER:
            if (wParam == kFrameTimer && !g_stopFlag) {
                const auto found = TimerWindows().find(window);
                if (found != TimerWindows().end()) found->second->OnFrameTimer();
            }
            return 0;
        case WM_CREATE:
        case WM_DESTROY:
        case WM_SIZE:
        case WM_COMMAND:
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK CWinAlphaUhr::DisplayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWinAlphaUhr* display = FromWindow(window);
    if (display != nullptr) {
        const LRESULT result = display->HandleDisplayMessage(message, wParam, lParam);
        if (result != 0) return result;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void CWinAlphaUhr::KeepOnScreen(int quarter) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (m_window == nullptr || !GetWindowPlacement(m_window, &placement)) return;
    const RECT& rect = placement.rcNormalPosition;
    const ScreenBox window{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
    const ScreenBox screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                           GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const PlacementMove move = KeepOnScreenPosition(window, screen, quarter);
    if (!move.move) return;
    MoveWindow(m_window, move.left, move.top, window.width, window.height, FALSE);
    m_config.left.Hold(move.left);
    m_config.top.Hold(move.top);
}

void CWinAlphaUhr::BeginDrag() {
    POINT cursor;
    if (!GetCursorPos(&cursor)) return;
    m_drag.BeginDrag(cursor.x, cursor.y);
    SetCapture(m_window);
}

void CWinAlphaUhr::DragStep() {
    if (!m_drag.IsDragging()) return;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    POINT cursor;
    if (!GetWindowPlacement(m_window, &placement) || !GetCursorPos(&cursor)) return;
    m_moveAnnounced = true;
    const RECT& rect = placement.rcNormalPosition;
    const PlacementMove move = m_drag.DragStep(rect.left, rect.top, cursor.x, cursor.y);
    MoveWindow(m_window, move.left, move.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    m_config.left.Hold(move.left);
    m_config.top.Hold(move.top);
    m_config.size.Hold(m_width);
    SaveDisplayPlacement(m_config);
    m_moveAnnounced = false;
}

void CWinAlphaUhr::EndDrag() {
    ReleaseCapture();
    m_drag.EndDrag();
}

LRESULT CWinAlphaUhr::HandleDisplayMessage(UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            BeginDrag();
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            EndDrag();
            return 0;
        case WM_MOUSEMOVE:
            DragStep();
            return 0;
        case WM_MOVING:
            // Moves the system starts (the keyboard move command, say) leave a display in place.
            if (m_moveAnnounced) {
                m_moveAnnounced = false;
            } else {
                GetWindowRect(m_window, reinterpret_cast<RECT*>(lParam));
            }
            return 0;
        case WM_CLOSE:
            return 1;  // a display cannot be closed, not even with Alt+F4
        case WM_MBUTTONDOWN:
            if (m_ownerDialog != nullptr && IsWindow(m_ownerDialog)) {
                ShowWindow(m_ownerDialog, SW_SHOW);
                SetWindowPos(m_ownerDialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
                SetWindowPos(m_ownerDialog, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
                SetWindowPos(m_ownerDialog, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
                SetForegroundWindow(m_ownerDialog);
            }
            return 0;
        default:
            return 0;
    }
}
