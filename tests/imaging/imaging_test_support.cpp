#include "imaging_test_support.h"

#include <array>
#include <cstring>

#include "common/test_files.h"
#include "imaging/png_output.h"
#include "imaging/picture_bytes.h"

TopDownPixels ReadTopDownPixels(HBITMAP bitmap) {
    TopDownPixels result;
    BITMAP description{};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof(description), &description) == 0) return result;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = description.bmWidth;
    info.bmiHeader.biHeight = -description.bmHeight;  // ask for top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(description.bmWidth) * description.bmHeight);
    HDC dc = CreateCompatibleDC(nullptr);
    const int rows = GetDIBits(dc, bitmap, 0, description.bmHeight, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteDC(dc);
    if (rows != description.bmHeight) return result;
    result.width = description.bmWidth;
    result.height = description.bmHeight;
    result.pixels = std::move(pixels);
    return result;
}

TopDownPixels DecodeWithGdiplus(const std::wstring& path) {
    const GdiplusApi& api = Gdiplus();
    TopDownPixels result;
    GpBitmap* bitmap = nullptr;
    if (api.createBitmapFromFile(path.c_str(), &bitmap) != kGpOk) return result;
    UINT width = 0, height = 0;
    api.getImageWidth(AsImage(bitmap), &width);
    api.getImageHeight(AsImage(bitmap), &height);
    result.width = static_cast<int>(width);
    result.height = static_cast<int>(height);
    result.pixels.resize(static_cast<size_t>(width) * height);
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            GpArgb colour = 0xdeadbeef;
            api.bitmapGetPixel(bitmap, static_cast<INT>(x), static_cast<INT>(y), &colour);
            result.pixels[static_cast<size_t>(y) * width + x] = colour;
        }
    }
    api.disposeImage(AsImage(bitmap));
    return result;
}

DebugOutputMonitor::DebugOutputMonitor() {
    m_mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, L"DBWIN_BUFFER");
    m_bufferReady = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY");
    m_dataReady = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY");
    if (m_mapping == nullptr || m_bufferReady == nullptr || m_dataReady == nullptr) return;
    m_buffer = static_cast<const uint8_t*>(MapViewOfFile(m_mapping, FILE_MAP_READ, 0, 0, 4096));
    if (m_buffer != nullptr) m_thread = std::thread([this] { Listen(); });
}

DebugOutputMonitor::~DebugOutputMonitor() {
    Stop();
    if (m_buffer != nullptr) UnmapViewOfFile(m_buffer);
    for (HANDLE handle : {m_mapping, m_bufferReady, m_dataReady}) {
        if (handle != nullptr) CloseHandle(handle);
    }
}

std::wstring DebugOutputMonitor::Stop() {
    m_stop.store(true, std::memory_order_relaxed);
    if (m_thread.joinable()) m_thread.join();
    const int length = MultiByteToWideChar(CP_ACP, 0, m_text.data(), static_cast<int>(m_text.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_ACP, 0, m_text.data(), static_cast<int>(m_text.size()), text.data(), length);
    }
    return text;
}

void DebugOutputMonitor::Listen() {
    SetEvent(m_bufferReady);
    for (;;) {
        // Text already signalled is taken before a stop request ends the loop.
        if (WaitForSingleObject(m_dataReady, 20) == WAIT_OBJECT_0) {
            DWORD process = 0;
            std::memcpy(&process, m_buffer, sizeof(process));
            const char* text = reinterpret_cast<const char*>(m_buffer + sizeof(process));
            if (process == GetCurrentProcessId()) m_text.append(text, strnlen(text, 4096 - sizeof(process)));
            SetEvent(m_bufferReady);
        } else if (m_stop.load(std::memory_order_relaxed)) {
            return;
        }
    }
}
