// The bare program the program benchmarks measure Orbelin against: the least a display needs on
// this platform, with none of the program around it. It creates a hidden host window with an
// OpenGL context, a pbuffer of the display's size, and a layered tool window kept on top, and
// presents frames into it as a display does (one textured quad, read back, copied into a
// top-down DIB, UpdateLayeredWindow). The window starts a quarter as high as wide, as a display
// does, so the first frame presented gives it its full height: that is what the start benchmark
// watches for, in both programs.
// Arguments (in any order):
//   size=<n>      edge length of the display in pixels (400)
//   textures=<n>  1024 x 1024 textures to hold besides the frame's own, as a display holds its
//                 face pictures (0)
//   loop          go on presenting frames, at most one every 31 ms as the program's frame timer
//                 does; without it only the first frame is presented
// It runs until its windows are closed (WM_CLOSE) and ends with 0, or with 1 when OpenGL could
// not be set up.
#include <windows.h>
#include <GL/gl.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <vector>

#include "bare_frame.h"
#include "bench_report.h"
#include "display/frame_pacing.h"

namespace {

constexpr UINT_PTR kFrameTimer = 1;

struct BareDisplay {
    HWND window = nullptr;
    BareFrame* frame = nullptr;
    FramePacer pacer;
};
BareDisplay g_display;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kFrameTimer && g_display.frame != nullptr) {
                KillTimer(window, kFrameTimer);
                const uint64_t now = GetTickCount64();
                if (g_display.pacer.TakeFrame(now)) g_display.frame->Draw();
                const uint64_t wait = g_display.pacer.MillisecondsUntilDue(GetTickCount64());
                SetTimer(window, kFrameTimer, static_cast<UINT>(wait < 1 ? 1 : wait), nullptr);
            }
            return 0;
        case WM_CLOSE:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

// Face textures as the program's scene holds them: 1024 x 1024, 32 bits.
std::vector<GLuint> MakeTextures(int count) {
    std::vector<GLuint> textures(static_cast<size_t>(count));
    if (count == 0) return textures;
    std::vector<uint32_t> texels(1024 * 1024, 0x80808080u);
    glGenTextures(count, textures.data());
    for (GLuint texture : textures) {
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, 4, 1024, 1024, 0, GL_BGRA_EXT, GL_UNSIGNED_BYTE, texels.data());
    }
    return textures;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int size = 400;
    int textureCount = 0;
    bool loop = false;
    for (int i = 1; i < argc; ++i) {
        if (ReadCountArgument(argv[i], L"size=", size)) continue;
        if (std::wcsncmp(argv[i], L"textures=", 9) == 0) {
            textureCount = std::max(0, _wtoi(argv[i] + 9));
            continue;
        }
        if (std::wcscmp(argv[i], L"loop") == 0) loop = true;
    }

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_HAND);
    windowClass.lpszClassName = L"OrbelinBareDisplay";
    RegisterClassW(&windowClass);
    HWND host = CreateWindowExW(0, windowClass.lpszClassName, L"host", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr,
                                nullptr, nullptr, nullptr);
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN) / 2 - size / 2;
    g_display.window = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"", WS_POPUP, left,
                                       100, size, size / 4, nullptr, nullptr, nullptr, nullptr);
    SetWindowPos(g_display.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);

    auto pbuffer = std::make_unique<BarePbuffer>(host, size);
    if (!pbuffer->IsOpen()) return 1;
    // The frame of a display: its textures are texture pictures of 1024 x 1024, and its object
    // covers about 42 % of the frame on average (measured on the turning cube at 400 pixels) and
    // turns.
    BareFrame frame(size, g_display.window, 1024, 0.65f, 1.0f);
    g_display.frame = &frame;
    std::vector<GLuint> textures = MakeTextures(textureCount);
    g_display.pacer.TakeFrame(GetTickCount64());
    frame.Draw();
    if (loop) SetTimer(g_display.window, kFrameTimer, static_cast<UINT>(FramePacer::kFrameSpacingMs + 1), nullptr);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    g_display.frame = nullptr;
    if (!textures.empty()) glDeleteTextures(static_cast<GLsizei>(textures.size()), textures.data());
    return 0;
}
