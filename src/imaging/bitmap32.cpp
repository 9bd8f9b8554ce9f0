#include "imaging/bitmap32.h"

#include <cstring>
#include <cwchar>
#include <utility>

#include "common/message_box.h"

CDumBitmap::~CDumBitmap() {
    if (!m_keepHandle && m_handle != nullptr) DeleteObject(m_handle);
    m_bits = nullptr;
}

void CDumBitmap::Create(int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // positive: bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* ignoredBits = nullptr;
    HBITMAP bitmap =
        CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits != nullptr ? bits : &ignoredBits, nullptr, 0);
    if (bitmap == nullptr) {
        wchar_t text[64];
        std::swprintf(text, 64, L"%d x %d", width, height);
        ShowErrorMessage(text, L"dib-err", 0);
    }
    Attach(bitmap);
}

void CDumBitmap::Attach(HBITMAP bitmap) {
    if (m_handle != nullptr) DeleteObject(m_handle);
    m_handle = bitmap;
    std::memset(&m_description, 0, sizeof(m_description));
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof(m_description), &m_description) == 0) {
        std::memset(&m_description, 0, sizeof(m_description));
    }
    m_bits = static_cast<uint8_t*>(m_description.bmBits);
    if (m_bits == nullptr) {
        // Not a DIB section (or no bitmap): nothing may touch pixel memory, so the object stays
        // empty while keeping the handle it was given.
        wchar_t text[128];
        std::swprintf(text, 128, L"WidthBytes: %d bmWidth:%d bmBitsPixel:%d",
                      static_cast<int>(m_description.bmWidthBytes), static_cast<int>(m_description.bmWidth),
                      static_cast<int>(m_description.bmBitsPixel));
        ShowErrorMessage(text, L"Err", 0);
        std::memset(&m_description, 0, sizeof(m_description));
    }
    m_width = m_description.bmWidth;
    m_height = m_description.bmHeight;
}

HBITMAP CDumBitmap::Detach() { return std::exchange(m_handle, nullptr); }

uint32_t CDumBitmap::PixelAt(int x, int y) const {
    if (m_handle == nullptr || m_bits == nullptr || m_width <= 0 || m_height <= 0) return 0;
    const int column = ((x % m_width) + m_width) % m_width;
    const int row = ((y % m_height) + m_height) % m_height;
    uint32_t pixel = 0;
    std::memcpy(&pixel,
                m_bits + static_cast<size_t>(row) * m_description.bmWidthBytes + static_cast<size_t>(column) * 4,
                sizeof(pixel));
    return pixel;
}

void CDumBitmap::Fill(uint32_t pixel) {
    if (m_bits == nullptr || m_width <= 0 || m_height <= 0) return;
    const size_t count = static_cast<size_t>(m_width) * static_cast<size_t>(m_height);
    uint32_t* pixels = reinterpret_cast<uint32_t*>(m_bits);
    for (size_t i = 0; i < count; ++i) pixels[i] = pixel;
}

void CDumBitmap::MakeOpaque() {
    if (m_bits == nullptr || m_width <= 0 || m_height <= 0) return;
    for (int row = 0; row < m_height; ++row) {
        uint8_t* pixel = m_bits + static_cast<size_t>(row) * m_description.bmWidthBytes;
        for (int column = 0; column < m_width; ++column, pixel += 4) pixel[3] = 0xFF;
    }
}

void CDumBitmap::SetAlphaOfColoured(uint8_t alpha) {
    if (m_bits == nullptr || m_width <= 0 || m_height <= 0) return;
    for (int row = 0; row < m_height; ++row) {
        uint8_t* pixel = m_bits + static_cast<size_t>(row) * m_description.bmWidthBytes;
        for (int column = 0; column < m_width; ++column, pixel += 4) {
            if (pixel[0] != 0 || pixel[1] != 0 || pixel[2] != 0) pixel[3] = alpha;
        }
    }
}
