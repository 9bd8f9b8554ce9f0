#pragma once

#include <windows.h>

#include <cwchar>
#include <string>

#include "common/message_pump.h"
#include "common/system_folders.h"
#include "display/display_window.h"
#include "settings/ini_file.h"

// What a benchmark of a running display stands up, as the program does: a settings file of its
// own in the temporary folder (removed at the end) and the hidden window that hosts the render
// targets. The displays' frame timers run while the benchmark handles its messages
// (PumpMessagesFor).
class BenchDisplayHost {
public:
    explicit BenchDisplayHost(const wchar_t* name) {
        m_settings = TemporaryFolderPath() + L"orbelin_" + name + L".ini";
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
