#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "display/display_worker.h"
#include "display/frame_pacing.h"
#include "display/screen_placement.h"
#include "imaging/drawing_helper.h"
#include "render/gl_3d_clock.h"
#include "settings/display_config.h"

inline constexpr const wchar_t* kDisplayWindowClass = L"Brimwhistle-Clock___QRWERREQWR";
inline constexpr const wchar_t* kFrameTimerWindowClass = L"Test_Top_Win32________timer_class";

// One display: a borderless layered window on the desktop with its own 3D scene, drawing object,
// picture list and worker thread. Frames are paced by a hidden timer window on the main thread.
// All members are used on the main thread except the worker host operations.
class CWinAlphaUhr : public DisplayWorkerHost, public DisplayWindowHost {
public:
    CWinAlphaUhr();
    ~CWinAlphaUhr() override;
    CWinAlphaUhr(const CWinAlphaUhr&) = delete;
    CWinAlphaUhr& operator=(const CWinAlphaUhr&) = delete;

    // The window that carries every display's render target (the program's hidden main window).
    static void SetRenderHostWindow(HWND hostWindow);

    // Starts the worker, creates the window (of `size` brought into the size slider's range),
    // the frame timer and the render target. Returns the window handle, or null when the display
    // already had a window.
    HWND CreateDisplay(int size, HWND ownerDialog, bool debug = false);
    // Creates or re-creates the window as the stacking mode requires; every frame calls it.
    void EnsureWindow();
    // Shows or hides the window after a settings change, with its z-order and style.
    void ApplyVisibility();
    void SetDisplaySize(int size);
    // Brings the window back when more than a quarter (quarter = 1) or half (quarter = 0) of it
    // lies beyond the virtual screen. Stores the new position, without writing it.
    void KeepOnScreen(int quarter);
    // One frame: hands the settings to the scene, draws and presents it.
    void RenderTick();
    // Does what the frame timer does when it fires, now: the first frame of a start comes
    // before the rest of the program is made. Nothing before CreateDisplay.
    void DrawFrameNow();

    // The stacking mode (m_new_on_top_state): always on top or only on the desktop, each
    // optionally forced. The next frame re-creates the window where the mode needs it.
    void SetStackingMode(int stackingMode);
    void MarkChanged() { m_changed = true; }
    // The settings dialog the display brings forward on a middle click.
    void SetOwnerDialog(HWND ownerDialog) { m_ownerDialog = ownerDialog; }
    // The display's place in the slot table; the settings dialog edits the display in slot
    // m_cur_clock, which is also the one that takes the PNG snapshots.
    void SetSlot(int slot) { m_slot = slot; }
    int Slot() const { return m_slot; }

