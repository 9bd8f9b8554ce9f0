#pragma once

#include <windows.h>

#include <cwchar>
#include <string>

#include "display/display_window.h"
#include "settings/ini_file.h"

// What a benchmark of a running display stands up, as the program does: a settings file of its
// own in the temporary folder (removed at the end) and the hidden window that hosts the render
// targets.
class BenchDisplayHost {
public:
    explicit BenchDisplayHost(const wchar_t* name) {
        wchar_t folder[MAX_PATH] = L"";
        GetTempPathW(MAX_PATH, folder);
        m_settings = std::wstring(folder) + L"orbelin_" + name + L".ini";
        SetSettingsPath(m_settings);
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.lpszClassName = L"OrbelinBenchHost";
        RegisterClassW(&windowClass);
        m_host = CreateWindowExW(0, windowClass.lpszClassName, L"host", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr,
                                 nullptr, nullptr, nullptr);
        CWinAlphaUhr::SetRenderHostWindow(m_host);
    }
    ~BenchDisplayHost() {
        DestroyWindow(m_host);
        DeleteFileW(m_settings.c_str());
    }
    BenchDisplayHost(const BenchDisplayHost&) = delete;
    BenchDisplayHost& operator=(const BenchDisplayHost&) = delete;

private:
    std::wstring m_settings;
    HWND m_host = nullptr;
};

// Handles the messages of this thread (the displays' frame timers) for `milliseconds`.
inline void PumpMessagesFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}
