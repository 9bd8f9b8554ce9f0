// The cost of one display frame (PrepareFrame + DrawFrame: draw, read back, present to a
// layered window) against a bare frame path in the same pbuffer: clear, one textured quad,
// glReadPixels, row copy into a top-down DIB, UpdateLayeredWindow. Afterwards both are measured
// step by step (OpenGL finishing after each step) and the steps printed, to show where a frame's
// time goes.
#include <windows.h>
#include <GL/gl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_report.h"
#include "render/gl_3d_clock.h"

namespace {

HBITMAP MakePicture(int size) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int i = 0; i < size * size; ++i) pixels[i] = 0xFF000000u | (i * 2654435761u >> 8);
    return bitmap;
}

// The bare path, drawn in the scene's own pbuffer.
class BareFrame {
public:
    BareFrame(int size, HWND window) : m_size(size), m_window(window), m_readback(size_t(size) * size * 4) {
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
        std::vector<uint32_t> texels(256 * 256, 0xFF3080C0u);
        glTexImage2D(GL_TEXTURE_2D, 0, 4, 256, 256, 0, GL_BGRA_EXT, GL_UNSIGNED_BYTE, texels.data());
    }
    ~BareFrame() {
        glDeleteTextures(1, &m_texture);
        DeleteObject(m_dib);
        DeleteDC(m_dc);
    }
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
        glBindTexture(GL_TEXTURE_2D, m_texture);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0); glVertex2f(-0.5f, -0.5f);
        glTexCoord2f(1, 0); glVertex2f(0.5f, -0.5f);
        glTexCoord2f(1, 1); glVertex2f(0.5f, 0.5f);
        glTexCoord2f(0, 1); glVertex2f(-0.5f, 0.5f);
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
    std::vector<uint8_t> m_readback;
    HDC m_dc = nullptr;
    HBITMAP m_dib = nullptr;
    uint8_t* m_pixels = nullptr;
    GLuint m_texture = 0;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int rounds = 40;
    for (int i = 1; i < argc; ++i) ReadCountArgument(argv[i], L"rounds=", rounds);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = L"OrbelinFrameBench";
    RegisterClassW(&windowClass);
    HWND host = CreateWindowExW(0, windowClass.lpszClassName, L"host", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr,
                                nullptr, nullptr, nullptr);

    for (int size : {400, 1500}) {
        HWND display = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"display",
                                       WS_POPUP, 0, 0, size, size, nullptr, nullptr, nullptr, nullptr);
        ShowWindow(display, SW_SHOWNOACTIVATE);
        GL3DClock scene;
        if (!scene.OpenRenderTarget(host)) return 1;
        scene.SetDisplayWindow(display);
        scene.SetSourceMode(1);
        scene.SetOpacity(75);
        scene.SetSize(size);
        scene.PrepareFrame(size);
        scene.SetPlaceholder(MakePicture(256));
        scene.DrawFrame();
        scene.MakeCurrent();
        BareFrame bare(size, display);

        std::vector<double> work, reference;
        for (int round = 0; round < rounds; ++round) {
            Stopwatch frame;
            scene.SetSize(size);
            scene.PrepareFrame(size);
            scene.DrawFrame();
            glFinish();
            work.push_back(frame.Milliseconds());

            Stopwatch bareFrame;
            bare.Draw();
            glFinish();
            reference.push_back(bareFrame.Milliseconds());
        }
        const std::string name = "frame_" + std::to_string(size);
        PrintBenchLine(name.c_str(), work, reference, "ms");

        // Step by step, over the same number of frames each.
        GL3DClock::FrameStepTimes steps;
        double bareSteps[4] = {0, 0, 0, 0};
        scene.MeasureFrameSteps(&steps);
        for (int round = 0; round < rounds; ++round) {
            scene.SetSize(size);
            scene.PrepareFrame(size);
            scene.DrawFrame();
            bare.Draw(bareSteps);
        }
        scene.MeasureFrameSteps(nullptr);
        const double frames = steps.frames > 0 ? steps.frames : 1;
        std::printf("%s steps (ms per frame): make current %.2f, state %.2f, draw %.2f, read-back %.2f, present %.2f"
                    "; bare path: draw %.2f, read-back %.2f, row copy %.2f, present %.2f\n",
                    name.c_str(), steps.makeCurrent / frames, steps.state / frames, steps.draw / frames,
                    steps.readBack / frames, steps.present / frames, bareSteps[0] / rounds, bareSteps[1] / rounds,
                    bareSteps[2] / rounds, bareSteps[3] / rounds);
        std::fflush(stdout);
        scene.CloseRenderTarget();
        DestroyWindow(display);
    }
    DestroyWindow(host);
    return 0;
}
