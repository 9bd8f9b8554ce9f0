#pragma once

// The least a display frame needs on this platform, for the benchmarks' references: an OpenGL
// pbuffer on a host window's context, and a frame of one textured quad drawn into it, read back,
// copied into a top-down DIB and handed to a layered window with UpdateLayeredWindow.

#include <windows.h>
#include <GL/gl.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "bench_report.h"
#include "render/gl_3d_clock.h"

// A host context on `hostWindow` and a pbuffer of `size` x `size` pixels with its own context,
// sharing textures with the host context, made current. Under Wine the pbuffer is
// double-buffered, as the program's is (a single-buffered one with alpha ends the process there).
class BarePbuffer {
public:
    BarePbuffer(HWND hostWindow, int size) : m_hostWindow(hostWindow) {
        m_hostDC = GetDC(hostWindow);
        const PIXELFORMATDESCRIPTOR descriptor = GL3DClock::HostPixelFormat();
        SetPixelFormat(m_hostDC, ChoosePixelFormat(m_hostDC, &descriptor), &descriptor);
        m_hostContext = wglCreateContext(m_hostDC);
        if (m_hostContext == nullptr || !wglMakeCurrent(m_hostDC, m_hostContext)) return;

        m_choosePixelFormat = Look<ChoosePixelFormatFunction>("wglChoosePixelFormatARB");
        m_createPbuffer = Look<CreatePbufferFunction>("wglCreatePbufferARB");
        m_getPbufferDC = Look<GetPbufferDCFunction>("wglGetPbufferDCARB");
        m_releasePbufferDC = Look<ReleasePbufferDCFunction>("wglReleasePbufferDCARB");
        m_destroyPbuffer = Look<DestroyPbufferFunction>("wglDestroyPbufferARB");
        if (!m_choosePixelFormat || !m_createPbuffer || !m_getPbufferDC || !m_releasePbufferDC || !m_destroyPbuffer) {
            return;
        }
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        const bool underWine = ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
        // What the program asks for: drawn to a pbuffer with OpenGL, double-buffered under Wine, 8
        // bits per colour and alpha, 16 depth bits.
        enum : int {
            kDrawToPbuffer = 0x202D,
            kSupportOpenGL = 0x2010,
            kDoubleBuffer = 0x2011,
            kRedBits = 0x2015,
            kGreenBits = 0x2017,
            kBlueBits = 0x2019,
            kAlphaBits = 0x201B,
            kDepthBits = 0x2022,
        };
        // clang-format off
        const int attributes[] = {kDrawToPbuffer, 1, kSupportOpenGL, 1, kDoubleBuffer, underWine ? 1 : 0,
                                  kRedBits, 8, kGreenBits, 8, kBlueBits, 8, kAlphaBits, 8, kDepthBits, 16, 0};
        // clang-format on
        int format = 0;
        UINT formats = 0;
        if (!m_choosePixelFormat(m_hostDC, attributes, nullptr, 1, &format, &formats) || formats == 0) return;
        m_pbuffer = m_createPbuffer(m_hostDC, format, size, size, nullptr);
        if (m_pbuffer == nullptr) return;
        m_pbufferDC = m_getPbufferDC(m_pbuffer);
        m_pbufferContext = m_pbufferDC != nullptr ? wglCreateContext(m_pbufferDC) : nullptr;
        if (m_pbufferContext == nullptr) return;
        wglShareLists(m_hostContext, m_pbufferContext);
        wglMakeCurrent(m_pbufferDC, m_pbufferContext);
        if (underWine) {
            glDrawBuffer(GL_BACK);
            glReadBuffer(GL_BACK);
        }
        glEnable(GL_TEXTURE_2D);
    }
    ~BarePbuffer() {
        wglMakeCurrent(nullptr, nullptr);
        if (m_pbufferContext != nullptr) wglDeleteContext(m_pbufferContext);
        if (m_pbufferDC != nullptr) m_releasePbufferDC(m_pbuffer, m_pbufferDC);
        if (m_pbuffer != nullptr) m_destroyPbuffer(m_pbuffer);
        if (m_hostContext != nullptr) wglDeleteContext(m_hostContext);
        if (m_hostDC != nullptr) ReleaseDC(m_hostWindow, m_hostDC);
    }
    BarePbuffer(const BarePbuffer&) = delete;
    BarePbuffer& operator=(const BarePbuffer&) = delete;

