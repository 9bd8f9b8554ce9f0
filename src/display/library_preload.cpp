#include "display/library_preload.h"

#include "imaging/gdiplus_api.h"
#include "render/gl_3d_clock.h"

namespace {

// Loading both takes a tenth of a second; the wait at the end is only bounded for a driver that
// hangs.
constexpr DWORD kLoadWaitMs = 10000;

}  // namespace

LibraryPreload::~LibraryPreload() {
    if (m_thread.IsValid()) WaitForSingleObject(m_thread.Get(), kLoadWaitMs);
}

void LibraryPreload::Start() {
    if (m_thread.IsValid()) return;
    m_thread.Reset(CreateThread(nullptr, 0, LoadEntry, nullptr, 0, nullptr));
}

DWORD WINAPI LibraryPreload::LoadEntry(void*) {
    Gdiplus();
    // The first pixel-format question loads and sets up the OpenGL driver, once per process; the
    // render target's own question then finds it ready.
    HDC screen = GetDC(nullptr);
    if (screen != nullptr) {
        const PIXELFORMATDESCRIPTOR descriptor = GL3DClock::HostPixelFormat();
        ChoosePixelFormat(screen, &descriptor);
        ReleaseDC(nullptr, screen);
    }
    return 0;
}
