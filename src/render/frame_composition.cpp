#include <windows.h>
#include <shellapi.h>
#include <objbase.h>
#include <GL/gl.h>

#include <cstring>
#include <memory>
#include <string>

#include "common/proc_address.h"
#include "common/system_folders.h"
#include "imaging/png_output.h"
#include "render/gl_3d_clock.h"

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

std::wstring GL3DClock::SnapshotPath() {
    return TemporaryFolderPath() + L"Orbelin_tmp.png";
}

void GL3DClock::TakeSnapshot(uint8_t alpha) {
    const std::wstring path = SnapshotPath();
    SavePng(m_frameBitmap, path.c_str(), alpha);
    auto threadPath = std::make_unique<std::wstring>(path);
    HANDLE thread = CreateThread(nullptr, 0, OpenSnapshot, threadPath.get(), 0, nullptr);
    if (thread != nullptr) {
        threadPath.release();  // the thread owns it now
        CloseHandle(thread);
    }
}

bool GL3DClock::CreateFrameBitmap(int width, int height) {
    HBITMAP oldBitmap = m_frameBitmap;
    if (m_frameDC != nullptr) {
        DeleteDC(m_frameDC);
        m_frameDC = nullptr;
    }
    m_frameBitmap = nullptr;
    m_frameWidth = width;
    m_frameHeight = height;
    m_frameStride = width * 4;
    m_framePixels = nullptr;

    bool created = false;
    m_frameDC = CreateCompatibleDC(nullptr);
    if (m_frameDC != nullptr) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down: row 0 is the top of the window
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* pixels = nullptr;
        m_frameBitmap = CreateDIBSection(m_frameDC, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        m_framePixels = static_cast<uint8_t*>(pixels);
        created = m_frameBitmap != nullptr;
    }
    if (oldBitmap != nullptr) DeleteObject(oldBitmap);
    if (!created) {
        ReleaseFrameBitmap();
        return false;
    }
    GdiFlush();
    return true;
}

void GL3DClock::ReleaseFrameBitmap() {
    m_frameWidth = 0;
    m_frameHeight = 0;
    m_frameStride = 0;
    if (m_frameBitmap != nullptr) DeleteObject(m_frameBitmap);
    if (m_frameDC != nullptr) DeleteDC(m_frameDC);
    m_frameBitmap = nullptr;
    m_frameDC = nullptr;
    m_framePixels = nullptr;
}

void GL3DClock::ReadBack() {
    if (m_framePixels == nullptr) return;
    // The scene is drawn upside down (see DrawFrame), so OpenGL, which delivers the bottom row
    // first, delivers the frame's top row first: straight into the top-down frame bitmap, without
    // a second copy of the pixels.
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, m_frameWidth, m_frameHeight, GL_BGRA_EXT, GL_UNSIGNED_BYTE, m_framePixels);
}

void GL3DClock::Present() {
    const UpdateLayeredWindowFunction updateLayeredWindow = LayeredWindowUpdater();
    if (m_frameBitmap == nullptr || updateLayeredWindow == nullptr) return;
    SIZE size{static_cast<LONG>(m_viewportWidth), static_cast<LONG>(m_viewportHeight)};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, ConstantAlphaForOpacity(m_opacity), AC_SRC_ALPHA};
    HGDIOBJ replaced = SelectObject(m_frameDC, m_frameBitmap);
    POINT source{0, 0};
    // No screen device context and no destination point: the window keeps its place and takes
    // the new picture and size.
    updateLayeredWindow(m_displayWindow, nullptr, nullptr, &size, m_frameDC, &source, 0, &blend, ULW_ALPHA);
    SelectObject(m_frameDC, replaced);
}
