#include "imaging_test_support.h"

#include <array>
#include <cstring>

#include "common/test_files.h"
#include "imaging/png_output.h"
#include "imaging/picture_bytes.h"

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) narrow += c < 128 ? static_cast<char>(c) : '?';
    return narrow;
}

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

namespace {

uint32_t Crc32(const uint8_t* data, size_t count) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < count; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBigEndian32(std::vector<uint8_t>& bytes, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(value >> shift));
}

void AppendChunk(std::vector<uint8_t>& bytes, const char* type, const std::vector<uint8_t>& data) {
    PutBigEndian32(bytes, static_cast<uint32_t>(data.size()));
    const size_t typeStart = bytes.size();
    bytes.insert(bytes.end(), type, type + 4);
    bytes.insert(bytes.end(), data.begin(), data.end());
    PutBigEndian32(bytes, Crc32(bytes.data() + typeStart, bytes.size() - typeStart));
}

}  // namespace

std::vector<uint8_t> PngClaimingSize(uint32_t width, uint32_t height) {
    std::vector<uint8_t> bytes = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBigEndian32(header, width);
    PutBigEndian32(header, height);
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, no interlace
    AppendChunk(bytes, "IHDR", header);
    // A valid zlib stream of a few zero bytes: the body of a picture far smaller than claimed.
    AppendChunk(bytes, "IDAT", {0x78, 0x9C, 0x63, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01});
    AppendChunk(bytes, "IEND", {});
    return bytes;
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

std::string DebugOutputMonitor::Stop() {
    m_stop.store(true, std::memory_order_relaxed);
    if (m_thread.joinable()) m_thread.join();
    return m_text;
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