    DisplayConfig& Config() { return m_config; }
    GL3DClock& Scene() { return m_scene; }
    CDraw2017& Drawing() { return m_drawing; }
    // The aspect mode changed: the next picture changes come quickly again.
    void RestartQuickChanges() { m_worker.RestartQuickChanges(); }
    HWND Window() const { return m_window; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int FrameCount() const { return m_frameCount; }

    // Stops the worker: asks, waits a short time, then ends it by force.
    void StopWorker() { m_worker.Stop(); }

    // DisplayWindowHost: loading the settings creates the window when there is none.
    bool HasDisplayWindow() const override { return m_window != nullptr; }
    void CreateDisplayWindow(int size) override { CreateDisplay(size, m_ownerDialog); }

    // DisplayWorkerHost, called on the worker thread.
    int PictureSource() const override { return m_pictureSource.load(std::memory_order_relaxed); }
    int IntervalSeconds() const override { return m_intervalSeconds.load(std::memory_order_relaxed); }
    bool ShufflePictures() const override { return m_shufflePictures.load(std::memory_order_relaxed); }
    // The search for the pictures of the chosen folder tree (source 1, the folder of the settings
    // in force) or of the individual list (source 2); null for other sources.
    std::unique_ptr<PictureSearch> StartPictureSearch(int source) override;
    // The complete list of such a search, in the order of showing.
    std::vector<std::wstring> BuildPictureList(int source);
    void ShowPlaceholder(HBITMAP placeholder) override { m_scene.SetPlaceholder(placeholder); }
    // Decodes the picture into a texture picture in the aspect mode in force and hands it to the
    // scene; false (and nothing handed over) when the file cannot be read or decoded.
    bool ShowPicture(const std::wstring& path) override;
    void RotateSamples() override { m_scene.RequestRotate(); }
    bool IsShown() const override { return m_shown.load(std::memory_order_relaxed); }
    bool TakeOwnRebuildRequest() override { return m_scene.TakePictureListRebuildRequest(); }

    // The display a window belongs to, or null.
    static CWinAlphaUhr* FromWindow(HWND window);

private:
    static LRESULT CALLBACK DisplayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK TimerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleDisplayMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnFrameTimer();
    // Whether the display stays hidden now: the user's Disable, a deactivation after input, or a
    // full-screen program (or, on the desktop, a maximised window) in front of it.
    bool IsHeldHidden() const;
    // Looks whether something hides the display from sight and hides or shows it accordingly.
    void UpdateSight();
    // Hands the picture folder of the settings to the worker when it changed. Main thread.
    void PublishPictureFolder();
    // The worker sleeps until its next picture is due: wakes it when anything it reads changed
    // since the last look. Main thread, at every wake-up of the frame timer.
    void WakeWorkerOnChanges();
    bool IsCurrentDisplay() const;
    HWND CreateDisplayWindowHandle(HWND parent);
    void ApplyZOrder();
    // Whether the shown window already has `extendedStyle` and its place in the z-order: on top
    // of every window, or at the bottom of its desktop host's.
    bool IsInItsPlace(DWORD extendedStyle) const;
    void CreateFrameTimer();
    void DestroyWindows();
    // Drops the handles of windows that were destroyed behind the display's back.
    void ForgetDeadWindows();
    void DestroyDisplayWindow();
    void BeginDrag();
    void DragStep();
    void EndDrag();

    DisplayConfig m_config;
    GL3DClock m_scene;
    CDraw2017 m_drawing;
    DisplayWorker m_worker;

    int m_slot = 0;
    std::atomic<int> m_pictureSource{0};
    std::atomic<bool> m_shufflePictures{false};  // the display's shuffle setting, for the worker
    // The picture folder as the worker scans it: written on the main thread, read on the worker.
    std::mutex m_pictureFolderLock;
    std::wstring m_pictureFolder;
    std::atomic<int> m_intervalSeconds{10};
    int m_previousObjectType = -1;
    bool m_objectTypeChanged = false;
    int m_timeOffsetMinutes = 0;
    SYSTEMTIME m_displayTime{};

    int m_topmostMode = 1;
    bool m_forced = false;
    bool m_changed = false;
    int m_width = 400;
    int m_height = 100;
    int m_frameCount = 0;
    FramePacer m_framePacer;
    bool m_outOfSight = false;  // a full-screen program or a maximised window hides it
    uint64_t m_nextSightCheckMs = 0;
    std::atomic<bool> m_shown{true};  // for the worker: whether pictures are seen now
    // What the worker reads, as it was when the worker was last woken.
    struct WorkerInputs {
        int pictureSource = -1;
        int intervalSeconds = 0;
        unsigned rebuildCount = 0;
        bool ownRebuildRequest = false;
        bool shown = false;
        bool operator==(const WorkerInputs&) const = default;
    };
    WorkerInputs m_workerInputs;
    DragTracker m_drag;
    bool m_moveAnnounced = false;  // the next WM_MOVING is one of ours

    HWND m_window = nullptr;
    HWND m_hostWindow = nullptr;  // the desktop host in mode 0
    HWND m_goBetween = nullptr;   // the child of the desktop host that parents the display
    HWND m_timerWindow = nullptr;
    HWND m_ownerDialog = nullptr;
};