    bool IsOpen() const { return m_pbufferContext != nullptr; }

private:
    DECLARE_HANDLE(Pbuffer);
    using ChoosePixelFormatFunction = BOOL(WINAPI*)(HDC, const int*, const FLOAT*, UINT, int*, UINT*);
    using CreatePbufferFunction = Pbuffer(WINAPI*)(HDC, int, int, int, const int*);
    using GetPbufferDCFunction = HDC(WINAPI*)(Pbuffer);
    using ReleasePbufferDCFunction = int(WINAPI*)(Pbuffer, HDC);
    using DestroyPbufferFunction = BOOL(WINAPI*)(Pbuffer);
    template <typename Function>
    static Function Look(const char* name) {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(wglGetProcAddress(name)));
    }

    HWND m_hostWindow;
    HDC m_hostDC = nullptr;
    HGLRC m_hostContext = nullptr;
    Pbuffer m_pbuffer = nullptr;
    HDC m_pbufferDC = nullptr;
    HGLRC m_pbufferContext = nullptr;
    ChoosePixelFormatFunction m_choosePixelFormat = nullptr;
    CreatePbufferFunction m_createPbuffer = nullptr;
    GetPbufferDCFunction m_getPbufferDC = nullptr;
    ReleasePbufferDCFunction m_releasePbufferDC = nullptr;
    DestroyPbufferFunction m_destroyPbuffer = nullptr;
};

// The bare frame path in the pbuffer current now: clear, one textured quad, glReadPixels, row
// copy into a top-down DIB, UpdateLayeredWindow on `window` at 75 % opacity. The quad reaches
// `extent` of the way from the centre to each edge (0.5: a quarter of the frame), carries a
// texture of `textureSize` x `textureSize` pixels and turns by `turnDegrees` from one frame to
// the next. (Under Wine on a screen without an alpha visual the window's shape follows the
// transparent pixels of each frame, so a turning outline costs more than a resting one.)
class BareFrame {
public:
    BareFrame(int size, HWND window, int textureSize = 256, float extent = 0.5f, float turnDegrees = 0.0f)
        : m_size(size),
          m_window(window),
          m_extent(extent),
          m_turnDegrees(turnDegrees),
          m_readback(size_t(size) * size * 4) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        m_dc = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        m_dib = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_pixels = static_cast<uint8_t*>(bits);
        glGenTextures(1, &m_texture);
        glBindTexture(GL_TEXTURE_2D, m_texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        std::vector<uint32_t> texels(size_t(textureSize) * textureSize, 0xFF3080C0u);
        glTexImage2D(GL_TEXTURE_2D, 0, 4, textureSize, textureSize, 0, GL_BGRA_EXT, GL_UNSIGNED_BYTE, texels.data());
    }
    ~BareFrame() {
        glDeleteTextures(1, &m_texture);
        DeleteObject(m_dib);
        DeleteDC(m_dc);
    }
    BareFrame(const BareFrame&) = delete;
    BareFrame& operator=(const BareFrame&) = delete;

    // Milliseconds of each step, when `steps` is given: draw, read back, copy, present.
    void Draw(double* steps = nullptr) {
        Stopwatch clock;
        double last = 0;
        const auto lap = [&](int step) {
            if (steps == nullptr) return;
            glFinish();
            const double now = clock.Milliseconds();
            steps[step] += now - last;
            last = now;
        };
        glViewport(0, 0, m_size, m_size);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        m_angle += m_turnDegrees;
        if (m_angle != 0.0f) glRotatef(m_angle, 0, 0, 1);
        glBindTexture(GL_TEXTURE_2D, m_texture);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex2f(-m_extent, -m_extent);
        glTexCoord2f(1, 0);
        glVertex2f(m_extent, -m_extent);
        glTexCoord2f(1, 1);
        glVertex2f(m_extent, m_extent);
        glTexCoord2f(0, 1);
        glVertex2f(-m_extent, m_extent);
        glEnd();
        lap(0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, m_size, m_size, GL_BGRA_EXT, GL_UNSIGNED_BYTE, m_readback.data());
        lap(1);
        const size_t row = size_t(m_size) * 4;
        for (int y = 0; y < m_size; ++y) std::memcpy(m_pixels + y * row, &m_readback[(m_size - 1 - y) * row], row);
        lap(2);
        HDC screen = GetDC(nullptr);
        HGDIOBJ old = SelectObject(m_dc, m_dib);
        POINT destination{0, 0}, source{0, 0};
        ClientToScreen(m_window, &destination);
        SIZE size{m_size, m_size};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 191, AC_SRC_ALPHA};
        UpdateLayeredWindow(m_window, screen, &destination, &size, m_dc, &source, 0, &blend, ULW_ALPHA);
        SelectObject(m_dc, old);
        ReleaseDC(nullptr, screen);
        lap(3);
    }

private:
    int m_size;
    HWND m_window;
    float m_extent;
    float m_turnDegrees;
    float m_angle = 0.0f;
    std::vector<uint8_t> m_readback;
    HDC m_dc = nullptr;
    HBITMAP m_dib = nullptr;
    uint8_t* m_pixels = nullptr;
    GLuint m_texture = 0;
};
