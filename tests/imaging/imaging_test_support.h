#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "common/message_box_watcher.h"
#include "common/picture_fixtures.h"
#include "imaging/gdiplus_api.h"

// Helpers for the picture tests. Pictures are made at test time with GDI+.

// A picture of the given size whose pixels `colourAt(x, y)` gives (ARGB), as PNG file bytes.
template <typename ColourAt>
std::vector<uint8_t> MakePngBytes(int width, int height, ColourAt colourAt);

template <typename ColourAt>
std::vector<uint8_t> MakePngBytes(int width, int height, ColourAt colourAt) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels[static_cast<size_t>(y) * width + x] = colourAt(x, y);
    }
    return EncodePixels(width, height, pixels);
}

// The pixels of a 32-bit bitmap handle as top-down rows (row 0 is the top of the image),
// whatever the bitmap's own row order. Empty when the handle cannot be read.
struct TopDownPixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
TopDownPixels ReadTopDownPixels(HBITMAP bitmap);

// Decodes a picture file with GDI+ and returns its ARGB pixels top-down; empty on failure.
TopDownPixels DecodeWithGdiplus(const std::wstring& path);

// Longest wait for a task that shows message boxes; a box nobody answers fails the test, it does
// not hang it.
inline constexpr DWORD kMessageBoxTimeoutMs = 60000;

// The Windows default caption of a message box without one: "Error".
inline constexpr const wchar_t* kDefaultMessageCaption = L"Error";

// Receives the debugger output (OutputDebugString) of this process while it lives, through the
// system-wide debug-output buffer that tools such as DebugView read.
class DebugOutputMonitor {
public:
    DebugOutputMonitor();
    ~DebugOutputMonitor();
    DebugOutputMonitor(const DebugOutputMonitor&) = delete;
    DebugOutputMonitor& operator=(const DebugOutputMonitor&) = delete;

    bool IsListening() const { return m_buffer != nullptr; }
    // Stops listening and returns everything this process wrote, joined, as a debugger shows it
    // (the system hands the text over in the ANSI code page).
    std::wstring Stop();

private:
    void Listen();
    HANDLE m_mapping = nullptr;
    HANDLE m_bufferReady = nullptr;
    HANDLE m_dataReady = nullptr;
    const uint8_t* m_buffer = nullptr;
    std::atomic<bool> m_stop{false};
    std::string m_text;  // written by the listening thread until Stop joins it
    std::thread m_thread;
};
