#include "render/frame_composition.h"

#include <shellapi.h>
#include <objbase.h>
#include <GL/gl.h>

#include <memory>

#include "common/proc_address.h"
#include "common/system_folders.h"
#include "common/unique_handle.h"
#include "imaging/png_output.h"

namespace {

using UpdateLayeredWindowFunction = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*,
                                                 DWORD);

UpdateLayeredWindowFunction LayeredWindowUpdater() {
    static const UpdateLayeredWindowFunction update =
        GetProcAddressAs<UpdateLayeredWindowFunction>(GetModuleHandleW(L"user32.dll"), "UpdateLayeredWindow");
    return update;
}

// Opens the snapshot with the program the user chose for PNG files; on its own thread so that
// the frames never wait for the shell. The thread owns the copy of the path it is given.
DWORD WINAPI OpenSnapshot(void* parameter) {
    const std::unique_ptr<std::wstring> path(static_cast<std::wstring*>(parameter));
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ShellExecuteW(nullptr, L"open", path->c_str(), nullptr, nullptr, SW_SHOW);
    CoUninitialize();
    return 0;
}

}  // namespace

std::wstring FrameBitmap::SnapshotPath() { return TemporaryFolderPath() + L"Orbelin_tmp.png"; }

void FrameBitmap::TakeSnapshot(uint8_t alpha) const {
    const std::wstring path = SnapshotPath();
    SavePng(m_bitmap.Get(), path.c_str(), alpha);
    auto threadPath = std::make_unique<std::wstring>(path);
    const UniqueHandle thread(CreateThread(nullptr, 0, OpenSnapshot, threadPath.get(), 0, nullptr));
    if (thread.IsValid()) threadPath.release();  // the thread owns it now
}

bool FrameBitmap::Create(int width, int height) {
    m_dc.Reset();
    m_width = width;
    m_height = height;
    m_pixels = nullptr;

    HBITMAP bitmap = nullptr;
    void* pixels = nullptr;
    m_dc.Reset(CreateCompatibleDC(nullptr));
    if (m_dc) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down: row 0 is the top of the window
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        bitmap = CreateDIBSection(m_dc.Get(), &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    }
    // The bitmap held before goes once the new one is made.
    m_bitmap.Reset(bitmap);
    m_pixels = static_cast<uint8_t*>(pixels);
    if (!m_bitmap) {
        Release();
        return false;
    }
    GdiFlush();
    return true;
}

void FrameBitmap::Release() {
    m_width = 0;
    m_height = 0;
    m_bitmap.Reset();
    m_dc.Reset();
    m_pixels = nullptr;
}

void FrameBitmap::ReadBack() {
    if (m_pixels == nullptr) return;
    // The scene is drawn upside down (see GL3DClock::DrawFrame), so OpenGL, which delivers the
    // bottom row first, delivers the frame's top row first: straight into the top-down bitmap,
    // without a second copy of the pixels.
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, m_width, m_height, GL_BGRA_EXT, GL_UNSIGNED_BYTE, m_pixels);
}

void FrameBitmap::Present(HWND window, SIZE size, uint8_t alpha) const {
    const UpdateLayeredWindowFunction updateLayeredWindow = LayeredWindowUpdater();
    if (!m_bitmap || updateLayeredWindow == nullptr) return;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    HGDIOBJ replaced = SelectObject(m_dc.Get(), m_bitmap.Get());
    POINT source{0, 0};
    // No screen device context and no destination point: the window keeps its place and takes
    // the new picture and size.
    updateLayeredWindow(window, nullptr, nullptr, &size, m_dc.Get(), &source, 0, &blend, ULW_ALPHA);
    SelectObject(m_dc.Get(), replaced);
}
