#pragma once

// What the benchmarks of the whole program share: the real Orbelin.exe started as a portable copy
// with a settings file of its own (PreparePortableCopy, as the end-to-end tests start it), the
// bare program (bare_display.exe, beside the benchmark) as its reference, and readings of a
// running process taken from outside.

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>

#include "e2e/program_driver.h"

inline constexpr const wchar_t* kProgramDisplayClass = L"Brimwhistle-Clock___QRWERREQWR";
inline constexpr const wchar_t* kBareDisplayClass = L"OrbelinBareDisplay";

// The bare program beside this benchmark's own file.
inline std::wstring BareProgramPath() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\')) + L"\\bare_display.exe";
}

// Gives the portable copy in `folder` this settings file again ("key=value" lines of the section
// "Program"), replacing what a start wrote.
inline bool WritePortableSettings(const std::wstring& folder, const std::wstring& lines) {
    return WriteFileBytes(folder + L"\\Orbelin.ini", Utf16FileBytes(L"[Program]\r\n" + lines));
}

// The display window of process `processId`: a top-level window of `className` with an empty
// title. Null while there is none.
inline HWND FindDisplayWindowOf(DWORD processId, const wchar_t* className) {
    for (HWND window = FindWindowExW(nullptr, nullptr, className, L""); window != nullptr;
         window = FindWindowExW(nullptr, window, className, L"")) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId) return window;
    }
    return nullptr;
}

// A display window is created a quarter as high as it is wide; the first frame presented with
// UpdateLayeredWindow gives it its full, square size.
inline bool HasPresentedFrame(HWND window) {
    RECT rect{};
    return window != nullptr && GetWindowRect(window, &rect) && rect.right > rect.left &&
           rect.bottom - rect.top == rect.right - rect.left;
}

// Waits, looking every millisecond, until the display window of the process has presented its
// first frame. Returns the window, or null when none did within `timeoutMs` or the process ended.
inline HWND WaitForFirstFrame(const RunningProgram& program, const wchar_t* className, DWORD timeoutMs) {
    const ULONGLONG start = GetTickCount64();
    while (GetTickCount64() - start < timeoutMs && program.IsRunning()) {
        HWND window = FindDisplayWindowOf(program.ProcessId(), className);
        if (HasPresentedFrame(window)) return window;
        Sleep(1);
    }
    return nullptr;
}

struct ProcessMemory {
    double workingSetMb = 0;
    double pagefileMb = 0;  // the private bytes (PrivateUsage reads 0 under Wine)
};

// The memory of another process, or nothing when it cannot be read.
inline std::optional<ProcessMemory> MemoryOfProcess(DWORD processId) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process.IsValid()) return std::nullopt;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(process.Get(), &counters, sizeof(counters))) return std::nullopt;
    return ProcessMemory{counters.WorkingSetSize / 1048576.0, counters.PagefileUsage / 1048576.0};
}

// The resident memory of a Linux process by what it holds, in megabytes, from its memory map.
struct ResidentMemory {
    double anonymous = 0;       // mappings of no file: Wine's heaps, stacks and DIB sections, large driver buffers
    double unixHeap = 0;        // the C library's heap of the Unix side: the OpenGL driver's buffers, X, fonts
    double driver = 0;          // the OpenGL driver's code and data (Mesa, LLVM)
    double windowsModules = 0;  // the program file and the Windows DLLs it loaded
    double unixLibraries = 0;   // Wine's own and the system's shared libraries
    double fonts = 0;
    double other = 0;
};

inline std::optional<ResidentMemory> ResidentMemoryOf(const std::wstring& commandLinePart) {
    const std::optional<std::wstring> folder = LinuxProcessFolder(commandLinePart);
    if (!folder) return std::nullopt;
    const std::optional<std::string> map = ReadProcFile(*folder + L"\\smaps");
    if (!map) return std::nullopt;
    const auto endsWith = [](const std::string& text, const char* end) {
        const size_t length = std::strlen(end);
        return text.size() >= length && text.compare(text.size() - length, length, end) == 0;
    };
    ResidentMemory memory;
    double* kind = &memory.other;
    size_t at = 0;
    while (at < map->size()) {
        size_t end = map->find('\n', at);
        if (end == std::string::npos) end = map->size();
        const std::string line = map->substr(at, end - at);
        at = end + 1;
        // Each mapping's first line is followed by its fields, "Rss:" among them.
        if (line.compare(0, 4, "Rss:") == 0) {
            *kind += std::strtod(line.c_str() + 4, nullptr) / 1024.0;
            continue;
        }
        // Otherwise a mapping starts: "address perms offset device inode [name]".
        std::istringstream fields(line);
        std::string address, permissions, offset, device, inode, name;
        if (!(fields >> address >> permissions >> offset >> device >> inode) ||
            address.find('-') == std::string::npos) {
            continue;
        }
        std::getline(fields >> std::ws, name);
        std::string lower = name;
        for (char& character : lower) {
            character = static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
        }
        if (name.empty() || name.compare(0, 6, "[stack") == 0 || name == "[anon]") {
            kind = &memory.anonymous;
        } else if (name == "[heap]") {
            kind = &memory.unixHeap;
        } else if (lower.find("llvm") != std::string::npos || lower.find("swrast") != std::string::npos ||
                   lower.find("libgl") != std::string::npos || lower.find("libz3") != std::string::npos ||
                   lower.find("libdrm") != std::string::npos || lower.find("gallium") != std::string::npos) {
            kind = &memory.driver;
        } else if (endsWith(lower, ".dll") || endsWith(lower, ".exe") || endsWith(lower, ".drv") ||
                   endsWith(lower, ".nls")) {
            kind = &memory.windowsModules;
        } else if (endsWith(lower, ".ttf") || endsWith(lower, ".otf") || endsWith(lower, ".ttc") ||
                   endsWith(lower, ".fon") || endsWith(lower, ".pfb")) {
            kind = &memory.fonts;
        } else if (lower.find(".so") != std::string::npos) {
            kind = &memory.unixLibraries;
        } else {
            kind = &memory.other;
        }
    }
    return memory;
}

inline void PrintResidentMemory(const char* name, const ResidentMemory& memory) {
    std::printf(
        "%s: anonymous %.1f, Unix heap %.1f, OpenGL driver %.1f, Windows modules %.1f, Unix libraries %.1f, "
        "fonts %.1f, other %.1f",
        name, memory.anonymous, memory.unixHeap, memory.driver, memory.windowsModules, memory.unixLibraries,
        memory.fonts, memory.other);
}
