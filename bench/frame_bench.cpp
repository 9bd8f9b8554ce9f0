// The cost of one display frame (PrepareFrame + DrawFrame: draw, read back, present to a
// layered window) against a bare frame path in the same pbuffer: clear, one textured quad,
// glReadPixels, row copy into a top-down DIB, UpdateLayeredWindow. Afterwards both are measured
// step by step (OpenGL finishing after each step) and the steps printed, to show where a frame's
// time goes.
#include <windows.h>
#include <GL/gl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bare_frame.h"
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
